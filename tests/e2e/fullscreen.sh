#!/usr/bin/env bash
# shellcheck disable=SC2054  # points are written x,y
# F11 switches to desktop fullscreen and back while a scene runs; both ways
# the canvas is shown at the largest whole scale, centred between pure
# black bars. On a 1920 x 1080 screen that is scale 4 in x 278..1641,
# y 28..1051.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" "$1"

start_x 1920x1080
prepare_game standin
start_game

window_red=(0,0 340,0 0,255 340,255 0,128 340,128)
key_down space
wait_red 20 "${window_red[@]}" || fail "the canvas never turned red"


xdotool key F11
wait_until 15 bash -c "[ \"\$(xwininfo -id $GAME_WIN | awk '/^  Width:/ {print \$2}')\" = 1920 ]" ||
  fail "F11 did not make the window fullscreen: $(window_size)"
wait_until 15 fullscreen_ok fullscreen || {
  expect_points fullscreen red "${LETTERBOX_INSIDE[@]}"
  expect_points fullscreen black "${LETTERBOX_OUTSIDE[@]}"
}
note "fullscreen: scale 4 with black bars, still held"

xdotool key F11
wait_until 15 bash -c "[ \"\$(xwininfo -id $GAME_WIN | awk '/^  Width:/ {print \$2}')\" = 341 ]" ||
  fail "the second F11 did not restore the window: $(window_size)"
[ "$(window_size)" = 341x256 ] || fail "restored window is $(window_size)"
focus_game
wait_red 15 "${window_red[@]}" || fail "not red at scale 1 after leaving fullscreen: $(pixels held "${window_red[@]}" | tr '\n' ' ')"
note "windowed again: scale 1"

# In the second scene as well.
key_up space
sleep 0.3
xdotool key F11
wait_until 15 bash -c "[ \"\$(xwininfo -id $GAME_WIN | awk '/^  Width:/ {print \$2}')\" = 1920 ]" ||
  fail "F11 in the second scene did not make the window fullscreen"
# dark_fullscreen_ok <name>: the dark canvas, same place, same bars. The
# figure may light the canvas's corners.
middles=(960,28 960,1051 278,540 1641,540 400,200)
dark_fullscreen_ok() {
  shot "$1" root || return 1
  local value
  while read -r value; do is_black "$value" || return 1; done < <(pixels "$1" "${LETTERBOX_OUTSIDE[@]}")
  while read -r value; do is_dark "$value" || return 1; done < <(pixels "$1" "${middles[@]}")
}
wait_until 15 dark_fullscreen_ok scene2 || {
  expect_points scene2 black "${LETTERBOX_OUTSIDE[@]}"
  expect_points scene2 dark "${middles[@]}"
}
xdotool key F11
wait_until 15 bash -c "[ \"\$(xwininfo -id $GAME_WIN | awk '/^  Width:/ {print \$2}')\" = 341 ]" ||
  fail "F11 in the second scene did not restore the window"
focus_game
for _ in 1 2 3 4 5; do press space; done
wait_game_exit 10
[ "$GAME_STATUS" = 0 ] || fail "exit code $GAME_STATUS"
note "ended with 0 after five presses"
