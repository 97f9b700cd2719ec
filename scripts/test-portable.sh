#!/usr/bin/env bash
# The portable Linux download (scripts/portable.sh) on a machine that has
# never seen SDL: a fresh Debian root made with debootstrap, holding what a
# desktop has (Mesa, the X11 and Wayland client libraries, libdecor) and
# no SDL or development package (cached in the cache directory, made once).
# Two scenarios, each counted:
# - contents: the files a player gets; every program needs of the system
#   only the C library's parts and the bundled SDL (DT_NEEDED), no C++
#   runtime symbol, finds SDL through RUNPATH $ORIGIN, and the README
#   states the C library version the files ask for;
# - debian_root: unpacked into a directory with spaces inside the root and
#   started from another directory, the game plays to its end and exits 0
#   under X (with the root's Mesa), with the bundled SDL loaded, and again
#   as a Wayland client of weston; its menu entry installs and removes.
# Making the root needs root: without it, or without debootstrap, the debian_root
# scenario is skipped with the reason.
#
#   scripts/test-portable.sh            Debian 12 (bookworm)
#   scripts/test-portable.sh trixie     another suite, by hand
set -euo pipefail
cd "$(dirname "$0")/.."
suite=${1:-bookworm}
scripts/setup.sh tests wayland package portable
source scripts/common.sh
archive=$(scripts/portable.sh)
# shellcheck source=tests/lib/window.sh
source tests/lib/window.sh build-portable/quondel
source tests/lib/count.sh
name=$(basename "$archive" -linux-x86_64.tar.gz)

