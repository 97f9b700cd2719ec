#!/usr/bin/env bash
# The Windows stage: both packages cross-built by scripts/windows.sh, then
# proven under Wine, each test in its own prefix and X server.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
scripts/setup.sh tests windows
scripts/windows.sh
echo "windows: built in $((SECONDS - start)) s"
source tests/lib/count.sh
for test in tests/windows/zip.sh tests/windows/installer.sh; do
  echo "-- $test"
  counted bash "$test" build-windows
done
count_line windows
[ "$COUNT_FAILED" = 0 ]
