#!/usr/bin/env bash
# The real game as a Wayland client of weston, nested in a private Xvfb.
#
#   wayland.sh GAME play|hidpi|close [DRIVER]
#   play:  the intro shows, the app id matches the desktop entry, Space
#          held turns the canvas red, F11 letterboxes it into weston's
#          output and back, and five presses end the game with 0.
#   hidpi: the same on an output of scale 2 (640 x 400 points): the
#          canvas is drawn in the output's own pixels, in fullscreen at the
#          largest whole scale they allow, 3, with pure black right at its
#          edges (a letterbox taken in points would give 1, which weston
#          would double to 2).
#   close: the window's close button ends the game with 0 and a clean
#          shutdown; a missing picture gives its lines and 1.
#   DRIVER: the SDL video driver asked for; empty for SDL's own choice.
# shellcheck source=tests/lib/window.sh
source "$(dirname "$0")/../lib/window.sh" "$1"
mode=$2
scale=1
[ "$mode" = hidpi ] && scale=2
weston_start "$([ "$scale" = 2 ] && echo 640x400 || echo 1280x720)" "$scale"
output=$WESTON_OUTPUT
window=$((QUONDEL_VIEW_WIDTH * scale))x$((QUONDEL_VIEW_HEIGHT * scale))
[ -z "${3:-}" ] || GAME_ENV+=("SDL_VIDEODRIVER=$3")
game_copy standin

# colour_box <RRGGBB>: the screen's pixels of that colour, as box gives.
colour_box() { shot screen root && box screen "$1"; }
# start_wayland_game [VAR=value...]: the game in the background, until its
# stand-in stamp (green, about 26 x 20 in the 4:3 view) is on weston's
# output; then a click on it gives the game the keyboard, as a player's
# would.
start_wayland_game() {
  game_run "$@"
  stamp=
  stamp_shown() {
    game_running || fail "the game ended before showing its window"
    stamp=$(colour_box 00FF00) && [[ $stamp =~ ^[1-9][0-9]x[1-9][0-9]\+ ]]
  }
  wait_until 30 stamp_shown || fail "no stamp on weston's output (green: $stamp)"
  local x y
  IFS=+ read -r _ x y <<<"$stamp"
  xdotool mousemove $((x + 10)) $((y + 10)) click 1
  key_down space
  red=
  red_window() { red=$(colour_box FF0000) && [[ $red =~ ^$window\+ ]]; }
  wait_until 20 red_window || fail "the canvas never turned red in a $window window (red: $red)"
  note "red while held, window at $red"
}

case $mode in
  play | hidpi)
    start_wayland_game WAYLAND_DEBUG=client
    grep -q 'set_app_id("quondel")' "$T_TMP/game.err" || fail "app id is not quondel: $(grep -m1 set_app_id "$T_TMP/game.err")"
    # The pointer out of the way of the letterbox's edges.
    xdotool mousemove $((${output%x*} - 1)) $((${output#*x} - 1))
    xdotool key F11
    letterbox "$output"
    letterboxed() { [ "$(colour_box FF0000)" = "$LETTERBOX" ] && all_are screen black "${LETTERBOX_OUTSIDE[@]}"; }
    wait_until 15 letterboxed ||
      fail "fullscreen: red $(colour_box FF0000), outside $(pixels screen "${LETTERBOX_OUTSIDE[@]}" | tr '\n' ' ')"
    note "fullscreen: $LETTERBOX between black bars"
    xdotool key F11
    wait_until 15 red_window || fail "the second F11 did not restore the window (red: $red)"
    note "windowed again at $red"
    key_up space
    sleep 0.3
    end_with_fifth_press 1
    ;;
  close)
    start_wayland_game
    # The close button sits at the right end of the title bar that libdecor
    # draws above the canvas. The pointer comes to rest on it before the
    # click, as a hand's would, and clicks again if the title bar was not
    # ready yet.
    IFS=+ read -r _ x y <<<"$red"
    close_clicked() {
      xdotool mousemove $((x + QUONDEL_VIEW_WIDTH - 20)) $((y - 12))
      sleep 0.2
      xdotool mousemove $((x + QUONDEL_VIEW_WIDTH - 17)) $((y - 12))
      sleep 0.2
      xdotool click 1
      wait_until 4 bash -c "! kill -0 $GAME_PID 2>/dev/null"
    }
    wait_until 12 close_clicked || fail "the close button did not end the game"
    game_wait_exit 10 0
    key_up space
    expect_released
    note "closed by its close button: exit 0, all ${#PICTURES[@]} images released"
    game_without stamp
    ;;
  *) fail "unknown mode $mode" ;;
esac
