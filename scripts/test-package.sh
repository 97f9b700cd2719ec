#!/usr/bin/env bash
# The package stage: builds the Debian package and proves what a player and
# a packager rely on, in four scenarios, each counted:
# - contents: lintian finds no error or warning, the manual page renders
#   without warnings, its metadata, every file where desktops look for it,
#   the desktop entry and AppStream data valid, and the photosensitivity
#   warning (packaging/photosensitivity.txt) word for word in each
#   description and in the README, and the README's summary line the
#   package's (packaging/summary.txt);
# - unpacked: the game started from the package's link under a real X
#   server with a window manager shows the intro and closes with 0;
# - plain install: a plain configuration (the portable download's build)
#   installed with cmake --install into another prefix than the configured
#   one, with a space in it: the layout, no Debian-format files, a valid
#   menu entry whose command is the staged bin/quondel, which plays to the
#   end in a real window;
# - installed: a real dpkg -i, the game started by the menu entry's
#   command and by its reduced-flashing action, man quondel, and dpkg -r removing every file it brought (needs root on a
#   machine without the game installed; otherwise skipped, with the
#   reason).
#
#   scripts/test-package.sh            # build dir build-pkg
#   QUONDEL_PKG_NO_INSTALL=1 ...       # skip the real dpkg -i / dpkg -r
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh tests package
source scripts/common.sh
build=$QUONDEL_RELEASE_BUILD

release_build
(cd "$build" && rm -f quondel_*.deb && cpack -G DEB >/dev/null)
# shellcheck source=tests/lib/window.sh
source tests/lib/window.sh "$build/quondel"
source tests/lib/count.sh
deb=$(ls "$build"/quondel_*.deb)
root=$T_TMP/root
dpkg -x "$deb" "$root"
metainfo=$root/usr/share/metainfo/io.github.quondel.Quondel.metainfo.xml
desktop=$root/usr/share/applications/quondel.desktop
exec_line=$(sed -n '/^\[Desktop Entry\]/,/^\[/ s/^Exec=//p' "$desktop")
action_line=$(sed -n '/^\[Desktop Action reduced-flashing\]/,/^\[/ s/^Exec=//p' "$desktop")
installed_here=0

# Whatever a scenario's end, a game it started is stopped and a package it
# installed removed.
scenario_cleanup() {
  [ -z "$GAME_PID" ] || t_stop "$GAME_PID"
  [ "$installed_here" = 0 ] || dpkg -r quondel >/dev/null 2>&1
}

# ---- contents ----------------------------------------------------------------
contents() {
  control=$(dpkg-deb -f "$deb")
  grep -qx "Package: quondel" <<<"$control" || fail "package name: $control"
  grep -q "^Depends:.*libsdl2-2.0-0" <<<"$control" || fail "no dependency on libsdl2-2.0-0: $control"
  grep -q "^Maintainer: .*<.*@.*>" <<<"$control" || fail "no maintainer: $control"
  warning=$(cat packaging/photosensitivity.txt)
  # The package's description folds long lines, so only its start is sought.
  grep -qF "${warning:0:60}" <<<"$control" || fail "the package's description lacks the warning"
  grep -qxF "> **$warning**" README.md || fail "README's warning differs from packaging/photosensitivity.txt"
  grep -qxF "$(cat packaging/summary.txt)" README.md || fail "README's summary differs from packaging/summary.txt"

  files=(usr/lib/games/quondel/quondel "${desktop#"$root"/}" "${metainfo#"$root"/}" usr/share/doc/quondel/copyright)
  for p in "${PICTURES[@]}"; do files+=("usr/lib/games/quondel/res/$p.bmp"); done
  for f in "${files[@]}"; do [ -f "$root/$f" ] || fail "package lacks $f"; done
  [ "$(readlink "$root/usr/games/quondel")" = ../lib/games/quondel/quondel ] || fail "package link usr/games/quondel"
  # Errors and warnings fail; the informational tags left are shown.
  lintian --fail-on error,warning --display-info "$deb" >"$T_TMP/lintian.log" 2>&1 || fail "lintian: $(cat "$T_TMP/lintian.log")"
  grep "^I:" "$T_TMP/lintian.log" | sed 's/^/informational: /'
  man_warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$root/usr/share/man/man6/quondel.6.gz" 2>&1 >/dev/null)
  [ -z "$man_warnings" ] || fail "the manual page: $man_warnings"
  for s in 32 48 64 128 256; do
    f=$root/usr/share/icons/hicolor/${s}x$s/apps/quondel.png
    file "$f" | grep -q "PNG image data, $s x $s, 8-bit/color RGBA" || fail "icon $f: $(file -b "$f" 2>&1)"
    convert "$f" -format "%wx%h" info: >/dev/null || fail "icon $f does not decode"
  done
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
  appstreamcli validate --no-net "$metainfo" >"$T_TMP/appstream.log" || fail "appstreamcli: $(cat "$T_TMP/appstream.log")"
  [ "$action_line" = "quondel --reduce-flashing" ] || fail "menu action runs '$action_line'"
  [ "$exec_line" = quondel ] && [ "$(sed -n 's/^Icon=//p' "$desktop")" = quondel ] ||
    fail "menu entry runs '$exec_line', not quondel with the icon quondel"
  grep -qF "<p>$warning</p>" "$metainfo" || fail "the AppStream description lacks the warning"
  grep -q '<launchable type="desktop-id">quondel.desktop</launchable>' "$metainfo" ||
    fail "the AppStream data does not launch the desktop entry"
  note "contents: lintian, manual page, metadata, files, icons, desktop entry, AppStream data, warnings"
}
scenario contents