# ---- contents -----------------------------------------------------------------
contents() {
  mkdir "$T_TMP/unpacked"
  tar -xzf "$archive" -C "$T_TMP/unpacked"
  dir=$T_TMP/unpacked/$name
  expected="install-menu-entry LICENSE LICENSE-SDL.txt libSDL2-2.0.so.0 quondel quondel.png README"
  for p in "${PICTURES[@]}"; do expected+=" res/$p.bmp"; done
  [ "$(ls "$T_TMP/unpacked")" = "$name" ] || fail "the archive's top level: $(ls "$T_TMP/unpacked")"
  [ "$(cd "$dir" && find . -type f | sed 's|^\./||' | sort)" = "$(tr ' ' '\n' <<<"$expected" | sort)" ] ||
    fail "the archive holds: $(cd "$dir" && find . -type f | sort | tr '\n' ' ')"
  allowed=" libc.so.6 libm.so.6 libdl.so.2 libpthread.so.0 librt.so.1 ld-linux-x86-64.so.2 libSDL2-2.0.so.0 "
  for f in quondel libSDL2-2.0.so.0; do
    needed=$(readelf -d "$dir/$f" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    for n in $needed; do [[ $allowed == *" $n "* ]] || fail "$f needs $n"; done
    ! objdump -T "$dir/$f" | grep -E 'GLIBCXX_|CXXABI_' || fail "$f refers to the C++ runtime"
    note "$f needs: $(echo $needed)"
  done
  [ "$(readelf -d "$dir/quondel" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')" = "\$ORIGIN" ] ||
    fail "quondel's RUNPATH: $(readelf -d "$dir/quondel" | grep -E 'RPATH|RUNPATH')"
  floor=$(objdump -T "$dir/quondel" "$dir/libSDL2-2.0.so.0" | grep -o 'GLIBC_[0-9.]*' | sort -uV | tail -n1)
  grep -q "GNU C library ${floor#GLIBC_} or newer" "$dir/README" || fail "the README does not state $floor"
  grep -qxF "$(cat packaging/photosensitivity.txt)" "$dir/README" || fail "the README lacks the warning"
  note "contents: $(wc -c <"$archive") bytes, C library $floor or newer"
}
scenario contents

# ---- a fresh Debian root ----------------------------------------------------------
# What a desktop brings of its own, by Debian's names (the same in 12 and 13).
desktop="libgl1 libgl1-mesa-dri libegl1 libgles2 libx11-6 libx11-xcb1 libxext6 libxcursor1 libxi6 libxrandr2
  libxss1 libxfixes3 libxkbcommon0 libwayland-client0 libwayland-cursor0 libwayland-egl1 libdecor-0-0
  libdecor-0-plugin-1-cairo"
make_root() {
  local key root lock
  key=$(printf '%s\n' "$suite" $desktop | sha256sum | cut -c1-12)
  root=${QUONDEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quondel}/roots/debian-$suite-$key
  mkdir -p "$(dirname "$root")"
  exec {lock}>"$root.lock"
  flock "$lock"
  if [ ! -f "$root/.made" ]; then
    rm -rf "$root"
    echo "test-portable.sh: making a Debian $suite root in $root (a few minutes, once)" >&2
    debootstrap --variant=minbase --include="$(echo $desktop | tr ' ' ,)" "$suite" "$root" "$(scripts/sdl.sh mirror)" \
      >"$T_TMP/debootstrap.log" 2>&1 || fail "debootstrap: $(tail -5 "$T_TMP/debootstrap.log")"
    touch "$root/.made"
  fi
  exec {lock}>&-
  echo "$root"
}
debian_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: root: making a Debian root needs root"
    exit 77
  elif ! command -v debootstrap >/dev/null; then
    echo "SKIP: root: debootstrap is not installed"
    exit 77
  fi
  root=$(make_root)
  # shellcheck disable=SC2016 # expanded in the root
  [ -z "$(chroot "$root" dpkg-query -W -f='${Package}\n' | grep -E '^libsdl|-dev$')" ] ||
    fail "the root holds SDL or a development package"
  note "Debian $suite root: $(cat "$root/etc/debian_version"), $(chroot "$root" dpkg-query -W | wc -l) packages"
  in_root=$(mktemp -d "$root/tmp/quondel-portable.XXXXXX")
  trap 'rm -rf "$in_root"; t_cleanup' EXIT
  mkdir "$in_root/a folder with spaces" "$in_root/run"
  tar -xzf "$archive" -C "$in_root/a folder with spaces"
  top="$in_root/a folder with spaces/$name"
  # The player's menu entry, added in the root; the game is started by its
  # command.
  chroot "$root" env XDG_DATA_HOME="${in_root#"$root"}/data" "${top#"$root"}/install-menu-entry" >/dev/null ||
    fail "install-menu-entry"
  entry=$in_root/data/applications/quondel.desktop
  desktop-file-validate "$entry" || fail "install-menu-entry: desktop-file-validate"
  exec_line=$(sed -n '/^\[Desktop Entry\]/,/^\[/ s/^Exec=//p' "$entry")
  [ "$exec_line" = "\"${top#"$root"}/quondel\"" ] || fail "install-menu-entry: the entry runs $exec_line"
  [ -f "$in_root/data/icons/hicolor/256x256/apps/quondel.png" ] || fail "install-menu-entry: no icon"
  # The command run in the root from another directory, as a launcher
  # would (the path holds no character the entry escapes), in a mount
  # namespace of its own (gone when it ends) with /proc, /dev and the
  # display's runtime directory; the X server's abstract socket reaches in
  # by itself.
  {
    printf '#!/bin/bash\nset -e\nroot=%q run=%q command=%q\n' "$root" "${in_root#"$root"}/run" "$exec_line"
    cat <<'EOF'
[ -n "${IN_NAMESPACE:-}" ] || IN_NAMESPACE=1 exec unshare --mount --fork --kill-child "$0" "$@"
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --bind "$XDG_RUNTIME_DIR" "$root$run"
XDG_RUNTIME_DIR=$run HOME=/root exec chroot "$root" /bin/sh -c "cd / && exec $command \"\$@\"" sh "$@"
EOF
  } >"$T_TMP/in-root"
  chmod +x "$T_TMP/in-root"
  game_use "$T_TMP/in-root"
  game_pid() { cut -d' ' -f1 "/proc/$GAME_PID/task/$GAME_PID/children"; }

  x_start 1024x768
  game_start
  sdl=$(sed -n 's|^[^/]*\(/.*libSDL2.*\)$|\1|p' "/proc/$(game_pid)/maps" | sort -u)
  play_to_end x11
  [ "$sdl" = "$top/libSDL2-2.0.so.0" ] || fail "SDL loaded from: $sdl"
  note "X11: played to the end with the SDL from ${sdl#"$root"}"
  # A second display beside this one: x_start waits for its number in a
  # file that must not hold the first's.
  rm -rf "$XDG_RUNTIME_DIR" "$T_TMP/display"

  # weston, the game as its Wayland client only.
  weston_start 800x600
  game_run WAYLAND_DEBUG=client
  window=
  # Whatever is not weston's background on its output is the window.
  shown() {
    game_running && shot wayland-intro root &&
      window=$(convert "$T_TMP/wayland-intro.png" -crop 800x600+0+0 -fuzz 3% -fill black -opaque '#304050' \
        -trim -format '%w %h %X %Y' info: 2>/dev/null) && [[ $window =~ ^[0-9]{3} ]]
  }
  wait_until 30 shown || fail "wayland: no window ($(tail -n3 "$T_TMP/game.err"))"
  read -r w h x y <<<"$window"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
  key_down space
  red_box() { shot wayland-held root && [[ $(box wayland-held FF0000) =~ ^$VIEW\+ ]]; }
  wait_until 30 red_box || fail "wayland: the canvas never turned red ($(box wayland-held FF0000))"
  key_up space
  sleep 0.3
  shot wayland-scene2 root
  end_with_fifth_press 1
  grep -q 'set_app_id("quondel")' "$T_TMP/game.err" || fail "wayland: not a Wayland client"
  note "wayland: played to the end, exit 0"
  chroot "$root" env XDG_DATA_HOME="${in_root#"$root"}/data" "${top#"$root"}/install-menu-entry" --remove >/dev/null
  [ -z "$(find "$in_root/data" -type f)" ] || fail "install-menu-entry --remove left $(find "$in_root/data" -type f)"
}
scenario debian_root
count_line portable
[ "$COUNT_FAILED" -eq 0 ]
