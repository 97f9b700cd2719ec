#!/usr/bin/env bash
# Builds everything and runs every test, each stage installing the Debian
# packages it needs: the lint check of the C++ formatting and the shell
# scripts, the test suite against each SDL, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, the package test, the
# Windows build played under Wine, the web build played in headless
# Chromium, the reproducibility check and a bounded fuzzing run. Every
# stage reports what it ran; the last line adds those counts up. A stage
# that fails, or that ran nothing, fails the whole run, after the other
# stages have had their turn.
#
#   ./test.sh           everything
#   ./test.sh --quick   the lint check, the headless tests against the
#                       system SDL and one real-window play-through,
#                       counted the same way
set -uo pipefail
cd "$(dirname "$0")" || exit 1
case "${1:-}" in
  "" | --quick) ;;
  *)
    echo "usage: ./test.sh [--quick]" >&2
    exit 2
    ;;
esac
log=$(mktemp)
sdl_log=$(mktemp)
sdl_pid=
trap '[ -z "$sdl_pid" ] || kill -- "-$sdl_pid" 2>/dev/null; rm -f "$log" "$sdl_log"' EXIT
passed=0 skipped=0 failed=0
times=() # each stage's wall time, for the summary


# stage COMMAND [ARGS...]: runs one stage and adds up its counts.
stage() {
  echo "== $* =="
  local started=$SECONDS
  "./$1" "${@:2}" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]} p s f
  times+=("$(printf '%5d s  %s' $((SECONDS - started)) "$*")")
  # The stage's count lines ("NAME: P passed, S skipped, F failed"), or
  # the summary of node's test runner.
  read -r p s f < <(awk '
    /^[^:]+: [0-9]+ passed, [0-9]+ skipped, [0-9]+ failed$/ {p += $(NF-5); s += $(NF-3); f += $(NF-1)}
    /^# (pass|skipped|fail) [0-9]+$/ {node[$2] = $3}
    END {print p + node["pass"], s + node["skipped"], f + node["fail"]}' "$log")
  # Exit code 77: the stage as a whole could not run here and said why
  # in its count line.
  if [ "$p" = 0 ] && [ "$f" = 0 ] && { [ "$status" != 77 ] || [ "$s" = 0 ]; }; then
    echo "test.sh: $* ran nothing"
    f=1
  fi
  if [ "$status" != 0 ] && [ "$status" != 77 ] && [ "$f" = 0 ]; then
    echo "test.sh: $* failed (exit code $status)"
    f=1
  fi
  passed=$((passed + p)) skipped=$((skipped + s)) failed=$((failed + f))
}

if [ "${1:-}" = --quick ]; then
  stage scripts/lint.sh
  stage scripts/test-sdl.sh --quick system
else
  # The stages' package groups in one installation (one package list
  # update) rather than one per stage; a stage installs what is missing.
  scripts/setup.sh lint tests wayland sdl package windows web browser npm release portable fuzz ||
    echo "test.sh: installing the packages failed; each stage tries again"
  times+=("$(printf '%5d s  %s' "$SECONDS" "the stages' packages")")
  # The third-party SDLs the later stages need are built now, in the
  # background at low priority, in the order the stages want them: their
  # compiling fills the time the first stages spend waiting on windows and
  # clocks. A stage that needs one before it is ready waits for it
  # (scripts/sdl.sh builds each once); a build that fails here fails again,
  # visibly, in its stage.
  # shellcheck disable=SC2016 # expanded by the inner shell
  setsid nice -n 10 bash -c 'source scripts/common.sh
    for name in 2.32 compat windows web; do sdl_build "$name" >/dev/null || true; done' >"$sdl_log" 2>&1 &
  sdl_pid=$!
  stage scripts/lint.sh
  stage scripts/test-sdl.sh
  stage scripts/test-asan.sh
  stage scripts/test-package.sh
  stage scripts/test-portable.sh
  stage scripts/test-windows.sh
  stage scripts/web.sh test
  stage scripts/test-reproducible.sh
  stage fuzz/run.sh
fi
if [ -n "$sdl_pid" ]; then
  wait "$sdl_pid"
  sdl_pid=
fi
echo "== summary =="
printf '%s\n' "${times[@]}" "$(printf '%5d s  in all' "$SECONDS")"
echo "test.sh: $passed passed, $skipped skipped, $failed failed"
[ "$failed" = 0 ]
