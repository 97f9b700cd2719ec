#!/usr/bin/env bash
# The Windows stage: both packages cross-built by scripts/windows.sh, then
# proven under Wine, each test in its own prefix and X server.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
QUONDEL_PACKAGES="wine64 xvfb xauth xdotool openbox wmctrl x11-utils imagemagick" scripts/windows.sh
echo "windows: built in $((SECONDS - start)) s"
for test in tests/windows/zip.sh tests/windows/installer.sh; do
  echo "-- $test"
  bash "$test" build-windows
done
echo "windows: 2 passed, $((SECONDS - start)) s"
