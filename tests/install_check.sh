#!/usr/bin/env bash
# What a player gets from `cmake --install build --prefix ~/.local`, checked in
# a throw-away prefix and home: the game in games/ and its folder in
# share/games/kestrune/ with every file its setting files name, the links in
# bin that start the game and the checker, the icons and a valid desktop
# entry; saves of the old layout (<prefix>/lib/kestrune/) carried into the
# XDG folders at the first start; a second copy refused while one runs;
# SIGTERM ends the game with code 0; and nothing written into the prefix.
#   install_check.sh BUILD_DIR TEST_CONTENT_PROGRAM
set -euo pipefail
build=$1
content_test=$2
prefix=$(mktemp -d)
home=$(mktemp -d)
game_pid=""
cleanup() {
    if [ -n "$game_pid" ]; then kill -KILL "$game_pid" 2>/dev/null || true; fi
    rm -rf "$prefix" "$home"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
game=$prefix/share/games/kestrune
exe=$prefix/games/kestrune
link=$prefix/bin/kestrune

# The programs, the links and the game folder.
for program in kestrune kestrune-check; do
    [ -x "$prefix/games/$program" ] || fail "no $prefix/games/$program"
    [ -L "$prefix/bin/$program" ] || fail "$prefix/bin/$program is not a link"
    [ "$(readlink -f "$prefix/bin/$program")" = "$(readlink -f "$prefix/games/$program")" ] ||
        fail "$prefix/bin/$program does not lead to $prefix/games/$program"
done
for f in "$game"/*.sav "$game"/*.lock "$game"/*.tmp "$game"/portable "$game"/kestrune* "$game"/cache; do
    [ -e "$f" ] && fail "build-folder leftover installed: $f"
done
[ -f "$prefix/share/man/man6/kestrune.6.gz" ] || fail "no man page"
[ -f "$prefix/share/metainfo/org.kestrune.kestrune.metainfo.xml" ] || fail "no metainfo"
[ ! -e "$prefix/lib/udev" ] || fail "udev rules installed where udev does not look"

# Every file named by sprite.ini, course.ini and def.ini, read by the game's
# own readers from the installed folder.
KESTRUNE_CONTENT_DIR=$game "$content_test" --gtest_brief=1 \
    --gtest_filter='ShippedContent.LoadsWithoutMessages:ShippedContent.CoursesNameTheirFiles' \
    >/dev/null || fail "the installed folder is missing data (run $content_test with KESTRUNE_CONTENT_DIR=$game)"

# Icons: PNG of the named size (width and height are bytes 16..23).
for size in 64 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/kestrune.png
    [ -f "$icon" ] || fail "no icon $icon"
    dims=$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ' | sed 's/^ //')
    [ "$dims" = "0 0 $((size >> 8)) $((size & 255)) 0 0 $((size >> 8)) $((size & 255))" ] ||
        fail "$icon is not ${size}x${size} ($dims)"
done

# The desktop entry: valid, in the Game category, starting the link.
entry=$prefix/share/applications/kestrune.desktop
desktop-file-validate "$entry" || fail "desktop entry does not validate"
grep -q '^Categories=Game;' "$entry" || fail "desktop entry not in the Game category"
grep -q "^Exec=\"$exe\"$" "$entry" || fail "desktop entry does not start $exe"
grep -q '^Name\[ja\]=' "$entry" && grep -q '^Comment\[ja\]=' "$entry" || fail "no Japanese name or comment"

# The checker, through its link, finds the installed game folder by itself.
checked=$("$prefix/bin/kestrune-check") || fail "the checker found problems: $checked"
case "$checked" in "Checking $(readlink -f "$game")/"*) ;; *) fail "the checker said: $checked" ;; esac

# Saves of the old per-user layout, where the game kept them beside itself.
mkdir -p "$prefix/lib/kestrune"
printf 'RECORDS!' >"$prefix/lib/kestrune/record.sav"
printf 'OPTIONS!' >"$prefix/lib/kestrune/config.sav"
find "$prefix" -printf '%p %s %T@\n' | sort >"$home/before"

# Started through the link from another folder, headless, by a player whose
# folders are in $home.
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy HOME=$home XDG_CONFIG_HOME= XDG_DATA_HOME=
log=$home/first.log
lock=$home/.local/share/kestrune/kestrune.lock
(cd / && exec "$link") >"$home/first.out" 2>"$log" &
game_pid=$!
for _ in $(seq 100); do
    [ -e "$lock" ] && break
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended at start: $(cat "$log")"
    sleep 0.1
done
sleep 2   # well into start-up or the title screen
kill -0 "$game_pid" 2>/dev/null || fail "the game ended by itself: $(cat "$log")"

# A second copy is refused before it opens a window.
set +e
second=$(cd / && timeout 20 "$link" 2>&1 >/dev/null)
second_rc=$?
set -e
[ "$second_rc" -ne 0 ] && [ "$second_rc" -ne 124 ] || fail "second copy not refused (exit $second_rc)"
case "$second" in *"already running"*"$lock"*) ;; *) fail "second copy said: $second" ;; esac

kill -TERM "$game_pid"
set +e
wait "$game_pid"
rc=$?
set -e
game_pid=""
[ "$rc" -eq 0 ] || fail "SIGTERM ended the game with exit code $rc: $(cat "$log")"

# The old saves were copied, said, and left where they were; the prefix is
# as it was (a reinstall cannot touch the player's saves any more).
[ "$(cat "$home/.local/share/kestrune/record.sav")" = "RECORDS!" ] || fail "record.sav not carried over"
[ "$(cat "$home/.config/kestrune/config.sav")" = "OPTIONS!" ] || fail "config.sav not carried over"
grep -q "copied your earlier save $prefix/lib/kestrune/record.sav" "$home/first.out" ||
    fail "the carry-over was not said: $(cat "$home/first.out")"
find "$prefix" -printf '%p %s %T@\n' | sort >"$home/after"
diff "$home/before" "$home/after" || fail "the game wrote into the prefix"
echo "install check passed"
