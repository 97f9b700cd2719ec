#!/usr/bin/env bash
# Builds everything and runs every test (installing missing Debian packages):
# the test suite in a normal build, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, the package test, the Windows build played under
# Wine, the web build played in headless Chromium and a bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")"
QUONDEL_PACKAGES="libgtest-dev xvfb xauth xdotool openbox wmctrl x11-utils imagemagick libx11-dev
  clang libclang-rt-dev desktop-file-utils appstream dpkg-dev file libgl1-mesa-dri strace" \
  source scripts/setup.sh
jobs=$(nproc)
count() { ctest --test-dir "$1" -N | awk '/Total Tests:/ {print $3}'; }

echo "== build and test =="
cmake -S . -B build -DBUILD_TESTING=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
passed=$(count build)
# A build without GoogleTest quietly leaves out most of the suite.
[ "$passed" -ge 50 ] || { echo "test.sh: only $passed tests were built; is GoogleTest installed?" >&2; exit 1; }

# Further stages, each a script that fails on its own failures; each
# counts once in the closing line.
for stage in scripts/test-asan.sh scripts/test-package.sh scripts/test-windows.sh "scripts/web.sh test" fuzz/run.sh; do
  echo "== $stage =="
  # shellcheck disable=SC2086 # a stage may carry its argument
  ./$stage
  passed=$((passed + 1))
done
[ -d build-asan ] && passed=$((passed - 1 + $(count build-asan)))

echo "== summary =="
echo "test.sh: $passed passed, 0 failed"
