#!/usr/bin/env bash
# shellcheck disable=SC2054  # points are written x,y
# The real game as a Wayland client of weston, nested in a private Xvfb.
# The game gets no DISPLAY, so nothing can fall back to X11.
#
#   wayland.sh GAME play|close [DRIVER]
#   play:  the intro shows, the app id matches the desktop entry, Space
#          held turns the canvas red, F11 gives the letterbox for weston's
#          1280 x 720 output (scale 2: x 299..980, y 104..615) and back,
#          and five presses end the game with 0.
#   close: the window's close button ends the game with 0 and a clean
#          shutdown; a missing picture gives its lines and 1.
#   DRIVER: the SDL video driver asked for; empty for SDL's own choice.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" "$1"
mode=$2
driver=${3:-}
command -v weston >/dev/null || {
  echo "SKIP: weston is not installed" >&2
  exit 77
}

# weston's output window sits at the top left of a slightly larger screen,
# so screen and output coordinates match and the pointer can leave it.
start_xvfb 1300x740
# A plain background without a panel; no animation delays any frame.
cat >"$E2E_TMP/weston.ini" <<'EOF'
[shell]
panel-position=none
background-color=0xff304050
animation=none
startup-animation=none
close-animation=none
focus-animation=none
locking=false
EOF
weston --backend=x11-backend.so --use-pixman --width=1280 --height=720 --socket=quondel-e2e \
  --config="$E2E_TMP/weston.ini" --idle-time=0 >"$E2E_TMP/weston.log" 2>&1 &
WM_PID=$! # stopped by lib.sh's cleanup
wait_until 20 test -S "$XDG_RUNTIME_DIR/quondel-e2e" || fail "weston did not start: $(tail -n5 "$E2E_TMP/weston.log")"
export WAYLAND_DISPLAY=quondel-e2e
# weston takes the pointer only once it enters its window; started under
# the pointer, it would never see it.
xdotool mousemove 1290 730 sleep 0.2 mousemove 640 360
game_env=(env -u DISPLAY)
[ -n "$driver" ] && game_env+=("SDL_VIDEODRIVER=$driver")
prepare_game standin

# box <RRGGBB>: "WxH+X+Y" around the screen's pixels of about that colour
# (the held red flickers by 6 in green and blue).
box() {
  shot screen root || return 1
  convert "$E2E_TMP/screen.png" -fuzz 3% -fill black +opaque "#$1" -trim -format '%wx%h%O' info: 2>/dev/null
}
red_box() { box FF0000; }

# start_wayland_game [VAR=value...]: the game in the background, until its
# stand-in stamp (green, about 26 x 20 in the 4:3 view) is on weston's output; then a click on
# it gives the game the keyboard, as a player's would.
start_wayland_game() {
  "${game_env[@]}" "$@" "$GAME" 2>"$E2E_TMP/game.err" &
  GAME_PID=$!
  stamp=
  stamp_shown() {
    game_running || fail "the game ended before showing its window"
    stamp=$(box 00FF00)
    [[ $stamp =~ ^[1-9][0-9]x[1-9][0-9]\+ ]]
  }
  wait_until 30 stamp_shown || fail "no stamp on weston's output (green: $stamp)"
  local x y
  IFS=+ read -r _ x y <<<"$stamp"
  xdotool mousemove $((x + 10)) $((y + 10)) click 1
}

case $mode in
  play)
    start_wayland_game WAYLAND_DEBUG=client
    note "intro at $stamp"
    grep -q 'set_app_id("quondel")' "$E2E_TMP/game.err" || fail "app id is not quondel: $(grep -m1 set_app_id "$E2E_TMP/game.err")"
    key_down space
    window=
    red_window() { window=$(red_box) && [[ $window =~ ^341x256\+ ]]; }
    wait_until 20 red_window || fail "the canvas never turned red in a 341x256 window (red: $window)"
    note "red while held, window at $window"
    # The pointer out of the way of the letterbox's edges.
    xdotool mousemove 1279 719

    xdotool key F11
    outside=(298,360 981,360 640,103 640,616 0,0 1279,0 0,719)
    letterbox() {
      [ "$(red_box)" = 682x512+299+104 ] || return 1
      local value
      while read -r value; do is_black "$value" || return 1; done < <(pixels screen "${outside[@]}")
    }
    wait_until 15 letterbox || fail "fullscreen: red $(red_box), outside $(pixels screen "${outside[@]}" | tr '\n' ' ')"
    note "fullscreen: scale 2 at 299,104 between black bars"
    xdotool key F11
    wait_until 15 red_window || fail "the second F11 did not restore the window (red: $window)"
    note "windowed again at $window"

    key_up space
    sleep 0.3
    end_with_fifth_press 1
    ;;
  close)
    start_wayland_game
    # The close button sits at the right end of the title bar that libdecor
    # draws above the canvas.
    key_down space
    window=
    red_window() { window=$(red_box) && [[ $window =~ ^341x256\+ ]]; }
    wait_until 20 red_window || fail "the canvas never turned red (red: $window)"
    IFS=+ read -r _ x y <<<"$window"
    # The pointer comes to rest on the button before the click, as a hand's
    # would, and clicks again if the title bar was not ready yet.
    close_clicked() {
      xdotool mousemove $((x + 341 - 20)) $((y - 12))
      sleep 0.2
      xdotool mousemove $((x + 341 - 17)) $((y - 12))
      sleep 0.2
      xdotool click 1
      wait_until 4 bash -c "! kill -0 $GAME_PID 2>/dev/null"
    }
    wait_until 12 close_clicked || fail "the close button did not end the game"
    wait_game_exit 10
    key_up space
    [ "$GAME_STATUS" = 0 ] || fail "exit code $GAME_STATUS"
    expected=$(for i in $(seq 0 10); do echo "destroyed image $i"; done)
    [ "$(cat "$E2E_TMP/game.err")" = "$expected" ] || fail "unexpected stderr"
    note "closed by its close button: exit 0, eleven images released"

    rm "$E2E_TMP/game/res/stamp.bmp"
    status=0
    timeout 30 "${game_env[@]}" "$GAME" 2>"$E2E_TMP/missing.err" || status=$?
    [ "$status" = 1 ] || fail "missing picture: exit code $status"
    # SDL 2.32 and later add the system's reason to SDL's own.
    reason="Couldn't open $E2E_TMP/game/res/stamp.bmp"
    first=$(head -n1 "$E2E_TMP/missing.err")
    if [ "$first" != "res/stamp.bmp: $reason" ] && [ "$first" != "res/stamp.bmp: $reason: No such file or directory" ] ||
      [ "$(tail -n+2 "$E2E_TMP/missing.err")" != "destroyed image 0
destroyed image 1
init failed" ]; then
      fail "missing picture: $(cat "$E2E_TMP/missing.err")"
    fi
    note "missing picture: $(head -n1 "$E2E_TMP/missing.err")"
    ;;
  *) fail "unknown mode $mode" ;;
esac
