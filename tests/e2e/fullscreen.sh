#!/usr/bin/env bash
# F11 switches to desktop fullscreen and back while a scene runs; both ways
# the canvas is shown at the largest whole scale, centred between pure
# black bars.
# shellcheck source=tests/lib/window.sh
source "$(dirname "$0")/../lib/window.sh" "$1"

x_start 1920x1080
game_copy standin
game_start

key_down space
wait_red 20 "${WINDOW_EDGES[@]}" || fail "the canvas never turned red"
xdotool key F11
window_wait_size 1920x1080
expect_letterbox 1920x1080 red fullscreen root
note "fullscreen: $LETTERBOX with black bars, still held"

xdotool key F11
window_wait_size "$VIEW"
game_focus
wait_red 15 "${WINDOW_EDGES[@]}" || fail "not red at scale 1 after leaving fullscreen: $(pixels held "${WINDOW_EDGES[@]}" | tr '\n' ' ')"
note "windowed again: scale 1"

# In the second scene as well.
key_up space
sleep 0.3
xdotool key F11
window_wait_size 1920x1080
expect_letterbox 1920x1080 dark scene2 root
xdotool key F11
window_wait_size "$VIEW"
game_focus
end_with_fifth_press 1
