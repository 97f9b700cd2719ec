#!/usr/bin/env bash
# The lint stage: every C++ file formatted as the repository's .clang-format
# says, and every shell script clean under `shellcheck -S warning`; each
# file counts once per check, and a failure names the file. The files are
# the checkout's (tracked, and new ones not ignored), or, in a tree without
# git history (the source tarball), the tree's own less what .gitignore
# names.
#
# Pinned to the versions Debian 12 ships: another clang-format formats
# differently and another shellcheck warns differently, so with another
# version a check says so and skips its files rather than fail on a
# changed taste.
#
#   scripts/lint.sh
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
scripts/setup.sh lint || exit 1
source scripts/common.sh
clang_format_major=14
shellcheck_version=0.9.0

# The tree's files, one a line.
if has_history; then
  all=$(git ls-files --cached --others --exclude-standard)
else
  prune=(-path ./.git)
  while read -r line; do
    # The directories .gitignore names from the top (/NAME/).
    case $line in /*/) prune+=(-o -path ".${line%/}") ;; esac
  done <.gitignore
  all=$(find . \( "${prune[@]}" \) -prune -o -type f -print | sed 's|^\./||' | sort)
fi
cxx=() shell=()
while read -r f; do
  [ -f "$f" ] || continue # deleted, not yet committed
  case $f in
    *.cpp | *.h) cxx+=("$f") ;;
    *.sh) shell+=("$f") ;;
    *) if [ -x "$f" ] && head -n 1 "$f" | grep -qE '^#!.*[/ ](ba)?sh$'; then shell+=("$f"); fi ;;
  esac
done <<<"$all"

passed=0 skipped=0 failed=0
# count CHECK TOTAL BAD...: counts the TOTAL files one check read, those
# named failing.
count() {
  local check=$1 total=$2 f
  shift 2
  for f in "$@"; do echo "FAIL: $f: $check"; done
  failed=$((failed + $#)) passed=$((passed + total - $#))
}

version=$(clang-format --version 2>/dev/null | sed -nE 's/.*clang-format version ([0-9]+)\..*/\1/p')
if [ ${#cxx[@]} -eq 0 ]; then
  echo "lint: no C++ files found"
elif [ "$version" != "$clang_format_major" ]; then
  echo "SKIP: clang-format ${version:-(none)} is not the $clang_format_major the project formats with: ${#cxx[@]} C++ files not checked"
  skipped=$((skipped + ${#cxx[@]}))
else
  # One run for every file; each unformatted place is reported as
  # "FILE:LINE:COL: error: ...".
  status=0
  out=$(clang-format --dry-run -Werror "${cxx[@]}" 2>&1) || status=$?
  mapfile -t bad < <(sed -nE 's/^([^:]+):[0-9]+:[0-9]+: error: .*clang-format.*/\1/p' <<<"$out" | sort -u)
  # Failed without naming a file, it could not run: every file fails.
  [ "$status" = 0 ] || [ ${#bad[@]} -gt 0 ] || { echo "$out" && bad=("${cxx[@]}"); }
  [ ${#bad[@]} -eq 0 ] || grep -E '^[^ :]+:[0-9]+:[0-9]+: ' <<<"$out" | head -n 20
  count "not formatted as .clang-format says (clang-format -i it)" ${#cxx[@]} "${bad[@]}"
fi

version=$(shellcheck --version 2>/dev/null | sed -n 's/^version: //p')
if [ ${#shell[@]} -eq 0 ]; then
  echo "lint: no shell scripts found"
elif [ "$version" != "$shellcheck_version" ]; then
  echo "SKIP: shellcheck ${version:-(none)} is not the $shellcheck_version the project checks with: ${#shell[@]} scripts not checked"
  skipped=$((skipped + ${#shell[@]}))
else
  # All at once, so that a sourced script's variables and options are seen
  # by the scripts that source it, as when they run.
  status=0
  out=$(shellcheck -f gcc -S warning "${shell[@]}" 2>&1) || status=$?
  mapfile -t bad < <(sed -nE 's/^([^:]+):[0-9]+:[0-9]+: .*/\1/p' <<<"$out" | sort -u)
  [ -z "$out" ] || echo "$out"
  [ "$status" = 0 ] || [ ${#bad[@]} -gt 0 ] || bad=("${shell[@]}")
  count "shellcheck -S warning" ${#shell[@]} "${bad[@]}"
fi

echo "lint: $passed passed, $skipped skipped, $failed failed"
[ "$failed" -eq 0 ] || exit 1
# Nothing checked, only skipped: the stage as a whole is skipped.
[ "$passed" -gt 0 ] || exit 77
