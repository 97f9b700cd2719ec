#!/usr/bin/env bash
# The window never goes blank.
#
#   resize.sh GAME [bare]
#   (default): under openbox, with the OpenGL renderer, the window survives
#          many resizes in a row, minimising and restoring; it keeps
#          answering keys, a 1920 x 1080 window shows the canvas
#          letterboxed at the largest whole scale, and a 200 x 150 request
#          leaves it at one view, whole.
#   bare:  with no window manager to hold that minimum, a 200 x 150 window
#          shows the whole view scaled down to fit.
# shellcheck source=tests/lib/window.sh
source "$(dirname "$0")/../lib/window.sh" "$1"

if [ "${2:-}" = bare ]; then
  x_start 1024x768 bare
  game_copy standin
  game_start
  xdotool windowsize "$GAME_WIN" 200 150
  window_wait_size 200x150
  game_focus
  key_down space
  # 150 / 256 of a pixel per unit: the view is 199 x 150 at the top left
  # (its middle has the hand and the stamp).
  whole() { shot small && all_are small red 0,0 198,0 0,149 198,149 30,75 170,75 100,40 100,110 && all_are small black 199,0 199,149; }
  wait_until 15 whole || fail "a 200x150 window without a window manager: $(pixels small 0,0 198,149 199,75 | tr '\n' ' ')"
  note "200x150 without a window manager: the whole view scaled down, red to its corners"
  key_up space
  sleep 0.3
  end_with_fifth_press 1
  exit 0
fi

x_start 2400x1400
game_copy standin
# The OpenGL renderer replaces the window it is given; the minimum size
# must hold on the one that is shown.
game_start SDL_RENDER_DRIVER=opengl

# During the drift: a burst of sizes, some below the view.
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
window_wait_size 1920x1080
game_focus
key_down space
expect_letterbox 1920x1080 red big
note "1920x1080: $LETTERBOX with black bars"

# Asked for less than one view: the window manager keeps it at one view,
# the canvas whole at scale 1.
xdotool windowsize "$GAME_WIN" 200 150
window_wait_size "$VIEW"
sleep 0.5
window_wait_size "$VIEW"
wait_red 10 "${WINDOW_EDGES[@]}" || fail "not red to its edges after asking for 200x150"
game_running || fail "ended when asked for a window smaller than the view"
note "200x150 asked: stays $VIEW, whole"

# Still held, still red; the game still answers.
key_up space
sleep 0.3
game_focus
end_with_fifth_press 1
