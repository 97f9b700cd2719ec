#!/usr/bin/env bash
# Installs the Debian packages a script needs, only those missing: the
# build's own, plus the groups named as arguments (each script names the
# groups it uses; this table is the one list of them).
#
#   scripts/setup.sh [GROUP...]
#   source scripts/setup.sh && quondel_setup [GROUP...]
#
# Sourced, it only defines quondel_setup: the caller's shell options and
# variables stay as they were.

# quondel_setup [GROUP...]: installs what is missing of the build's own
# packages and of each group; returns 2 for a group it does not know.
quondel_setup() {
  local -A quondel_groups=(
    # GoogleTest, and the real-window tests' X server, window manager,
    # input (xset: the keyboard's auto-repeat), screenshots and software
    # OpenGL.
    [tests]="libgtest-dev xvfb xauth xdotool openbox wmctrl x11-utils x11-xserver-utils imagemagick libgl1-mesa-dri"
    # weston for the Wayland tests, with libdecor's title bar for its close
    # button.
    [wayland]="weston libdecor-0-plugin-1-cairo"
    # Build dependencies of SDL's X11 and Wayland video, for the SDLs built
    # from Debian's source packages (scripts/sdl.sh).
    [sdl]="libx11-dev libxext-dev libxrandr-dev libxcursor-dev libxi-dev libxfixes-dev libxss-dev
      libwayland-dev wayland-protocols libxkbcommon-dev libegl-dev libgles-dev libgl-dev libdecor-0-dev"
    [package]="desktop-file-utils appstream file lintian man-db"
    [windows]="g++-mingw-w64-x86-64-posix nsis wine64"
    # The web build; the browser that plays it in the tests.
    [web]="emscripten"
    [browser]="chromium"
    # The web tests' and benchmarks' Node.js modules come through npm; left
    # out where Node.js came from elsewhere with its own (see below).
    [npm]="npm"
    # The formatter and the shell checker, in the versions scripts/lint.sh
    # pins.
    [lint]="clang-format shellcheck"
    [release]="zip"
    [fuzz]="clang libclang-rt-dev"
    [portable]="debootstrap"
    [soak]="strace"
    [bench]="gnuplot-nox"
  )
  # build-essential brings dpkg-dev too, which apt-get source (SDL's
  # sources), dpkg-architecture and the package builds use.
  local packages=(build-essential cmake pkg-config libsdl2-dev) missing=() group p sudo=""
  for group in "$@"; do
    [ -n "${quondel_groups[$group]:-}" ] || { echo "setup.sh: no package group '$group'" >&2 && return 2; }
    # Debian's npm conflicts with the Node.js installed from elsewhere.
    if [ "$group" = npm ] && command -v npm >/dev/null; then continue; fi
    # shellcheck disable=SC2206 # one package a word
    packages+=(${quondel_groups[$group]})
  done
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "installing: ${missing[*]}" >&2
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq || return
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  quondel_setup "$@"
fi
