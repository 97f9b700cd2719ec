#!/usr/bin/env bash
# Builds the Debian package and proves what a player and a packager rely on:
# lintian finds no error or warning, the manual page renders cleanly, the
# desktop entry and AppStream data validate, every file lands where
# desktops look for it, the game starts from the installed link, from the
# menu entry's command and from its reduced-flashing action under a real X
# server with a window manager, closes on a window-manager close with exit
# 0, and a real install brings a working `man quondel` and removes every
# file it brought.
#
#   scripts/test-package.sh            # build dir build-pkg
#   QUONDEL_PKG_NO_INSTALL=1 ...       # skip the real dpkg -i / dpkg -r
#   QUONDEL_PKG_KEEP_SCREEN=shot.png   # keep the last window capture
set -uo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=${QUONDEL_PKG_BUILD:-build-pkg}
work=$(mktemp -d /tmp/quondel-package.XXXXXX)
passed=0
failed=0
xvfb_pid=""
wm_pid=""
installed_here=0
QUONDEL_PACKAGES="lintian man-db" bash scripts/setup.sh

pass() {
  echo "ok: $*"
  passed=$((passed + 1))
}
fail() {
  echo "FAIL: $*"
  failed=$((failed + 1))
}
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@" >"$work/check.log" 2>&1; then pass "$what"; else
    fail "$what"
    sed 's/^/    /' "$work/check.log"
  fi
}

cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  if [ "$installed_here" = 1 ]; then dpkg -r quondel >/dev/null 2>&1; fi
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

finish() {
  echo "package: $passed passed, $failed failed"
  if [ "$failed" -eq 0 ]; then echo "PASS: package"; else echo "FAIL: package"; fi
  [ "$failed" -eq 0 ]
  exit $?
}

# ---- build and package ------------------------------------------------------
if ! { cmake -S "$src" -B "$build" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release >"$work/build.log" 2>&1 &&
  cmake --build "$build" -j"$(nproc)" >>"$work/build.log" 2>&1 &&
  (cd "$build" && rm -f quondel_*.deb && cpack -G DEB) >>"$work/build.log" 2>&1; }; then
  fail "build and cpack"
  tail -30 "$work/build.log"
  finish
fi
deb=$(ls "$build"/quondel_*.deb)
pass "cpack built $(basename "$deb")"

# ---- package metadata -----------------------------------------------------------
control=$(dpkg-deb -f "$deb")
check "package is named quondel" grep -qx "Package: quondel" <<<"$control"
check "package depends on libsdl2-2.0-0" grep -q "^Depends:.*libsdl2-2.0-0" <<<"$control"
check "package has a maintainer" grep -q "^Maintainer: .*<.*@.*>" <<<"$control"
# Both descriptions a player may read before installing carry the warning.
warning=$(cat packaging/photosensitivity.txt)
check "package description warns of flashing" grep -qF "${warning:0:60}" <<<"$control"

# ---- cmake --install layout ---------------------------------------------------
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
check "cmake --install: games/quondel is a relative link to ../lib/games/quondel/quondel" \
  test "$(readlink "$prefix/games/quondel")" = ../lib/games/quondel/quondel
check "cmake --install: the link resolves to an executable, the manual page is there" \
  test -x "$prefix/games/quondel" -a -f "$prefix/share/man/man6/quondel.6.gz"

# ---- files in the package -------------------------------------------------------
root=$work/root
dpkg -x "$deb" "$root"
expect_files() {
  local missing=0
  for f in usr/lib/games/quondel/quondel usr/share/applications/quondel.desktop \
    usr/share/metainfo/io.github.quondel.Quondel.metainfo.xml usr/share/doc/quondel/copyright; do
    [ -f "$root/$f" ] || {
      echo "missing $f"
      missing=1
    }
  done
  local p
  while read -r p; do
    [ -f "$root/usr/lib/games/quondel/res/$p.bmp" ] || {
      echo "missing res/$p.bmp"
      missing=1
    }
  done <"$build/pictures.txt"
  return $missing
}
check "package holds the game, its pictures, desktop entry, metainfo and copyright" expect_files
check "package link usr/games/quondel -> ../lib/games/quondel/quondel" \
  test "$(readlink "$root/usr/games/quondel")" = ../lib/games/quondel/quondel
# Errors and warnings fail; the informational tags left are printed.
check "lintian: no errors, no warnings" lintian --fail-on error,warning --display-info "$deb"
grep "^I:" "$work/check.log" | sed 's/^/    informational: /'
man_clean() {  # groff's complaints go to stderr
  local complaints
  complaints=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$root/usr/share/man/man6/quondel.6.gz" 2>&1 >/dev/null)
  [ -z "$complaints" ] || { echo "$complaints"; return 1; }
}
check "manual page renders without warnings" man_clean
icons_ok() {
  for s in 32 48 64 128 256; do
    local f=$root/usr/share/icons/hicolor/${s}x${s}/apps/quondel.png
    file "$f" | grep -q "PNG image data, $s x $s, 8-bit/color RGBA" || {
      echo "$f: $(file -b "$f" 2>&1)"
      return 1
    }
  done
}
check "hicolor icons 32..256 are square RGBA PNGs of their size" icons_ok
if command -v convert >/dev/null; then
  check "icons decode" convert "$root/usr/share/icons/hicolor/256x256/apps/quondel.png" -format "%wx%h" info:
