# What a test stage ran, counted from the runs themselves: each stage ends
# with one line "NAME: P passed, S skipped, F failed" per count it makes,
# which ./test.sh adds up. Sourced.
# shellcheck shell=bash disable=SC2034 # CTEST_COUNT and the counts are read by the callers

# ctest_counted NAME DIR [CTEST_ARGS...]: runs ctest in DIR and sets
# CTEST_COUNT to the count line of its own results (from its JUnit
# report): a test that exits 77 is skipped, not passed. Returns ctest's
# status.
ctest_counted() {
  local name=$1 dir=$2 status=0 junit
  shift 2
  junit=$(realpath "$dir")/junit.xml
  rm -f "$junit"
  ctest --test-dir "$dir" --output-junit "$junit" "$@" || status=$?
  [ -f "$junit" ] || { echo "$name: ctest wrote no report" >&2 && return 1; }
  CTEST_COUNT=$(awk -v name="$name" -F'"' '
    /^[ \t]*tests="/ {t = $2} /^[ \t]*failures="/ {f = $2} /^[ \t]*disabled="/ {d = $2} /^[ \t]*skipped="/ {s = $2}
    /^[ \t]*timestamp="/ {printf "%s: %d passed, %d skipped, %d failed\n", name, t - f - s - d, s + d, f; exit}' "$junit")
  return "$status"
}

# counted COMMAND...: runs one test and counts it by its exit code: 0
# passed, 77 skipped, anything else failed. count_line NAME prints the sum.
COUNT_PASSED=0 COUNT_SKIPPED=0 COUNT_FAILED=0
counted() {
  local status=0
  "$@" || status=$?
  count_status "$status" "$*"
}
# count_status STATUS WHAT: counts one test that ended with STATUS.
count_status() {
  case $1 in
    0) COUNT_PASSED=$((COUNT_PASSED + 1)) ;;
    77) COUNT_SKIPPED=$((COUNT_SKIPPED + 1)) ;;
    *) COUNT_FAILED=$((COUNT_FAILED + 1)) && echo "FAILED: $2" ;;
  esac
}
# scenario FUNCTION: runs one scenario of a test script in a subshell, so
# that a failure (fail exits, and so does any failing command) ends it
# alone, and counts it by its exit code (77: skipped, its reason said).
# A scenario_cleanup function, where the script has one, runs at its end.
scenario() {
  local status
  set +e
  (
    set -e
    ! declare -F scenario_cleanup >/dev/null || trap scenario_cleanup EXIT
    "$1"
  )
  status=$?
  set -e
  count_status "$status" "$1"
}
count_line() { echo "$1: $COUNT_PASSED passed, $COUNT_SKIPPED skipped, $COUNT_FAILED failed"; }
