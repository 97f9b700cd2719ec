#!/usr/bin/env bash
# Builds the game (installing missing Debian packages) and runs it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
source scripts/common.sh
cmake -S . -B build "${QUONDEL_CMAKE_ARGS[@]}" -DBUILD_TESTING=OFF >/dev/null
cmake --build build -j"$(nproc)" --target quondel >/dev/null
exec ./build/quondel
