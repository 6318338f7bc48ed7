#!/usr/bin/env bash
# The Debian package as `cpack -G DEB` makes it from the build folder: its
# name, its files and nothing else, its control fields (dependencies found by
# dpkg-shlibdeps), a valid metainfo, desktop entry and man pages, no lintian
# errors, and the game and checker run from the unpacked tree, which stays
# untouched while the game keeps its files in the XDG folders.
#   package_check.sh BUILD_DIR PROJECT_VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
game_pid=""
cleanup() {
    if [ -n "$game_pid" ]; then kill -KILL "$game_pid" 2>/dev/null || true; fi
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work") >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$work/cpack.log")"
deb=$work/kestrune_${version}_amd64.deb
[ -f "$deb" ] || fail "no $deb: $(ls "$work")"

# The files: the programs, the data, what the desktop and man read, and
# nothing outside /usr, nothing left from playing in the build folder.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for path in /usr/games/kestrune /usr/games/kestrune-check \
            /usr/share/games/kestrune/def.ini /usr/share/games/kestrune/course.ini \
            /usr/share/games/kestrune/sprite.ini \
            /usr/share/games/kestrune/par/course0.par /usr/share/games/kestrune/par/course0.gho \
            /usr/share/applications/kestrune.desktop \
            /usr/share/metainfo/org.kestrune.kestrune.metainfo.xml \
            /usr/share/icons/hicolor/64x64/apps/kestrune.png \
            /usr/share/icons/hicolor/256x256/apps/kestrune.png \
            /usr/share/man/man6/kestrune.6.gz /usr/share/man/man1/kestrune-check.1.gz \
            /usr/share/doc/kestrune/copyright /usr/share/doc/kestrune/changelog.gz \
            /usr/lib/udev/rules.d/70-kestrune-board.rules /usr/lib/udev/rules.d/70-kestrune-pads.rules; do
    grep -qx "$path" "$work/files" || fail "$path is not in the package"
done
if grep -v '^/usr/' "$work/files" | grep -vx '/'; then fail "files outside /usr"; fi
if grep -E '\.sav$|\.lock$|\.tmp$|/portable$|^/usr/local/|^/usr/bin/' "$work/files"; then
    fail "files that do not belong in the package"
fi

# The control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kestrune ] && [ "$(field Version)" = "$version" ] || fail "package name or version"
[ "$(field Section)" = games ] || fail "section $(field Section)"
depends=$(field Depends)
for needed in libsdl2-2.0-0 libbullet libepoxy0 libhidapi-hidraw0 fonts-ipafont-gothic; do
    case "$depends" in *"$needed"*) ;; *) fail "Depends lacks $needed: $depends" ;; esac
done

# Metainfo, desktop entry and man pages as their own tools read them.
root=$work/root
dpkg-deb -x "$deb" "$root"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.kestrune.kestrune.metainfo.xml" >"$work/as.log" 2>&1 ||
    fail "metainfo: $(cat "$work/as.log")"
grep -q '<release version="'"$version"'" date="[0-9-]*"' "$root/usr/share/metainfo/org.kestrune.kestrune.metainfo.xml" ||
    fail "metainfo has no release $version with a date"
entry=$root/usr/share/applications/kestrune.desktop
desktop-file-validate "$entry" || fail "desktop entry does not validate"
grep -q '^Exec="/usr/games/kestrune"$' "$entry" || fail "desktop entry: $(grep Exec "$entry")"
for page in man6/kestrune.6.gz man1/kestrune-check.1.gz; do
    warnings=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"
done

# lintian: no errors (warnings and notes are printed for whoever reads the log).
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(cat "$work/lintian.log")"
grep -v 'root privileges' "$work/lintian.log" || true

# The unpacked tree, read-only as installed: the checker finds the game
# folder by itself and passes it; the game starts headless, keeps its lock
# in the XDG data folder and writes nothing into the tree.
chmod -R a-w "$root"
find "$root" -printf '%p %s %T@\n' | sort >"$work/before"
export HOME=$work/home XDG_CONFIG_HOME= XDG_DATA_HOME= SDL_VIDEODRIVER=offscreen
unset SDL_AUDIODRIVER
mkdir -p "$HOME"
checked=$("$root/usr/games/kestrune-check") || fail "the checker found problems: $checked"
case "$checked" in "Checking $root/usr/share/games/kestrune/"*) ;; *) fail "the checker said: $checked" ;; esac
(cd / && exec "$root/usr/games/kestrune" --course 0) >"$work/game.out" 2>"$work/game.err" &
game_pid=$!
lock=$HOME/.local/share/kestrune/kestrune.lock
for _ in $(seq 100); do
    [ -e "$lock" ] && break
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended at start: $(cat "$work/game.err")"
    sleep 0.1
done
[ -e "$lock" ] || fail "no lock at $lock"
[ -d "$HOME/.config/kestrune" ] || fail "no config folder"
sleep 2
kill -0 "$game_pid" 2>/dev/null || fail "the game ended by itself: $(cat "$work/game.err")"
kill -TERM "$game_pid"
wait "$game_pid" && rc=0 || rc=$?
game_pid=""
[ "$rc" -eq 0 ] || fail "SIGTERM ended the game with $rc"
[ ! -s "$work/game.err" ] || fail "the game wrote to standard error: $(cat "$work/game.err")"
find "$root" -printf '%p %s %T@\n' | sort >"$work/after"
diff "$work/before" "$work/after" || fail "the game changed the installed tree"
echo "package check passed"
