#!/usr/bin/env bash
# Builds everything and runs every test (installing missing Debian packages).
set -euo pipefail
cd "$(dirname "$0")"
QUONDEL_PACKAGES="libgtest-dev xvfb xauth xdotool openbox wmctrl x11-utils imagemagick libx11-dev" \
  source scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -DBUILD_TESTING=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
