#!/usr/bin/env bash
# The installer, silent, in a clean Wine prefix: the game lands with
# Start-menu entries and an entry among the installed programs, starts
# and closes with 0, and the silent uninstall takes back every file.
#
#   installer.sh <build-windows directory>
# shellcheck source=tests/lib/window.sh
source "$(dirname "$0")/../lib/window.sh" "$1/quondel.exe"

setup=("$GAME_BUILD"/package/*.exe)
[ "${#setup[@]}" = 1 ] || fail "installers: ${setup[*]}"
nsi=$GAME_BUILD/package/_CPack_Packages/win64/NSIS/project.nsi
# The first page warns before anything is installed and says where the
# reduced-flashing entry is; the last offers the README.
welcome=$(grep MUI_WELCOMEPAGE_TEXT "$nsi")
grep -qF "$(cat "$(dirname "$0")/../../packaging/photosensitivity.txt")" <<<"$welcome" || fail "no warning on the first page"
grep -qF 'Quondel (reduced flashing)' <<<"$welcome" || fail "the first page does not say how to reduce flashing"
grep -q 'MUI_FINISHPAGE_SHOWREADME .*README\.txt' "$nsi" || fail "the last page does not offer the README"
grep -q 'RequestExecutionLevel highest' "$nsi" || fail "the installer insists on administrator rights"

x_start 1024x768
wine_prefix
files() { (cd "$WINEPREFIX/drive_c" && find . -type f -not -path './windows/*' -not -path '*/Temp/*' | sort); }
files >"$T_TMP/before"
"$WINE" "${setup[0]}" /S >"$T_TMP/setup.log" 2>&1 || fail "installer: exit $? $(cat "$T_TMP/setup.log")"
/usr/lib/wine/wineserver -w
files >"$T_TMP/installed"
new=$(comm -13 "$T_TMP/before" "$T_TMP/installed")
exe=$(grep -i '/Quondel/quondel\.exe$' <<<"$new") || fail "no quondel.exe installed: $new"
grep -qi '/Quondel/quondel\.com$' <<<"$new" || fail "no console twin installed: $new"
home=$WINEPREFIX/drive_c/$(dirname "${exe#./}")
grep -qi 'Start Menu/Programs/Quondel/Uninstall\.lnk$' <<<"$new" || fail "no Start-menu entry to uninstall: $new"
# Both entries start the windowed program, which opens no console window.
for entry in Quondel 'Quondel (reduced flashing)'; do
  lnk=$(grep -iF "Start Menu/Programs/Quondel/$entry.lnk" <<<"$new") || fail "no Start-menu entry $entry: $new"
  target=$(strings "$WINEPREFIX/drive_c/${lnk#./}" && strings -el "$WINEPREFIX/drive_c/${lnk#./}")
  grep -qi 'quondel\.exe' <<<"$target" || fail "$entry does not start quondel.exe"
done
grep -q -- --reduce-flashing <<<"$(strings -el "$WINEPREFIX/drive_c/${lnk#./}")" || fail "the shortcut lacks the option"
grep -qi 'Uninstall\\\\Quondel\]' "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" ||
  fail "not among the installed programs"
note "installed into ${home#"$WINEPREFIX"/}: $(wc -l <<<"$new") files, console twin, three shortcuts, uninstall entry"

game_use "$home/quondel.exe"
game_start
sleep 2
game_close
game_wait_exit 20 0
note "installed game: started, closed, exit 0"

# The uninstaller copies itself away and returns at once: wait for its
# work to be done.
"$WINE" "$home/Uninstall.exe" /S >"$T_TMP/uninstall.log" 2>&1 || fail "uninstaller: exit $?"
/usr/lib/wine/wineserver -w
files >"$T_TMP/after"
left=$(comm -13 "$T_TMP/before" "$T_TMP/after")
[ -z "$left" ] || fail "left behind: $left"
[ ! -e "$home" ] || fail "left behind: ${home#"$WINEPREFIX"/}"
if grep -qi 'Uninstall\\\\Quondel\]' "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg"; then
  fail "still among the installed programs"
fi
note "uninstalled: no file of ours left"
