#!/usr/bin/env bash
# The start screen of a game started with no mode chosen: the warning and
# the two choices, still, with no scene behind; a letter, an arrow and a
# click beside the choices start nothing; Tab then Enter on "Play with
# reduced flashing" starts the intro (that this choice is the reduced
# mode, the headless StartScreen test shows: screenshots are too slow to
# tell the modes apart). Started again, a click on "Play" starts the
# intro; started a third time, it is sharp at scale 2 and Escape ends it
# with 0; closed by the window manager, it ends with 0 too.
# shellcheck source=tests/lib/window.sh
source "$(dirname "$0")/../lib/window.sh" "$1"

x_start 1024x768
game_copy
# shellcheck disable=SC2034 # read by game_run
GAME_ARGS=()
game_start
[ "$(window_size)" = "$VIEW" ] || fail "window is $(window_size), expected $VIEW"
wait_until 20 eval 'shot screen && start_screen_shown screen' || fail "no start screen"
# The highlighted choice's label is the only white: "Play" first.
play_box=$(box screen FFFFFF)
[[ $play_box =~ ^2[0-9]x[0-9]+\+([0-9]+)\+([0-9]+)$ ]] || fail "'Play' is not highlighted: white at $play_box"
play_x=$((BASH_REMATCH[1] + 10)) choices_y=$((BASH_REMATCH[2] + 4))
note "start screen with 'Play' highlighted ($play_box)"

# still <name>: the screen is still the start screen after a second.
still() {
  sleep 1
  game_running || fail "$1: the game ended"
  shot "$1" && start_screen_shown "$1" || fail "$1: the start screen is gone"
}
xdotool key a
still letter
[ "$(box letter FFFFFF)" = "$play_box" ] || fail "a letter moved the highlight"
xdotool key Right
still arrow
[ "$(box arrow FFFFFF)" != "$play_box" ] || fail "an arrow did not move the highlight"
xdotool key Left
xdotool mousemove --window "$GAME_WIN" 2 "$choices_y" click 1
still click
[ "$(box click FFFFFF)" = "$play_box" ] || fail "the highlight is not back on 'Play'"
note "a letter, an arrow each way and a click beside the choices: still the start screen"

xdotool key Tab
still tab
xdotool key Return
# A scene has colour; the start screen has none.
intro() { shot intro && [ "$(convert "$T_TMP/intro.png" -colorspace HSL -channel G -separate -format '%[fx:maxima]' info:)" != 0 ]; }
wait_until 20 intro || fail "Enter started nothing"
note "Tab, Enter: the intro"
game_close
game_wait_exit 20 0

# A click on a choice chooses it.
game_start
wait_until 20 eval 'shot click && start_screen_shown click' || fail "no start screen the second time"
xdotool mousemove --window "$GAME_WIN" "$play_x" "$choices_y" click 1
wait_until 20 intro || fail "a click on 'Play' started nothing"
game_close
game_wait_exit 20 0
note "a click on 'Play': the intro"

game_start
wait_until 20 eval 'shot again && start_screen_shown again' || fail "no start screen the third time"
# Drawn on the view's own grid: at scale 2 every pixel of scale 1 doubled,
# so each glyph is its font bitmap times the scale, not stretched 4:3.
xdotool windowsize "$GAME_WIN" $((QUONDEL_VIEW_WIDTH * 2)) $((QUONDEL_VIEW_HEIGHT * 2))
window_wait_size $((QUONDEL_VIEW_WIDTH * 2))x$((QUONDEL_VIEW_HEIGHT * 2))
convert "$T_TMP/screen.png" -sample 200% "$T_TMP/doubled.png"
doubled() { shot twice && [ "$(compare -metric AE "$T_TMP/doubled.png" "$T_TMP/twice.png" null: 2>&1)" = 0 ]; }
wait_until 10 doubled || fail "at scale 2 the screen is not scale 1's pixels doubled"
note "at scale 2: scale 1's pixels doubled"
xdotool key Escape
game_wait_exit 20 0
expect_released
note "started again, Escape: exit 0, every picture released"

game_start
wait_until 20 eval 'shot last && start_screen_shown last' || fail "no start screen the fourth time"
game_close
game_wait_exit 20 0
note "closed by the window manager on the start screen: exit 0"
