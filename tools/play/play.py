#!/usr/bin/env python3
"""Black-box play: start the game in its own Xvfb, send keys and mouse motion by a timeline,
save screenshots. Needs the Debian packages xvfb, xdotool and imagemagick.

Usage: play.py EXE OUTDIR SCRIPT [HOME]
SCRIPT lines (seconds since start, then an action):
  1.5 tap space          press a key for 0.3 s, so a slow frame still sees it held
                         (xdotool key names: space Up Down Left Right Shift_L x z w a s d F1..F12)
  2.0 down Up            hold a key
  4.0 up Up              release it
  5.0 mouse 40 -10       move the mouse by (40, -10) pixels
  5.0 mousesteer 8 0 50  move it by (8, 0) fifty times, 20 ms apart (a steady push)
  5.0 pointer            print where the pointer is (a captured pointer stays in the window)
  3.0 shot title         save OUTDIR/title.png (the game window only)
  9.0 end                send SIGTERM and stop
HOME, when given, is the game's home folder (so its XDG folders are private).
Prints what it did, the game's exit code, and its stderr."""
import os, subprocess, sys, time, signal, shutil, tempfile

exe, outdir, script = sys.argv[1], sys.argv[2], sys.argv[3]
os.makedirs(outdir, exist_ok=True)
steps = []
for line in open(script):
    line = line.split('#')[0].strip()
    if line:
        t, act, *arg = line.split()
        steps.append((float(t), act, arg))
steps.sort(key=lambda s: s[0])

disp = ':%d' % (90 + os.getpid() % 100)
xvfb = subprocess.Popen(['Xvfb', disp, '-screen', '0', '800x600x24', '-nolisten', 'tcp'],
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
time.sleep(1.0)
env = dict(os.environ, DISPLAY=disp, SDL_AUDIODRIVER='dummy')
if len(sys.argv) > 4:
    env['HOME'] = sys.argv[4]
env.pop('SDL_VIDEODRIVER', None)
err = tempfile.TemporaryFile()
game = subprocess.Popen([exe], env=env, stderr=err, stdout=subprocess.DEVNULL, cwd=os.path.dirname(exe) or '.')
t0 = time.time()
def xdo(*a):
    return subprocess.run(['xdotool', *a], env=env, capture_output=True, text=True).stdout.strip()
win = None
for _ in range(50):
    win = xdo('search', '--pid', str(game.pid)) or xdo('search', '--name', 'Kestrune')
    if win: break
    time.sleep(0.1)
win = win.split()[0] if win else None
print('window', win)
if win:
    xdo('windowactivate', '--sync', win); xdo('windowfocus', win)
for t, act, args in steps:
    arg = args[0] if args else None
    dt = t0 + t - time.time()
    if dt > 0: time.sleep(dt)
    if game.poll() is not None:
        print(f'{t:6.2f} game already exited with {game.returncode}'); break
    if act == 'tap':
        xdo("keydown", arg); time.sleep(0.3); xdo("keyup", arg)
    elif act == 'mouse': xdo('mousemove_relative', '--', args[0], args[1])
    elif act == 'mousesteer':
        for _ in range(int(args[2])):
            xdo('mousemove_relative', '--', args[0], args[1]); time.sleep(0.02)
    elif act == 'down': xdo('keydown', arg)
    elif act == 'up': xdo('keyup', arg)
    elif act == 'pointer':
        where = xdo("getwindowgeometry", win) if win else ""
        print(f"{t:6.2f} pointer {xdo('getmouselocation')}; window {' '.join(where.split())}"); continue
    elif act == 'shot':
        p = os.path.join(outdir, arg + '.png')
        target = ['-window', win] if win else ['-window', 'root']
        subprocess.run(['import', '-display', disp, *target, p], capture_output=True)
        print(f'{t:6.2f} shot {p}')
    elif act == 'end': break
    print(f'{t:6.2f} {act} {" ".join(args)}') if act != 'shot' else None
if game.poll() is None:
    game.send_signal(signal.SIGTERM)
    try: game.wait(5)
    except subprocess.TimeoutExpired: game.kill(); game.wait()
print('exit code', game.returncode)
err.seek(0); print('stderr:', err.read().decode(errors='replace')[-2000:])
xvfb.terminate(); xvfb.wait()