fi

desktop=$root/usr/share/applications/quondel.desktop
check "desktop-file-validate" desktop-file-validate "$desktop"
check "appstreamcli validate --no-net" appstreamcli validate --no-net \
  "$root/usr/share/metainfo/io.github.quondel.Quondel.metainfo.xml"
exec_line=$(sed -n '/^\[Desktop Entry\]/,/^\[/ s/^Exec=//p' "$desktop")
action_line=$(sed -n '/^\[Desktop Action reduced-flashing\]/,/^\[/ s/^Exec=//p' "$desktop")
check "menu entry runs 'quondel' with the icon 'quondel'" test "$exec_line" = quondel -a \
  "$(sed -n 's/^Icon=//p' "$desktop")" = quondel
check "metainfo description warns of flashing" grep -qF "<p>$warning</p>" \
  "$root/usr/share/metainfo/io.github.quondel.Quondel.metainfo.xml"
check "metainfo launches the desktop entry" grep -q '<launchable type="desktop-id">quondel.desktop</launchable>' \
  "$root/usr/share/metainfo/io.github.quondel.Quondel.metainfo.xml"

# ---- a real X server with a window manager --------------------------------------
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  fail "Xvfb did not start"
  cat "$work/xvfb.log"
  finish
fi
export DISPLAY=":$(head -1 "$work/display")"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
  wmctrl -m >/dev/null 2>&1 && break
  sleep 0.1
done

# run_game LABEL COMMAND...: starts the game, waits for its window, checks
# that it shows the intro, closes it through the window manager and
# expects exit 0.
run_game() {
  local label=$1
  shift
  env -u SDL_VIDEODRIVER -u SDL_RENDER_DRIVER "$@" 2>"$work/game.err" &
  local pid=$! shown=0
  for _ in $(seq 300); do
    if wmctrl -l 2>/dev/null | grep -q " Quondel$"; then
      shown=1
      break
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ "$shown" = 0 ]; then
    fail "$label: no window titled Quondel"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    sed 's/^/    /' "$work/game.err"
    return
  fi
  pass "$label: window Quondel appears"
  # The stamp and the hand are on screen after a few frames.
  sleep 1
  if command -v import >/dev/null && command -v convert >/dev/null; then
    local lit
    import -window "$(wmctrl -l | awk '/ Quondel$/ { print $1; exit }')" "$work/screen.png" 2>/dev/null
    lit=$(convert "$work/screen.png" -colorspace gray -threshold 20% -format "%[fx:mean*w*h]" info: 2>/dev/null)
    if [ "${lit%%.*}" -gt 1000 ] 2>/dev/null; then pass "$label: the intro is drawn ($lit bright pixels)"; else
      fail "$label: screen nearly black ($lit bright pixels)"
    fi
  fi
  [ -n "${QUONDEL_PKG_KEEP_SCREEN:-}" ] && cp "$work/screen.png" "$QUONDEL_PKG_KEEP_SCREEN"
  wmctrl -F -c Quondel
  local status=timeout
  for _ in $(seq 100); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      status=$?
      break
    fi
    sleep 0.1
  done
  if [ "$status" = 0 ]; then pass "$label: closing the window exits with 0"; else
    fail "$label: closing the window gave exit status $status"
    kill "$pid" 2>/dev/null
    sed 's/^/    /' "$work/game.err"
  fi
}

run_game "unpacked package, usr/games/quondel" "$root/usr/games/quondel"

# ---- a real install, the menu entry's command, a clean removal ---------------------
if [ -n "${QUONDEL_PKG_NO_INSTALL:-}" ]; then
  echo "skipped: real install (QUONDEL_PKG_NO_INSTALL is set)"
elif [ "$(id -u)" -ne 0 ]; then
  echo "skipped: real install (needs root)"
elif dpkg-query -W -f='${Status}' quondel 2>/dev/null | grep -q "ok installed" || [ -e /usr/games/quondel ]; then
  echo "skipped: real install (quondel is already installed on this machine)"
else
  if dpkg -i "$deb" >"$work/dpkg.log" 2>&1; then
    installed_here=1
    pass "dpkg -i"
    dpkg -L quondel >"$work/files"
    run_game "installed, menu entry command '$exec_line'" sh -c "PATH=/usr/games:/usr/bin:/bin exec $exec_line"
    run_game "installed, menu action '$action_line'" sh -c "PATH=/usr/games:/usr/bin:/bin exec $action_line"
    check "man quondel shows the installed manual page" sh -c 'MANWIDTH=80 man quondel 2>&1 | grep -q "reduce-flashing"'
    if dpkg -r quondel >>"$work/dpkg.log" 2>&1; then
      installed_here=0
      left=$(while read -r f; do [ -f "$f" ] || [ -L "$f" ] && echo "$f"; done <"$work/files")
      check "dpkg -r removes every file it installed" test -z "$left"
      [ -z "$left" ] || echo "$left" | sed 's/^/    left: /'
      check "dpkg -r: /usr/lib/games/quondel and /usr/share/games/quondel are gone" \
        test ! -e /usr/lib/games/quondel -a ! -e /usr/share/games/quondel
    else
      fail "dpkg -r"
      cat "$work/dpkg.log"
    fi
  else
    fail "dpkg -i"
    cat "$work/dpkg.log"
  fi
fi

finish
