#!/usr/bin/env bash
# Builds everything and runs every test (installing missing Debian packages).
set -euo pipefail
cd "$(dirname "$0")"
QUONDEL_PACKAGES="libgtest-dev xvfb xauth xdotool openbox wmctrl x11-utils imagemagick libx11-dev
  clang libclang-rt-dev desktop-file-utils appstream dpkg-dev file libgl1-mesa-dri" \
  source scripts/setup.sh
jobs=$(nproc)

echo "== build and test =="
cmake -S . -B build -DBUILD_TESTING=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# Further stages, each a script that fails on its own failures.
for stage in scripts/test-asan.sh scripts/test-package.sh fuzz/run.sh; do
  if [ -x "$stage" ]; then
    echo "== $stage =="
    "./$stage"
  fi
done
