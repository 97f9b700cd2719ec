#!/usr/bin/env bash
# The whole test suite against each SDL players meet on Linux, each in its
# own build directory with the game linked against that SDL:
#   system  Debian 12's SDL 2.26 (build/)
#   2.32    SDL 2.32 as Debian 13 ships it (build-sdl2.32/)
#   compat  sdl2-compat 2.32 over SDL 3.2, the SDL2 of newer distributions
#           (build-sdl2-compat/)
# The last two are built once from Debian's pinned source packages by
# scripts/sdl.sh and cached outside the tree. Ends with a count line per
# SDL (two with --quick: the headless tests and the play-through).
#
#   scripts/test-sdl.sh [system|2.32|compat]...   (default: all three)
#   scripts/test-sdl.sh --quick [SDL...]          (default: system)
#
# --quick runs only the headless tests (engine, scenes, pictures, golden
# frames, command line) and one real-window play-through: the contributor's
# loop (./test.sh --quick, with the lint check), under three minutes warm.
set -euo pipefail
cd "$(dirname "$0")/.."
quick=
if [ "${1:-}" = --quick ]; then
  quick=1
  shift
  [ $# -gt 0 ] || set -- system
fi
if [ -n "$quick" ]; then scripts/setup.sh tests; else scripts/setup.sh tests wayland sdl; fi
source scripts/common.sh
source tests/lib/count.sh
jobs=$(nproc)
[ $# -gt 0 ] || set -- system 2.32 compat

# suite NAME DIR [CMAKE_ARGS...]: builds the tree in DIR and runs every
# test there; QUONDEL_SDL_DIRS names where SDL must be loaded from. SDL2_DIR
# is given outright: a build directory keeps the one it found first.
counts=()
status=0
suite() {
  local name=$1 dir=$2
  shift 2
  echo "== $name: $dir =="
  # Without GoogleTest most of the suite would quietly not be built.
  cmake -S . -B "$dir" "${QUONDEL_CMAKE_ARGS[@]}" -DBUILD_TESTING=ON -DQUONDEL_REQUIRE_GTEST=ON "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  if [ -n "${QUONDEL_SDL_DIRS:-}" ]; then
    # The game itself, not only the tests, links the SDL asked for.
    local linked
    linked=$(ldd "$dir/quondel" | awk '/libSDL2/ {print $3}')
    [ "$(dirname "$(realpath "$linked")")" = "${QUONDEL_SDL_DIRS%%:*}" ] ||
      { echo "test-sdl.sh: $dir/quondel links $linked" >&2; exit 1; }
  fi
  if [ -n "$quick" ]; then
    ctest_counted "$name, headless" "$dir" --output-on-failure -j"$jobs" -LE e2e || status=1
    counts+=("$CTEST_COUNT")
    ctest_counted "$name, play-through" "$dir" --output-on-failure -R '^e2e_play$' || status=1
  else
    ctest_counted "$name" "$dir" --output-on-failure -j"$jobs" || status=1
  fi
  counts+=("$CTEST_COUNT")
  echo "($dir, $((SECONDS - start)) s with any SDL build)"
}

for which in "$@"; do
  start=$SECONDS
  case $which in
    system) QUONDEL_SDL_DIRS='' suite "SDL $(pkg-config --modversion sdl2) (system)" build ;;
    2.32)
      sdl2=$(sdl_build 2.32)
      QUONDEL_SDL_DIRS=$(realpath "$sdl2/lib") suite "SDL $(scripts/sdl.sh version libsdl2-2.32)" build-sdl2.32 -DSDL2_DIR="$sdl2/lib/cmake/SDL2"
      ;;
    compat)
      sdl3=$(sdl_build sdl3)
      compat=$(sdl_build compat)
      QUONDEL_SDL_DIRS="$(realpath "$compat/lib"):$(realpath "$sdl3/lib")" \
        suite "sdl2-compat $(scripts/sdl.sh version sdl2-compat-2.32) over SDL $(scripts/sdl.sh version libsdl3-3.2)" build-sdl2-compat -DSDL2_DIR="$compat/lib/cmake/SDL2"
      ;;
    *)
      echo "test-sdl.sh: unknown SDL '$which'" >&2
      exit 2
      ;;
  esac
done
echo "== SDL versions =="
printf '%s\n' "${counts[@]}"
exit "$status"
