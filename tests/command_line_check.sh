#!/usr/bin/env bash
# The game's command line as a player meets it, on the built executable: the
# exit codes, the usage on the right stream, the version, the no-display exit
# in English and Japanese, and a headless start with no sound driver named
# that leaves standard error empty (no sound stack noise without a card).
#   command_line_check.sh GAME_EXECUTABLE PROJECT_VERSION
set -euo pipefail
game=$1
version=$2
work=$(mktemp -d)
game_pid=""
cleanup() {
    if [ -n "$game_pid" ]; then kill -KILL "$game_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs the game with the given arguments; sets rc, out and err.
run() {
    set +e
    timeout 20 "$game" "$@" >"$work/out" 2>"$work/err"
    rc=$?
    set -e
    out=$(cat "$work/out")
    err=$(cat "$work/err")
}

run --help
[ "$rc" -eq 0 ] || fail "--help ended with $rc"
case "$out" in "Usage: kestrune"*"--course N"*) ;; *) fail "--help said: $out" ;; esac
[ -z "$err" ] || fail "--help wrote to standard error: $err"

run --version
[ "$rc" -eq 0 ] || fail "--version ended with $rc"
case "$out" in "Kestrune $version"*) ;; *) fail "--version said: $out" ;; esac

run --no-such-option
[ "$rc" -eq 2 ] || fail "an unknown option ended with $rc"
[ -z "$out" ] || fail "an unknown option wrote to standard output: $out"
case "$err" in *"unknown option '--no-such-option'"*"Usage: kestrune"*) ;; *) fail "an unknown option said: $err" ;; esac

# No display: neither X nor Wayland reachable and no driver asked for.
nodisplay() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u LC_ALL -u LC_MESSAGES -u LANG \
        XDG_RUNTIME_DIR="$work" "$@" timeout 20 "$game" >"$work/out" 2>"$work/err" && rc=0 || rc=$?
    err=$(cat "$work/err")
}
nodisplay
[ "$rc" -eq 1 ] || fail "without a display the game ended with $rc"
[ "$err" = "Kestrune: no display. Start the game from a desktop session (neither DISPLAY nor WAYLAND_DISPLAY leads to one)." ] ||
    fail "without a display it said: $err"
nodisplay LANG=ja_JP.UTF-8
[ "$rc" -eq 1 ] || fail "without a display (Japanese) the game ended with $rc"
case "$err" in "ケストルーン: ディスプレイがありません。"*) ;; *) fail "without a display (Japanese) it said: $err" ;; esac
nodisplay LC_ALL=C LANG=ja_JP.UTF-8
case "$err" in "Kestrune: no display."*) ;; *) fail "LC_ALL=C did not win over LANG: $err" ;; esac

# A headless start with the sound left to SDL's own choice: on a machine
# without a sound card nothing may reach standard error. A course the
# folder lacks is refused after start-up, with code 2.
export SDL_VIDEODRIVER=offscreen
unset SDL_AUDIODRIVER
run --course 999
[ "$rc" -eq 2 ] || fail "--course 999 ended with $rc"
case "$err" in *"--course 999: the game folder has no such course"*) ;; *) fail "--course 999 said: $err" ;; esac
"$game" --course 0 >"$work/out" 2>"$work/err" &
game_pid=$!
sleep 3
kill -0 "$game_pid" 2>/dev/null || fail "the game ended by itself: $(cat "$work/err")"
kill -TERM "$game_pid"
wait "$game_pid" && rc=0 || rc=$?
game_pid=""
[ "$rc" -eq 0 ] || fail "SIGTERM ended the game with $rc"
[ ! -s "$work/err" ] || fail "a headless start wrote to standard error: $(cat "$work/err")"
echo "command line check passed"
