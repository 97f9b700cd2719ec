#!/usr/bin/env bash
# Start-up failures: a missing picture, and no display at all. Both end
# with "init failed" and code 1, after releasing what was made.
# shellcheck source=tests/lib/window.sh
source "$(dirname "$0")/../lib/window.sh" "$1"

x_start 1024x768
game_copy standin
game_without stamp

# SDL's reason ends its line; "init failed" has its own.
status=0
start=$SECONDS
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$GAME" 2>"$T_TMP/nodisplay.err" || status=$?
[ "$status" = 1 ] || fail "no display: exit code $status"
[ $((SECONDS - start)) -le 10 ] || fail "no display: took $((SECONDS - start)) s"
mapfile -t lines <"$T_TMP/nodisplay.err"
# SDL 2 falls back to a headless driver, SDL 3 fails outright; both read so.
[[ ${#lines[@]} = 2 && ${lines[0]} =~ ^no\ display\ found\ \(.+\)\;\ set\ DISPLAY\ or\ WAYLAND_DISPLAY$ &&
  ${lines[1]} = "init failed" ]] || fail "no display: stderr is '$(cat "$T_TMP/nodisplay.err")'"
[ "$(tail -c1 "$T_TMP/nodisplay.err" | od -An -c | tr -d ' ')" = '\n' ] || fail "last line unterminated"
note "no display: ${lines[0]} | ${lines[1]}"
