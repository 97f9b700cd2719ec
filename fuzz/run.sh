#!/usr/bin/env bash
# Builds the engine's libFuzzer targets with clang (ASan + UBSan) in
# build-fuzz/, replays every kept regression input, then fuzzes each target
# from the committed seed corpus. New corpus entries go to a temporary
# directory, never into the tree. Fails on any crash, leak, sanitizer
# report or failed check (after the other targets have had their turn),
# saying whether the fault lies in the engine, in SDL or in the harness,
# with the input in base64.
#
# A fixed number of runs from seed 1 by default, or a longer search (usage
# below).
set -euo pipefail
cd "$(dirname "$0")/.."
usage() {
  cat >&2 <<'USAGE'
  fuzz/run.sh               a fixed number of runs per target from seed 1:
                            the same inputs on every machine (./test.sh)
  fuzz/run.sh hunt [SECS]   a longer search with a random seed, bounded by
                            time (default 600 s per target)
USAGE
}
source scripts/common.sh
root=$(pwd)
build=${QUONDEL_FUZZ_BUILD:-build-fuzz}
targets=(events draw image)
# About a minute each on a 2-core machine; the event pump is slow because
# its inputs resize, minimise and redraw the window and plug in pads.
declare -A runs=([events]=9000 [draw]=100000 [image]=100000)

mode=${1:-bounded}
case "$mode" in
  bounded) ;;
  hunt) seconds=${2:-600} ;;
  *)
    usage
    exit 2
    ;;
esac

scripts/setup.sh fuzz
CXX=clang++ cmake -S fuzz -B "$build" "${QUONDEL_CMAKE_ARGS[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

export SDL_VIDEODRIVER=dummy SDL_RENDER_DRIVER=software
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:print_stacktrace=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"

# The engine reports every refused call on stderr; close_fd_mask=2 keeps
# that out of the log while sanitizer reports still reach it.
common=(-close_fd_mask=2 -rss_limit_mb=3072 -timeout=20)

# Who owns the fault in a sanitizer report: the frames of SDL, the engine
# and the harness, top first, each reduced to "owner place".
owners() {
  { grep -E '^ *#[0-9]+ 0x|runtime error:' "$1" || true; } | sed -nE \
    -e 's#.*(engine/[a-z_]+\.(cpp|h):[0-9]+).*#engine \1#p' \
    -e 's#.*(fuzz/[a-z_]+\.(cpp|h):[0-9]+).*#harness \1#p' \
    -e 's#.*(libSDL2[^ )+]*).*#SDL \1#p'
}

# One plain verdict for whoever reads a failed run, and the input on one
# line so it can be kept as a regression case.
explain() {
  local target=$1 log=$2 input=$3 frames top ours verdict
  frames=$(owners "$log")
  top=$(head -n 1 <<<"$frames")
  ours=$(grep -v '^SDL ' <<<"$frames" | head -n 1 || true)
  case "$top" in
    engine*) verdict="in the engine, at ${top#engine }: fix the engine" ;;
    harness*) verdict="in the fuzz harness itself, at ${top#harness }: fix the harness" ;;
    SDL*)
      case "$ours" in
        engine*) verdict="inside SDL, called by the engine at ${ours#engine }: the engine must not pass SDL what it cannot take (or SDL has a bug the engine must avoid)" ;;
        harness*) verdict="inside SDL, called straight from the fuzz harness at ${ours#harness }: the harness fed SDL something no real platform delivers, or SDL has a bug; the engine is not involved" ;;
        *) verdict="inside SDL, with no frame of ours in the report" ;;
      esac
      ;;
    *) verdict="with no frame of SDL, the engine or the harness in the report (a timeout or out-of-memory): read the log above" ;;
  esac
  echo "fuzz_$target: FINDING $verdict"
  echo "fuzz_$target: input (base64): $(base64 -w0 "$input")"
  echo "fuzz_$target: replay with: SDL_VIDEODRIVER=dummy SDL_RENDER_DRIVER=software $build/fuzz_$target INPUT_FILE"
}

# fail TARGET LOG: reports a failed run and counts it.
fail() {
  local target=$1 log=$2 input
  failed=$((failed + 1))
  input=$(find "$work" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | head -n 1)
  tail -n 60 "$log"
  mkdir -p "$build/crashes"
  if [ -n "$input" ]; then
    cp "$input" "$build/crashes/"
    explain "$target" "$log" "$input"
  else
    # A leak found when the run ends names no input, only where the
    # memory was taken.
    explain "$target" "$log" /dev/null | sed -n 1p
  fi
  echo "fuzz_$target failed; the input is kept in $build/crashes/ (add it to fuzz/regressions/$target/ once fixed)"
  # The next finding must not be taken for this one.
  [ -z "$input" ] || rm -f "$input"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Each regression input replayed and each target fuzzed counts once; a
# failure is reported and the rest still run.
passed=0 failed=0

for t in "${targets[@]}"; do
  regressions=(fuzz/regressions/"$t"/*)
  [ -e "${regressions[0]}" ] || continue
  echo "== fuzz_$t: replaying ${#regressions[@]} regression inputs"
  for input in "${regressions[@]}"; do
    if "$build/fuzz_$t" "${common[@]}" "$input" >"$work/replay.log" 2>&1; then
      passed=$((passed + 1))
    else
      cp "$input" "$work/crash-regression"
      fail "$t" "$work/replay.log"
    fi
  done
done

for t in "${targets[@]}"; do
  mkdir -p "$work/$t"
  if [ "$mode" = hunt ]; then
    echo "== fuzz_$t: ${seconds}s with a random seed"
    bound=(-seed=0 -max_total_time="$seconds")
  else
    echo "== fuzz_$t: ${runs[$t]} runs from seed 1"
    # Three things make libFuzzer's path depend on more than its seed:
    # comparison tracing feeds the values the code compared, heap addresses
    # among them, back into the mutations; the corpus directory is re-read
    # every second; and an input is run again for a leak check whenever
    # SDL's own threads happened to allocate during it. Without them a
    # seed gives the same inputs on every run; leaks are still reported
    # when the run ends.
    bound=(-seed=1 -runs="${runs[$t]}" -use_cmp=0 -reload=0 -detect_leaks=0)
  fi
  start=$SECONDS
  if ! "$build/fuzz_$t" "${common[@]}" "${bound[@]}" -print_final_stats=1 -artifact_prefix="$work/" \
    "$work/$t" "fuzz/corpus/$t" >"$work/$t.log" 2>&1; then
    fail "$t" "$work/$t.log"
    continue
  fi
  # The last status line (coverage, features, corpus) is the same on every
  # machine for the bounded run: the witness that it explored the same inputs.
  grep -E '^(#[0-9]+[[:space:]]+DONE|Done|stat::peak_rss_mb)' "$work/$t.log" | sed -E 's/ exec\/s: [0-9]+//; s/ rss: [0-9]+Mb//'

  echo "fuzz_$t: passed in $((SECONDS - start)) s"
  passed=$((passed + 1))
done
[ "$failed" -gt 0 ] || echo "fuzzing: no findings"
echo "fuzz: $passed passed, 0 skipped, $failed failed"
[ "$failed" -eq 0 ]
