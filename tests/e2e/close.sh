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
xprop -id "$GAME_WIN" _NET_WM_ICON | grep -q 'Icon (6 x 6)' || fail "no icon on the window: $(xprop -id "$GAME_WIN" _NET_WM_ICON | head -n 2)"
game_close
game_wait_exit 10 0
expect_released
note "icon on the window; closed during the intro: exit 0, all ${#PICTURES[@]} images released"
