#!/usr/bin/env bash
# Cross-builds the game for 64-bit Windows and packs it (installing the
# missing Debian packages): SDL2 from Debian's pinned source built once
# with the same toolchain (cached, see scripts/sdl.sh), the icon tool for
# this machine, then the game, the frame tool, and in build-windows/package/
# exactly one zip and one installer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh windows
source scripts/common.sh
src=$PWD
out=build-windows
toolchain=$src/cmake/mingw-w64.cmake

sdl=$(sdl_build windows)

icon=$(icon_tool)

cmake -S . -B "$out" "${QUONDEL_CMAKE_ARGS[@]}" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DSDL2_DIR="$sdl/lib/cmake/SDL2" -DQUONDEL_ICON_TOOL="$icon" >/dev/null
nice -n 10 cmake --build "$out" -j"$QUONDEL_JOBS" >/dev/null

rm -rf "$out/package"
cpack --config "$out/CPackConfig.cmake" -B "$out/package" >/dev/null
ls "$out"/package/*.zip "$out"/package/*.exe
