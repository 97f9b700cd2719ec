# Wine on top of the end-to-end helpers: a private Wine prefix in the
# test's own directory, and the game started through Wine so that its
# process id, exit code and standard error are the Linux side's. Sourced.
#
# Usage: source lib.sh <build-windows directory>
# shellcheck shell=bash
WIN_BUILD=$(cd "$1" && pwd)
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh" "$WIN_BUILD/quondel.exe"
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || {
  echo "SKIP: wine64 is not installed" >&2
  exit 77
}
export WINEPREFIX=$E2E_TMP/prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: their install prompts would wait forever.
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_cleanup() {
  # Only this prefix's server and the programs it runs.
  if [ -d "$WINEPREFIX" ]; then /usr/lib/wine/wineserver -k 2>/dev/null || true; fi
  e2e_cleanup
}
trap wine_cleanup EXIT

# A fresh prefix takes some tens of seconds to make.
wine_boot() {
  "$WINE" wineboot -i >"$E2E_TMP/wineboot.log" 2>&1 || fail "wineboot: $(tail -3 "$E2E_TMP/wineboot.log")"
  /usr/lib/wine/wineserver -w
}

# use_game <dir with quondel.exe>: start_game and the rest run it there.
use_game() {
  GAME=$E2E_TMP/run-game
  printf '#!/bin/bash\nexec %q %q "$@"\n' "$WINE" "$1/quondel.exe" >"$GAME"
  chmod +x "$GAME"
}

# Standard error without the CR of Wine's text mode.
game_lines() { tr -d '\r' <"$1"; }
