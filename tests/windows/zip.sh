#!/usr/bin/env bash
# The zip as a player gets it, under Wine: its files, then the game from
# the unzipped folder played to the end with F11 on the way, closed by
# the window manager, started without a picture, and started without a
# picture and without standard error (the message box, whose text is read
# back); the reduced-flashing launcher. Then the frame tool's frames of
# both modes against the goldens.
#
#   zip.sh <build-windows directory>
# shellcheck source=tests/lib/window.sh
source "$(dirname "$0")/../lib/window.sh" "$1/quondel.exe"
src=$(cd "$(dirname "$0")/../.." && pwd)

name=quondel-$QUONDEL_VERSION-win64
zip=("$GAME_BUILD"/package/*.zip)
[ "${zip[*]}" = "$GAME_BUILD/package/$name.zip" ] || fail "zips: ${zip[*]}"
(cd "$T_TMP" && cmake -E tar xf "${zip[0]}") || fail "cannot unzip ${zip[0]}"
dir=$T_TMP/$name
listing=$(cd "$dir" && find . -type f | sort | tr '\n' ' ')
expected=$( {
  printf './%s\n' LICENSE.txt README.txt SDL2.dll quondel.exe quondel-reduced-flashing.exe
  printf './res/%s.bmp\n' "${PICTURES[@]}"
} |
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
strings -el "$dir/quondel.exe" | tr '\n' ' ' | grep -q "ProductName $QUONDEL_TITLE .*ProductVersion $QUONDEL_VERSION" ||
  fail "no version information"
[ "$(LC_ALL=C grep -c $'\x89PNG' "$dir/quondel.exe")" -ge 1 ] || fail "no icon in quondel.exe"
note "zip: files, warning, GUI program needing only $dlls, version, icon"

x_start 1920x1080
wine_prefix
note "Wine prefix ready"
game_use "$dir/quondel.exe"

# Played to the end, through fullscreen and back.
game_start
window_wait_size "$VIEW"
intro_shown() { shot intro && [ "$(count_colour intro F6F0DE)" -gt 500 ] && [ "$(count_colour intro 80B2E2)" -gt 300 ]; }
wait_until 20 intro_shown || fail "no intro on screen"
note "window $VIEW with the intro"
key_down space
wait_red 20 "${WINDOW_EDGES[@]}" || fail "the canvas never turned red"
xdotool key F11
expect_letterbox 1920x1080 red fullscreen root
xdotool key F11
window_wait_size "$VIEW"
note "held: red; F11: the letterbox $LETTERBOX; F11 again: $VIEW"
game_focus
key_up space
sleep 0.5
end_with_fifth_press 1

game_start
wait_until 20 intro_shown || fail "no intro on screen"
game_close
game_wait_exit 20 0
expect_released
note "closed by the window manager: exit 0, all ${#PICTURES[@]} images released"

# The launcher: the game beside it with its arguments and handles, then
# played and closed, its exit code passed on.
[ "$("$WINE" "$launcher" --version | tr -d '\r')" = "quondel $QUONDEL_VERSION" ] || fail "launcher: no version"
game_use "$launcher"
game_start
wait_until 20 intro_shown || fail "launcher: no intro on screen"
game_close
game_wait_exit 20 0
game_use "$dir/quondel.exe"
note "launcher: a GUI program starting quondel.exe --reduce-flashing, closed with exit 0"

game_without stamp

# Nobody reads standard error: the same text in a message box, and the
# game ends with 1 once it is closed. The box is read back by a small
# Windows program in the same prefix.
x86_64-w64-mingw32-g++-posix -std=c++17 -O1 -static -o "$T_TMP/boxtext.exe" "$(dirname "$0")/boxtext.cpp" ||
  fail "cannot build the box reader"
mv "$dir/res/stamp.bmp" "$T_TMP/stamp.bmp"
"$GAME" 2>&- &
GAME_PID=$!
# The game's own window comes and goes first; the box is the other one.
message_box() {
  local id size
  for id in $(xdotool search --onlyvisible --name "^$QUONDEL_TITLE\$" 2>/dev/null); do
    GAME_WIN=$id
    size=$(window_size 2>/dev/null) || continue
    [ "$size" != "$VIEW" ] && return 0
  done
  return 1
}
wait_until 30 message_box || fail "no message box"
"$WINE" "$T_TMP/boxtext.exe" "$QUONDEL_TITLE" >"$T_TMP/box.txt" || fail "the box's text cannot be read"
expect_missing stamp "$T_TMP/box.txt"
box_size=$(window_size)
game_running || fail "the game ended while its message box was shown"
game_close
game_wait_exit 20 1
mv "$T_TMP/stamp.bmp" "$dir/res/stamp.bmp"
note "no standard error: a message box $box_size saying $(head -n1 "$T_TMP/box.txt" | tr -d '\r') and the rest, exit 1 once closed"

# The frame tool with SDL's software renderer, frame for frame, both modes.
count=0
for mode in "" -reduced; do
  mkdir -p "$T_TMP/frames$mode"
  (cd "$T_TMP" && SDL_VIDEODRIVER=dummy SDL_RENDER_DRIVER=software timeout 120 "$WINE" "$GAME_BUILD/quondel_frames.exe" \
    ${mode:+--reduce-flashing} "frames$mode" >"$T_TMP/frames.log" 2>&1) ||
    fail "frame tool: $(cat "$T_TMP/frames.log")"
  for golden in "$src"/tests/golden/frames"$mode"/*.bmp; do
    frame=$T_TMP/frames$mode/$(basename "$golden")
    [ -f "$frame" ] || fail "frame tool wrote no frames$mode/$(basename "$golden")"
    differ=$(compare -metric AE "$golden" "$frame" null: 2>&1) || true
    [ "$differ" = 0 ] || fail "frames$mode/$(basename "$golden"): $differ pixels differ"
    count=$((count + 1))
  done
done
[ "$count" -gt 0 ] || fail "no golden frames"
note "frame tool under Wine: the $count golden frames of both modes, pixel for pixel"
