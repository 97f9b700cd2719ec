#!/usr/bin/env bash
# Closing the window during the intro's drift ends the game with 0 and a
# clean shutdown, the second scene never shown.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" "$1"

start_x 1024x768
prepare_game standin
start_game
# The stand-in stamp, green, is on the canvas: still the intro.
stamp_shown() { shot intro && [ "$(count_colour intro 00FF00)" -gt 100 ]; }
wait_until 10 stamp_shown || fail "no stamp on screen"
# The window carries the game's icon, the open hand: its stand-in is 6 x 6
# and blue, the closed hand's cyan.
icon=$(xprop -id "$GAME_WIN" -notype -f _NET_WM_ICON 32c _NET_WM_ICON)
[[ $icon == "_NET_WM_ICON = 6, 6, $((0xff0000ff)),"* ]] || fail "not the open hand on the window: ${icon:0:80}"
close_game
wait_game_exit 10
[ "$GAME_STATUS" = 0 ] || fail "exit code $GAME_STATUS"
pictures=$(wc -l <"$E2E_PICTURES")
expected=$(for ((i = 0; i < pictures; i++)); do echo "destroyed image $i"; done)
[ "$(cat "$E2E_TMP/game.err")" = "$expected" ] || fail "unexpected stderr"
note "icon on the window; closed during the intro: exit 0, all $pictures images released"
