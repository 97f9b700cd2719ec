#!/usr/bin/env bash
# shellcheck disable=SC2054  # points are written x,y
# The zip as a player gets it, under Wine: its files, then the game from
# the unzipped folder played to the end with F11 on the way, closed by
# the window manager, started without a picture, and started without a
# picture and without standard error (the message box); the reduced-flashing
# launcher. Then the frame tool's frames of both modes against the goldens.
#
#   zip.sh <build-windows directory>
# shellcheck source=tests/windows/lib.sh
source "$(dirname "$0")/lib.sh" "$1"
src=$(cd "$(dirname "$0")/../.." && pwd)

zip=("$WIN_BUILD"/package/*.zip)
if [ "${#zip[@]}" != 1 ] || [ "$(basename "${zip[0]}")" != quondel-1.0.0-win64.zip ]; then fail "zips: ${zip[*]}"; fi
(cd "$E2E_TMP" && cmake -E tar xf "${zip[0]}") || fail "cannot unzip ${zip[0]}"
dir=$E2E_TMP/quondel-1.0.0-win64
listing=$(cd "$dir" && find . -type f | sort | tr '\n' ' ')
expected=$(cd "$src" && { printf './%s\n' LICENSE.txt README.txt SDL2.dll quondel.exe quondel-reduced-flashing.exe; find ./res -name '*.bmp'; } |
  sort | tr '\n' ' ')
[ "$listing" = "$expected" ] || fail "zip holds: $listing"
tr -d '\r' <"$dir/README.txt" | grep -qxF "$(cat "$src/packaging/photosensitivity.txt")" || fail "README.txt lacks the warning"
grep -q $'\r$' "$dir/README.txt" || fail "README.txt has no CR LF lines"
launcher=$dir/quondel-reduced-flashing.exe
grep -q 'Subsystem.*(Windows GUI)' <<<"$(x86_64-w64-mingw32-objdump -p "$launcher")" ||
  fail "the launcher would open a console window"
grep -q -- --reduce-flashing <<<"$(strings -el "$launcher")" || fail "the launcher lacks the option"
headers=$(x86_64-w64-mingw32-objdump -p "$dir/quondel.exe")
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "quondel.exe is not a GUI program"
dlls=$(awk '/DLL Name:/ {print $3}' <<<"$headers" | sort | tr '\n' ' ')
for dll in $dlls; do
  [[ $dll =~ ^(SDL2|KERNEL32|msvcrt|USER32|SHELL32|api-ms-win-.*)\.dll$ ]] || fail "quondel.exe needs $dll ($dlls)"
done
strings -el "$dir/quondel.exe" | tr '\n' ' ' | grep -q 'ProductName Quondel .*ProductVersion 1.0.0' ||
  fail "no version information"
[ "$(LC_ALL=C grep -c $'\x89PNG' "$dir/quondel.exe")" -ge 1 ] || fail "no icon in quondel.exe"
note "zip: files, warning, GUI program needing only $dlls, version, icon"

start_x 1920x1080
wine_boot
note "Wine prefix ready"
use_game "$dir"

# Played to the end, through fullscreen and back.
start_game
wait_until 20 bash -c "[ \"\$(xwininfo -id $GAME_WIN | awk '/^  Width:/ {print \$2}')\" = 341 ]" ||
  fail "window is $(window_size)"
[ "$(window_size)" = 341x256 ] || fail "window is $(window_size)"
intro_shown() { shot intro && [ "$(count_colour intro F6F0DE)" -gt 500 ] && [ "$(count_colour intro 80B2E2)" -gt 300 ]; }
wait_until 20 intro_shown || fail "no intro on screen"
note "window 341x256 with the intro"
window_red=(0,0 340,0 0,255 340,255 0,128 340,128)
key_down space
wait_red 20 "${window_red[@]}" || fail "the canvas never turned red"
xdotool key F11
wait_until 15 fullscreen_ok fullscreen || {
  expect_points fullscreen red "${LETTERBOX_INSIDE[@]}"
  expect_points fullscreen black "${LETTERBOX_OUTSIDE[@]}"
}
xdotool key F11
wait_until 15 bash -c "[ \"\$(xwininfo -id $GAME_WIN | awk '/^  Width:/ {print \$2}')\" = 341 ]" ||
  fail "the second F11 did not restore the window: $(window_size)"
note "held: red; F11: the Linux letterbox; F11 again: 341x256"
focus_game
key_up space
sleep 0.5
for _ in 1 2 3 4 5; do press space; done
wait_game_exit 20
[ "$GAME_STATUS" = 0 ] || fail "exit code $GAME_STATUS after five presses"
note "five presses: exit 0"

pictures=$(wc -l <"$E2E_PICTURES")
released=$(for ((i = 0; i < pictures; i++)); do echo "destroyed image $i"; done)
start_game
wait_until 20 intro_shown || fail "no intro on screen"
close_game
wait_game_exit 20
[ "$GAME_STATUS" = 0 ] || fail "closed: exit code $GAME_STATUS"
[ "$(game_lines "$E2E_TMP/game.err")" = "$released" ] || fail "closed: $(cat "$E2E_TMP/game.err")"
note "closed by the window manager: exit 0, all $pictures images released"

# The launcher: the game beside it with its arguments and handles, then
# played and closed, its exit code passed on.
[ "$("$WINE" "$launcher" --version | tr -d '\r')" = "quondel 1.0.0" ] || fail "launcher: no version"
printf '#!/bin/bash\nexec %q %q\n' "$WINE" "$launcher" >"$GAME"
start_game
wait_until 20 intro_shown || fail "launcher: no intro on screen"
close_game
wait_game_exit 20
[ "$GAME_STATUS" = 0 ] || fail "launcher: exit code $GAME_STATUS"
use_game "$dir"
note "launcher: a GUI program starting quondel.exe --reduce-flashing, closed with exit 0"

mv "$dir/res/stamp.bmp" "$E2E_TMP/stamp.bmp"
status=0
timeout 60 "$GAME" 2>"$E2E_TMP/missing.err" || status=$?
[ "$status" = 1 ] || fail "missing picture: exit code $status"
mapfile -t lines < <(game_lines "$E2E_TMP/missing.err")
[ "${#lines[@]}" = 4 ] || fail "missing picture: $(cat "$E2E_TMP/missing.err")"
[[ ${lines[0]} =~ ^res/stamp\.bmp:\ Couldn\'t\ open\ .+res/stamp\.bmp$ ]] || fail "missing picture: '${lines[0]}'"
[ "${lines[*]:1}" = "destroyed image 0 destroyed image 1 init failed" ] || fail "missing picture: ${lines[*]}"
note "missing picture: ${lines[0]}"

# Nobody reads standard error: the same reason in a message box, and the
# game ends with 1 once it is closed.
"$GAME" 2>&- &
GAME_PID=$!
# The game's own window comes and goes first; the box is the other one.
message_box() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Quondel$' 2>/dev/null); do
    GAME_WIN=$id
    [ "$(window_size)" != 341x256 ] && return 0
  done
  return 1
}
wait_until 30 message_box || fail "no message box"
shot box
box_size=$(window_size)
game_running || fail "the game ended while its message box was shown"
wmctrl -c Quondel
wait_game_exit 20
[ "$GAME_STATUS" = 1 ] || fail "message box: exit code $GAME_STATUS"
mv "$E2E_TMP/stamp.bmp" "$dir/res/stamp.bmp"
note "no standard error: message box $box_size, exit 1 once closed"

# The frame tool with SDL's software renderer, frame for frame, both modes.
count=0
for mode in "" -reduced; do
  mkdir -p "$E2E_TMP/frames$mode"
  (cd "$E2E_TMP" && SDL_VIDEODRIVER=dummy SDL_RENDER_DRIVER=software timeout 120 "$WINE" "$WIN_BUILD/quondel_frames.exe" \
    ${mode:+--reduce-flashing} "frames$mode" >"$E2E_TMP/frames.log" 2>&1) ||
    fail "frame tool: $(cat "$E2E_TMP/frames.log")"
  for golden in "$src"/tests/golden/frames"$mode"/*.bmp; do
    frame=$E2E_TMP/frames$mode/$(basename "$golden")
    [ -f "$frame" ] || fail "frame tool wrote no frames$mode/$(basename "$golden")"
    differ=$(compare -metric AE "$golden" "$frame" null: 2>&1) || true
    [ "$differ" = 0 ] || fail "frames$mode/$(basename "$golden"): $differ pixels differ"
    count=$((count + 1))
  done
done
[ "$count" = 18 ] || fail "$count golden frames"
note "frame tool under Wine: the 18 golden frames of both modes, pixel for pixel"
