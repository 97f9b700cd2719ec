#!/usr/bin/env bash
# Start-up failures: a missing picture, and no display at all. Both end
# with "init failed" and code 1, after releasing what was made.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" "$1"

start_x 1024x768
prepare_game standin
rm "$E2E_TMP/game/res/stamp.bmp"
status=0
timeout 30 "$GAME" 2>"$E2E_TMP/missing.err" || status=$?
[ "$status" = 1 ] || fail "missing picture: exit code $status"
mapfile -t lines <"$E2E_TMP/missing.err"
[ "${#lines[@]}" = 4 ] || fail "missing picture: expected 4 lines, got: $(cat "$E2E_TMP/missing.err")"
[[ ${lines[0]} =~ ^res/stamp\.bmp:\ .+ ]] || fail "missing picture: first line is '${lines[0]}'"
[ "$(tail -n3 "$E2E_TMP/missing.err")" = "destroyed image 0
destroyed image 1
init failed" ] || fail "missing picture: $(cat "$E2E_TMP/missing.err")"
[ "$(tail -c1 "$E2E_TMP/missing.err" | od -An -c | tr -d ' ')" = '\n' ] || fail "last line unterminated"
note "missing picture: ${lines[0]}"

# SDL's reason is written bare, so "init failed" follows on the same line.
status=0
start=$SECONDS
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$GAME" 2>"$E2E_TMP/nodisplay.err" || status=$?
[ "$status" = 1 ] || fail "no display: exit code $status"
[ $((SECONDS - start)) -le 10 ] || fail "no display: took $((SECONDS - start)) s"
err=$(cat "$E2E_TMP/nodisplay.err")
# SDL 2 falls back to a headless driver, SDL 3 fails outright; both read so.
[[ $err =~ ^no\ display\ found\ \(.+\)\;\ set\ DISPLAY\ or\ WAYLAND_DISPLAYinit\ failed$ ]] ||
  fail "no display: stderr is '$err'"
[ "$(tail -c1 "$E2E_TMP/nodisplay.err" | od -An -c | tr -d ' ')" = '\n' ] || fail "last line unterminated"
note "no display: $err"
