#!/usr/bin/env bash
# shellcheck disable=SC2054  # points are written x,y
# The window survives many resizes in a row, minimising and restoring, and
# a size below one view; it keeps answering keys, and a 1920 x 1080 window
# shows the canvas at scale 4 in x 278..1641, y 28..1051 with black bars.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" "$1"

start_x 2400x1400
prepare_game standin
start_game

# During the drift: a burst of sizes, some below 341 x 256.
for size in 400x300 800x600 200x100 1200x900 341x256 682x512 100x100 1000x300 300x1000 1365x1024 \
  50x50 700x700 1023x767 640x480 2000x1200 500x400 341x255 340x256 900x650 1920x1080; do
  xdotool windowsize "$GAME_WIN" "${size%x*}" "${size#*x}"
done
game_running || fail "ended during the resizes"

xdotool windowminimize --sync "$GAME_WIN" || fail "could not minimise"
sleep 0.5
game_running || fail "ended while minimised"
wmctrl -i -a "$GAME_WIN"
wait_until 10 is_viewable || fail "not restored"
note "minimised and restored"

xdotool windowsize --sync "$GAME_WIN" 1920 1080
wait_until 10 bash -c "[ \"\$(xwininfo -id $GAME_WIN | awk '/^  Width:/ {w = \$2} /^  Height:/ {h = \$2} END {print w \"x\" h}')\" = 1920x1080 ]" ||
  fail "window is $(window_size), expected 1920x1080"
focus_game

# Window coordinates: the inside of the scale-4 picture and the bars.
inside=(278,28 1641,28 278,1051 1641,1051 960,28 960,1051 278,540 1641,540 400,200)
outside=(277,540 1642,540 960,27 960,1052 0,0 1919,1079 100,540 1800,540 278,27 1641,1052)
letterboxed_red() {
  shot "$1" || return 1
  all_red "$1" "${inside[@]}" || return 1
  local value
  while read -r value; do is_black "$value" || return 1; done < <(pixels "$1" "${outside[@]}")
}
key_down space
wait_until 20 letterboxed_red big || {
  expect_points big red "${inside[@]}"
  expect_points big black "${outside[@]}"
}
note "1920x1080: scale 4 with black bars"

# Smaller than one view: the canvas is drawn at zero size, all black.
xdotool windowsize --sync "$GAME_WIN" 300 200
wait_until 10 bash -c "[ \"\$(xwininfo -id $GAME_WIN | awk '/^  Width:/ {print \$2}')\" = 300 ]" || fail "not resized to 300x200"
all_black() {
  shot "$1" || return 1
  local value
  while read -r value; do is_black "$value" || return 1; done < <(pixels "$1" 0,0 150,100 299,199 10,190)
}
wait_until 10 all_black small || fail "a 300x200 window shows more than black: $(pixels small 150,100)"
sleep 0.5
game_running || fail "ended in a window smaller than the view"
note "300x200: running, all black"

# Back to one view: still held, still red; the game still answers.
xdotool windowsize --sync "$GAME_WIN" 341 256
wait_red 10 0,0 340,0 0,255 340,255 || fail "not red again at 341x256"
key_up space
sleep 0.3
focus_game
for _ in 1 2 3 4 5; do press space; done
wait_game_exit 10
[ "$GAME_STATUS" = 0 ] || fail "exit code $GAME_STATUS"
note "ended with 0 after five presses"
