#!/usr/bin/env bash
# What a player gets from `cmake --install build --prefix ~/.local`, checked in
# a throw-away prefix: the game folder with every file its setting files name,
# the link in bin that starts it, the icons and a valid desktop entry; a
# second copy refused while one runs; SIGTERM ends the game with code 0; and a
# reinstall that leaves the player's records alone.
#   install_check.sh BUILD_DIR TEST_CONTENT_PROGRAM
set -euo pipefail
build=$1
content_test=$2
prefix=$(mktemp -d)
game_pid=""
cleanup() {
    if [ -n "$game_pid" ]; then kill -KILL "$game_pid" 2>/dev/null || true; fi
    rm -rf "$prefix"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
game=$prefix/lib/kestrune
link=$prefix/bin/kestrune

# The folder and the link.
[ -x "$game/kestrune" ] || fail "no executable in $game"
[ -L "$link" ] || fail "$link is not a link"
[ "$(readlink -f "$link")" = "$(readlink -f "$game/kestrune")" ] || fail "$link does not lead to the game"
for f in "$game"/*.sav "$game"/*.lock "$game"/*.tmp "$game"/cache; do
    [ -e "$f" ] && fail "build-folder leftover installed: $f"
done

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
grep -q "^Exec=\"$link\"$" "$entry" || fail "desktop entry does not start $link"
grep -q '^Name\[ja\]=' "$entry" && grep -q '^Comment\[ja\]=' "$entry" || fail "no Japanese name or comment"

# Started through the link from another folder, headless.
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
log=$prefix/first.log
(cd / && exec "$link") 2>"$log" &
game_pid=$!
for _ in $(seq 100); do
    [ -e "$game/kestrune.lock" ] && break
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
case "$second" in *"already running"*"$game/kestrune.lock"*) ;; *) fail "second copy said: $second" ;; esac

kill -TERM "$game_pid"
set +e
wait "$game_pid"
rc=$?
set -e
game_pid=""
[ "$rc" -eq 0 ] || fail "SIGTERM ended the game with exit code $rc: $(cat "$log")"

# A reinstall over a played game keeps its records and options.
printf 'RECORDS!' >"$game/record.sav"
printf 'OPTIONS!' >"$game/config.sav"
cmake --install "$build" --prefix "$prefix" >/dev/null
[ "$(cat "$game/record.sav")" = "RECORDS!" ] && [ "$(cat "$game/config.sav")" = "OPTIONS!" ] ||
    fail "reinstalling replaced the saves"
echo "install check passed"
