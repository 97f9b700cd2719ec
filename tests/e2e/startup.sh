#!/usr/bin/env bash
# Start-up failures: a missing picture, and no display at all. Both end
# with "init failed" and code 1, after releasing what was made.
# shellcheck source=tests/lib/window.sh
source "$(dirname "$0")/../lib/window.sh" "$1"

x_start 1024x768
game_copy standin
game_without stamp

# SDL's reason is written bare, so "init failed" follows on the same line.
status=0
start=$SECONDS
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$GAME" 2>"$T_TMP/nodisplay.err" || status=$?
[ "$status" = 1 ] || fail "no display: exit code $status"
[ $((SECONDS - start)) -le 10 ] || fail "no display: took $((SECONDS - start)) s"
err=$(cat "$T_TMP/nodisplay.err")
# SDL 2 falls back to a headless driver, SDL 3 fails outright; both read so.
[[ $err =~ ^no\ display\ found\ \(.+\)\;\ set\ DISPLAY\ or\ WAYLAND_DISPLAYinit\ failed$ ]] ||
  fail "no display: stderr is '$err'"
[ "$(tail -c1 "$T_TMP/nodisplay.err" | od -An -c | tr -d ' ')" = '\n' ] || fail "last line unterminated"
note "no display: $err"