# ---- the game from the package ---------------------------------------------------
x_start 1024x768
# play_packaged COMMAND [screen]: the game shows its intro (a few frames
# in, the stamp and the hand are lit), with "screen" once its start screen
# has been passed with Enter, then closes with 0 on the window manager's
# close request.
play_packaged() {
  GAME=$1
  game_start
  if [ "${2:-}" = screen ]; then
    wait_until 20 eval 'shot screen && start_screen_shown screen' || fail "$GAME: no start screen"
    xdotool key Return
  fi
  sleep 1
  shot intro
  lit=$(convert "$T_TMP/intro.png" -colorspace gray -threshold 20% -format "%[fx:round(mean*w*h)]" info:)
  [ "$lit" -gt 1000 ] || fail "$GAME: screen nearly black ($lit bright pixels)"
  game_close
  game_wait_exit 10 0
}
unpacked() {
  play_packaged "$root/usr/games/quondel"
  note "unpacked: the intro drawn, closed with 0"
}
scenario unpacked

# ---- a plain install into a prefix chosen at install time --------------------------
plain() {
  local build=build-portable
  scripts/portable.sh >/dev/null
  staged="$T_TMP/staged prefix"
  grep -qx 'CMAKE_INSTALL_PREFIX:PATH=/usr/local' "$build/CMakeCache.txt" || fail "$build is not configured for /usr/local"
  cmake --install "$build" --prefix "$staged" >/dev/null
  layout=$(cd "$staged" && find . ! -type d | sed 's|^\./||' | grep -v '^share/icons/\|^share/quondel/' | sort | tr '\n' ' ')
  [ "$layout" = "bin/quondel libexec/quondel/quondel libexec/quondel/res share/applications/quondel.desktop \
share/doc/quondel/LICENSE share/doc/quondel/README.md share/man/man6/quondel.6.gz \
share/metainfo/io.github.quondel.Quondel.metainfo.xml " ] || fail "plain install: $layout"
  [ "$(readlink "$staged/bin/quondel")" = ../libexec/quondel/quondel ] &&
    [ "$(readlink "$staged/libexec/quondel/res")" = ../../share/quondel ] || fail "plain install: links"
  entry=$staged/share/applications/quondel.desktop
  desktop-file-validate "$entry" || fail "plain install: desktop-file-validate"
  exec_line=$(sed -n '/^\[Desktop Entry\]/,/^\[/ s/^Exec=//p' "$entry")
  [ "$exec_line" = "\"$staged/bin/quondel\"" ] || fail "plain install: the menu entry runs $exec_line"
  # As a launcher runs it (the path holds no character the entry escapes),
  # with the suite's own arguments passed on.
  printf '#!/bin/sh\nexec %s "$@"\n' "$exec_line" >"$T_TMP/plain-entry"
  chmod +x "$T_TMP/plain-entry"
  game_use "$T_TMP/plain-entry"
  game_start
  [ "$(readlink -f "/proc/$GAME_PID/exe")" = "$staged/libexec/quondel/quondel" ] || fail "plain install: runs $(readlink -f "/proc/$GAME_PID/exe")"
  play_to_end plain
  note "plain install: layout, menu entry, played to the end through bin/quondel"
}
scenario plain

# ---- a real install, the menu entry's command, a clean removal ---------------------
installed() {
  if [ -n "${QUONDEL_PKG_NO_INSTALL:-}" ]; then
    echo "SKIP: real install: QUONDEL_PKG_NO_INSTALL is set"
    exit 77
  elif [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: real install: needs root"
    exit 77
  elif dpkg-query -W -f='${Status}' quondel 2>/dev/null | grep -q "ok installed" || [ -e /usr/games/quondel ]; then
    echo "SKIP: real install: quondel is already installed on this machine"
    exit 77
  fi
  dpkg -i "$deb" >"$T_TMP/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$T_TMP/dpkg.log")"
  installed_here=1
  dpkg -L quondel >"$T_TMP/files"
  # The menu entry's command and its action's, run as a launcher runs them:
  # the entry asks on the start screen, the action has chosen.
  for line in "$exec_line" "$action_line"; do
    printf '#!/bin/sh\nPATH=/usr/games:/usr/bin:/bin exec %s\n' "$line" >"$T_TMP/menu-entry"
    chmod +x "$T_TMP/menu-entry"
    play_packaged "$T_TMP/menu-entry" "$([ "$line" = "$exec_line" ] && echo screen)"
  done
  MANWIDTH=80 man quondel 2>/dev/null | grep -q "reduce-flashing" || fail "man quondel does not show the manual page"
  dpkg -r quondel >>"$T_TMP/dpkg.log" 2>&1 || fail "dpkg -r: $(cat "$T_TMP/dpkg.log")"
  installed_here=0
  left=$(while read -r f; do if [ -f "$f" ] || [ -L "$f" ]; then echo "$f"; fi; done <"$T_TMP/files")
  [ -z "$left" ] && [ ! -e /usr/lib/games/quondel ] && [ ! -e /usr/share/games/quondel ] || fail "dpkg -r left: $left"
  note "installed: the menu entry's command plays after the start screen, its action at once; man quondel; dpkg -r removes every file"
}
scenario installed
count_line package
[ "$COUNT_FAILED" -eq 0 ]
