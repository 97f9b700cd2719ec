#!/usr/bin/env bash
# F11 switches to desktop fullscreen and back while a scene runs; both ways
# the canvas is shown at the largest whole scale, centred between pure
# black bars. One toggle per press: F11 held, auto-repeating, toggles once;
# two quick presses toggle twice.
# shellcheck source=tests/lib/window.sh
source "$(dirname "$0")/../lib/window.sh" "$1"

need xset xev xprop
x_start 1920x1080
xset r on
game_copy standin
game_start

# What reaches the window: F11's presses (xev's own, without SDL's
# detection of repeats), and each change of its fullscreen state.
xev -id "$GAME_WIN" -event keyboard >"$T_TMP/keys.log" 2>&1 &
T_PIDS+=($!)
xprop -spy -id "$GAME_WIN" _NET_WM_STATE >"$T_TMP/states.log" 2>&1 &
T_PIDS+=($!)
sleep 0.5
f11_presses() { awk '/^KeyPress/ {k = 1} k && /, F11\)/ {n++; k = 0} END {print n + 0}' "$T_TMP/keys.log"; }
toggles() { awk '{f = /FULLSCREEN/; if (NR > 1 && f != last) n++; last = f} END {print n + 0}' "$T_TMP/states.log"; }
# expect_toggles N: N toggles in all, and no more a second later.
expect_toggles() {
  toggled() { [ "$(toggles)" -ge "$1" ]; }
  wait_until 10 toggled "$1" || fail "$(toggles) fullscreen toggles, expected $1"
  sleep 1
  [ "$(toggles)" = "$1" ] || fail "$(toggles) fullscreen toggles, expected $1"
}

xdotool keydown F11 sleep 2 keyup F11
[ "$(f11_presses)" -ge 5 ] || fail "F11 held for 2 s reached the window $(f11_presses) times: no auto-repeat"
expect_toggles 1
window_wait_size 1920x1080
note "F11 held for 2 s, $(f11_presses) presses with its repeats: one toggle"
xdotool key F11
expect_toggles 2
xdotool key F11 sleep 0.1 key F11
expect_toggles 4
window_wait_size "$VIEW"
game_focus
note "two presses 100 ms apart: two toggles"

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
