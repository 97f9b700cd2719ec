#!/usr/bin/env bash
# The zip as a player gets it, under Wine: its files, the options typed
# in cmd.exe, then the game from the unzipped folder played to the end
# with F11 on the way, closed by the window manager, started without a
# picture, and started without a picture and without standard error (the
# message box, whose text is read back); the reduced-flashing launcher;
# the frame tool's frames of both modes against the goldens. Last, the
# display at 150 % and 200 %.
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
  printf './%s\n' LICENSE.txt README.txt SDL2.dll quondel.exe quondel.com quondel-reduced-flashing.exe
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
# The game twice: the windowed program and its console twin, each needing
# only system DLLs and SDL's, each with version, icon and a manifest
# declaring per-monitor DPI awareness.
for program in quondel.exe:GUI quondel.com:CUI; do
  file=$dir/${program%:*}
  headers=$(x86_64-w64-mingw32-objdump -p "$file")
  grep -q "Subsystem.*(Windows ${program#*:})" <<<"$headers" || fail "${program%:*} is not a ${program#*:} program"
  dlls=$(awk '/DLL Name:/ {print $3}' <<<"$headers" | sort | tr '\n' ' ')
  for dll in $dlls; do
    [[ $dll =~ ^(SDL2|KERNEL32|msvcrt|USER32|SHELL32|api-ms-win-.*)\.dll$ ]] || fail "${program%:*} needs $dll ($dlls)"
  done
  strings -el "$file" | tr '\n' ' ' |
    grep -q "OriginalFilename ${program%:*} ProductName $QUONDEL_TITLE .*ProductVersion $QUONDEL_VERSION" ||
    fail "${program%:*}: no version information"
  [ "$(LC_ALL=C grep -c $'\x89PNG' "$file")" -ge 1 ] || fail "no icon in ${program%:*}"
  grep -q '<dpiAwareness .*>PerMonitorV2' <<<"$(strings "$file")" || fail "${program%:*} is not DPI-aware"
done
note "zip: files, warning, GUI program and console twin needing only $dlls, version, icon, DPI-aware"

x_start 1920x1080
wine_prefix
note "Wine prefix ready"

# Typed in cmd.exe at its prompt, "quondel" is the console twin: the shell
# waits for it, so its answer comes before the next prompt and the exit
# code is the one it ended with. For a GUI program cmd waits neither on
# Windows nor under Wine: the prompt comes first, the code is lost.
typed() {
  printf 'quondel %s & call echo exit %%^ERRORLEVEL%%\r\n' "$1" | (cd "$dir" && "$WINE" cmd 2>&1) | tr -d '\r' |
    tail -n +2 | sed 's/^[A-Z]:\\[^>]*>//'
}
help=$(typed --help)
[[ $help == $'\nusage: quondel '*$'\nexit 0' ]] || fail "typed in cmd, quondel --help answers: $help"
usage=${help#$'\n'}
usage=${usage%$'\nexit 0'}
answer=$(typed --bogus)
[ "$answer" = $'\n'"quondel: unknown option '--bogus'"$'\n'"${usage%%$'\n'*}"$'\n'"Try 'quondel --help' for more information."$'\nexit 2' ] ||
  fail "typed in cmd, quondel --bogus answers: $answer"
# Redirected, the answer stays in the file.
answer=$(typed '--version >version.txt')
{ [ "$answer" = $'\nexit 0' ] && [ "$(tr -d '\r' <"$dir/version.txt")" = "quondel $QUONDEL_VERSION" ]; } ||
  fail "typed in cmd, quondel --version >version.txt answers: $answer, writes: $(cat "$dir/version.txt")"
rm "$dir/version.txt"
note "typed in cmd: --help and --bogus answered before the prompt, exit 0 and 2; --version into a file"
game_use "$dir/quondel.exe"

# Started as a double-click starts it: the start screen first, then,
# chosen with Enter, played to the end, through fullscreen and back.
GAME_ARGS=()
game_start
window_wait_size "$VIEW"
wait_until 20 eval 'shot screen && start_screen_shown screen' || fail "no start screen"
xdotool key Return
GAME_ARGS=(--full-flashing)
note "the start screen, passed with Enter"
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
# Scene two is counted from its first frame on: a press made while a
# loaded machine is still drawing the first frames after fullscreen would
# be lost.
scene_two() { shot released && ! all_are released red "${WINDOW_EDGES[@]}"; }
wait_until 20 scene_two || fail "scene two never came"
sleep 1
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

# 150 % and 200 %: the window is sized in points, 1.5 and 2 times the view
# in the display's pixels, and the canvas is drawn at the largest whole
# scale that fits, centred: at 200 % the held red fills the window from
# corner to corner and every row of the canvas is two identical rows of
# the display (a window stretched by the system would blur between them);
# at 150 % it stays at scale 1 between black bars.
for dpi in 144 192; do
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
    fail "cannot set $dpi DPI"
  size=$(((QUONDEL_VIEW_WIDTH * dpi + 48) / 96))x$(((QUONDEL_VIEW_HEIGHT * dpi + 48) / 96))
  game_start
  window_wait_size "$size"
  wait_until 20 intro_shown || fail "$dpi DPI: no intro on screen"
  if [ "$dpi" = 192 ]; then
    sharp() {
      shot sharp && convert "$T_TMP/sharp.png" -sample 100%x50% -sample 100%x200% "$T_TMP/rows.png" &&
        [ "$(compare -metric AE "$T_TMP/sharp.png" "$T_TMP/rows.png" null: 2>&1)" = 0 ]
    }
    # A shot may catch a frame half drawn; a blurred one never passes.
    wait_until 10 sharp || fail "192 DPI: the intro's rows are not doubled"
  fi
  key_down space
  expect_letterbox "$size" red "held$dpi"
  key_up space
  game_close
  game_wait_exit 20 0
  note "$dpi DPI: window $size, the canvas at $LETTERBOX"
done
