#!/usr/bin/env bash
# Builds everything and runs every test, each stage installing the Debian
# packages it needs: the test suite against each SDL, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, the package test, the
# Windows build played under Wine, the web build played in headless
# Chromium and a bounded fuzzing run. Every stage reports what it ran; the
# last line adds those counts up. A stage that fails, or that ran nothing,
# fails the whole run, after the other stages have had their turn.
set -uo pipefail
cd "$(dirname "$0")" || exit 1
log=$(mktemp)
trap 'rm -f "$log"' EXIT
passed=0 skipped=0 failed=0
for stage in scripts/test-sdl.sh scripts/test-asan.sh scripts/test-package.sh scripts/test-windows.sh \
  "scripts/web.sh test" scripts/test-reproducible.sh fuzz/run.sh; do
  echo "== $stage =="
  # shellcheck disable=SC2086 # a stage may carry its argument
  ./$stage 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  # The stage's count lines ("NAME: P passed, S skipped, F failed"), or
  # the summary of node's test runner.
  read -r p s f < <(awk '
    /^[^:]+: [0-9]+ passed, [0-9]+ skipped, [0-9]+ failed$/ {p += $(NF-5); s += $(NF-3); f += $(NF-1)}
    /^# (pass|skipped|fail) [0-9]+$/ {node[$2] = $3}
    END {print p + node["pass"], s + node["skipped"], f + node["fail"]}' "$log")
  if [ "$p" = 0 ] && [ "$f" = 0 ]; then
    echo "test.sh: $stage ran nothing"
    f=1
  fi
  if [ "$status" != 0 ] && [ "$f" = 0 ]; then
    echo "test.sh: $stage failed (exit code $status)"
    f=1
  fi
  passed=$((passed + p)) skipped=$((skipped + s)) failed=$((failed + f))
done
echo "== summary =="
echo "test.sh: $passed passed, $skipped skipped, $failed failed"
[ "$failed" = 0 ]
