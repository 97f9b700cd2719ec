#!/usr/bin/env bash
# Builds the game (installing missing Debian packages) and runs it, with
# any arguments the game takes. Its build directory is build-run/, only the
# game and its pictures, so the test build in build/ stays as it is.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
source scripts/common.sh
cmake -S . -B build-run "${QUONDEL_CMAKE_ARGS[@]}" -DBUILD_TESTING=OFF >/dev/null
cmake --build build-run -j"$(nproc)" --target quondel >/dev/null
exec ./build-run/quondel "$@"
