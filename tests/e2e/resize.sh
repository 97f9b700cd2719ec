#!/usr/bin/env bash
# The window survives many resizes in a row, minimising and restoring, and
# a size below one view; it keeps answering keys, and a 1920 x 1080 window
# shows the canvas letterboxed at the largest whole scale.
# shellcheck source=tests/lib/window.sh
source "$(dirname "$0")/../lib/window.sh" "$1"

x_start 2400x1400
game_copy standin
game_start

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

# Smaller than one view: the canvas is drawn at zero size, all black.
xdotool windowsize --sync "$GAME_WIN" 300 200
window_wait_size 300x200
all_black() { shot small && all_are small black 0,0 150,100 299,199 10,190; }
wait_until 10 all_black || fail "a 300x200 window shows more than black: $(pixels small 150,100)"
sleep 0.5
game_running || fail "ended in a window smaller than the view"
note "300x200: running, all black"

# Back to one view: still held, still red; the game still answers.
xdotool windowsize --sync "$GAME_WIN" "$QUONDEL_VIEW_WIDTH" "$QUONDEL_VIEW_HEIGHT"
wait_red 10 "${WINDOW_EDGES[@]}" || fail "not red again at $VIEW"
key_up space
sleep 0.3
game_focus
end_with_fifth_press 1
