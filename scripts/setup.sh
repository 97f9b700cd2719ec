#!/usr/bin/env bash
# Installs the Debian packages a script needs, only those missing: the
# build's own, plus the groups named as arguments (each script names the
# groups it uses; this table is the one list of them). QUONDEL_PACKAGES
# adds single packages.
#
#   scripts/setup.sh [GROUP...]
#   source scripts/setup.sh     (the build's own packages only)
set -euo pipefail

declare -A quondel_groups=(
  # GoogleTest, and the real-window tests' X server, window manager,
  # input, screenshots and software OpenGL.
  [tests]="libgtest-dev xvfb xauth xdotool openbox wmctrl x11-utils imagemagick libgl1-mesa-dri"
  # weston for the Wayland tests, with libdecor's title bar for its close
  # button.
  [wayland]="weston libdecor-0-plugin-1-cairo"
  # Build dependencies of SDL's X11 and Wayland video, for the SDLs built
  # from Debian's source packages (scripts/sdl.sh).
  [sdl]="dpkg-dev libx11-dev libxext-dev libxrandr-dev libxcursor-dev libxi-dev libxfixes-dev libxss-dev
    libwayland-dev wayland-protocols libxkbcommon-dev libegl-dev libgles-dev libgl-dev libdecor-0-dev"
  [package]="desktop-file-utils appstream dpkg-dev file lintian man-db"
  [windows]="g++-mingw-w64-x86-64-posix nsis dpkg-dev wine64"
  # The web build; the browser that plays it in the tests.
  [web]="emscripten dpkg-dev"
  [browser]="chromium"
  [release]="dpkg-dev zip"
  [fuzz]="clang libclang-rt-dev"
  [portable]="debootstrap"
  [soak]="strace"
  [bench]="gnuplot-nox"
)

# shellcheck disable=SC2206 # one package a word
packages=(build-essential cmake pkg-config libsdl2-dev ${QUONDEL_PACKAGES:-})
groups=()
# Sourced, the arguments would be the caller's own.
[ "${BASH_SOURCE[0]}" != "$0" ] || groups=("$@")
for group in "${groups[@]}"; do
  [ -n "${quondel_groups[$group]:-}" ] || { echo "setup.sh: no package group '$group'" >&2; exit 2; }
  # shellcheck disable=SC2206 # one package a word
  packages+=(${quondel_groups[$group]})
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}" >&2
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
