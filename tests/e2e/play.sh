#!/usr/bin/env bash
# The real game from start to end: its one window of the view's size and
# title, the held red intro, the first image of the second scene, and the
# fifth press ending it with 0. With "real" as second argument it plays
# with the game's own pictures and checks only what holds whatever they
# look like; with "no-gl" it plays on an X server without OpenGL, through
# SDL's software renderer, and says so once.
# shellcheck source=tests/lib/window.sh
source "$(dirname "$0")/../lib/window.sh" "$1"
mode=${2:-standin}
art=$mode
gl=()
if [ "$mode" = no-gl ]; then
  art=standin
  gl=(no-gl)
fi

x_start 1024x768 "${gl[@]}"
game_copy "$art"
# Every window the window manager ever lists: the game must show one
# window from its first frame, never a first one replaced by a second.
xprop -root -spy _NET_CLIENT_LIST >"$T_TMP/clients" 2>/dev/null &
T_PIDS+=($!)
game_start
[ "$(window_size)" = "$VIEW" ] || fail "window is $(window_size), expected $VIEW"
[ "$(xdotool getwindowname "$GAME_WIN")" = "$QUONDEL_TITLE" ] || fail "title is $(xdotool getwindowname "$GAME_WIN")"

# Held from now on; it only counts once the three-second drift is over.
key_down space
if [ "$art" = real ]; then
  mostly_red() { shot held && awk -v s="$(red_share held)" 'BEGIN {exit !(s > 0.5)}'; }
  wait_until 20 mostly_red || fail "the canvas never turned mostly red"
  note "red share $(red_share held)"
else
  wait_red 20 "${WINDOW_EDGES[@]}" || fail "the canvas never turned red: $(pixels held "${WINDOW_EDGES[@]}" | tr '\n' ' ')"
fi
note "red while held"
game_running || fail "ended while held"

key_up space
sleep 0.3
shot scene2
[ "$art" = real ] || expect_points scene2 dark 170,60 170,200 3,128 337,128
# The figure may be drawn red, but nothing like the whole canvas.
awk -v s="$(red_share scene2)" 'BEGIN {exit !(s < 0.3)}' || fail "still red after the release"

# First press: an image at the hand. Kept held so it can be looked at.
key_down space
sleep 0.3
if [ "$art" != real ]; then
  # The 8 x 8 stand-in is drawn at the hand (near canvas 128,128: view
  # 170,128) in one of eight full colours; the faint hand alone is never
  # at full intensity. Look over a few frames for a lit one.
  lit=0
  for _ in $(seq 20); do
    shot inspi
    v=$(pixels inspi 173,128)
    if [[ $v =~ ^(0|255),(0|255),(0|255)$ ]] && [ "$v" != 0,0,0 ]; then lit=1 && break; fi
  done
  [ "$lit" = 1 ] || fail "no image at the hand after the first press (last $v)"
fi
key_up space
sleep 0.25

end_with_fifth_press 2
windows=$(grep -o '0x[0-9a-f]*' "$T_TMP/clients" | sort -u)
[ "$windows" = "$(printf '%#x' "$GAME_WIN")" ] || fail "windows listed: $(echo "$windows" | tr '\n' ' ')"
note "one window from start to end"
if [ "$mode" = no-gl ]; then
  fallbacks=$(grep -cxF "no accelerated renderer; drawing with SDL's software renderer" "$T_TMP/game.err" || true)
  [ "$fallbacks" = 1 ] || fail "the software renderer's line $fallbacks times, expected once"
  note "played through SDL's software renderer, said once"
fi
