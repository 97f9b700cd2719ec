#!/usr/bin/env bash
# Builds everything and runs every test (installing missing Debian packages):
# the test suite against each SDL, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, the package test, the Windows build played under
# Wine, the web build played in headless Chromium and a bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")"
QUONDEL_PACKAGES="libgtest-dev xvfb xauth xdotool openbox wmctrl x11-utils imagemagick libx11-dev
  clang libclang-rt-dev desktop-file-utils appstream dpkg-dev file libgl1-mesa-dri strace" \
  source scripts/setup.sh
count() { ctest --test-dir "$1" -N | awk '/Total Tests:/ {print $3}'; }

# The whole suite once per SDL: the system's 2.26 in build/, then SDL 2.32
# and sdl2-compat over SDL 3.2, each in its own build directory.
echo "== scripts/test-sdl.sh =="
scripts/test-sdl.sh
passed=$(count build)
# A build without GoogleTest quietly leaves out most of the suite.
[ "$passed" -ge 50 ] || { echo "test.sh: only $passed tests were built; is GoogleTest installed?" >&2; exit 1; }
passed=$((passed + $(count build-sdl2.32) + $(count build-sdl2-compat)))

# Further stages, each a script that fails on its own failures; each
# counts once in the closing line.
for stage in scripts/test-asan.sh scripts/test-package.sh scripts/test-windows.sh "scripts/web.sh test" \
  scripts/test-reproducible.sh fuzz/run.sh; do
  echo "== $stage =="
  # shellcheck disable=SC2086 # a stage may carry its argument
  ./$stage
  passed=$((passed + 1))
done
[ -d build-asan ] && passed=$((passed - 1 + $(count build-asan)))

echo "== summary =="
echo "test.sh: $passed passed, 0 failed"
