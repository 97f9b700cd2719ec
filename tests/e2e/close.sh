#!/usr/bin/env bash
# Closing the window during the intro's drift ends the game with 0 and a
# clean shutdown, the second scene never shown; the window carries the
# game's icon, the open hand.
# shellcheck source=tests/lib/window.sh
source "$(dirname "$0")/../lib/window.sh" "$1"

x_start 1024x768
game_copy standin
game_start
# The stand-in stamp, green, is on the canvas: still the intro.
stamp_shown() { shot intro && [ "$(count_colour intro 00FF00)" -gt 100 ]; }
wait_until 10 stamp_shown || fail "no stamp on screen"
# The open hand's stand-in is 6 x 6 and blue, the closed hand's cyan.
icon=$(xprop -id "$GAME_WIN" -notype -f _NET_WM_ICON 32c _NET_WM_ICON)
[[ $icon == "_NET_WM_ICON = 6, 6, $((0xff0000ff)),"* ]] || fail "not the open hand on the window: ${icon:0:80}"
game_close
game_wait_exit 10 0
expect_released
note "icon on the window; closed during the intro: exit 0, all ${#PICTURES[@]} images released"
