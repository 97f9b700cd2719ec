#!/usr/bin/env bash
# Damages each of the game's pictures in turn in one way (KIND) and
# runs the real game on it: it must name the file with the loader's reason,
# release the pictures loaded before it, say "init failed" and exit 1.
# Under the sanitizer build any leak on that path also fails the run.
#
#   bad_pictures.sh GAME_EXECUTABLE KIND
#   KIND: empty truncated random absurd directory unreadable
set -uo pipefail
game=$1
kind=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bmp.sh"

mapfile -t names <"$(dirname "$game")/pictures.txt"
[ "${#names[@]}" -gt 0 ] || { echo "no pictures listed next to $game" && exit 2; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"
mkdir "$tmp/game" "$tmp/pristine"
cp "$game" "$tmp/game/quondel"

cp "$(dirname "$game")"/res/*.bmp "$tmp/pristine/"

# Running as root, a file without read permission is still readable: drop
# to an unprivileged user for that case.
as_user=()
if [ "$kind" = unreadable ] && [ "$(id -u)" -eq 0 ]; then
  if ! setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
    echo "SKIP: running as root and setpriv cannot drop privileges, so no file is unreadable"
    exit 77
  fi
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  # The sanitizers must still read their suppressions as that user.
  if [ -n "${LSAN_OPTIONS:-}" ]; then
    IFS=: read -ra options <<<"$LSAN_OPTIONS"
    for k in "${!options[@]}"; do
      if [[ ${options[$k]} == suppressions=* ]]; then
        cp "${options[$k]#suppressions=}" "$tmp/lsan.supp" && chmod 644 "$tmp/lsan.supp"
        options[$k]=suppressions=$tmp/lsan.supp
      fi
    done
    LSAN_OPTIONS=$(IFS=:; echo "${options[*]}")
    export LSAN_OPTIONS
  fi
fi

export SDL_VIDEODRIVER=dummy SDL_RENDER_DRIVER=software
failures=0
for i in "${!names[@]}"; do
  name=${names[$i]}
  rel=res/$name.bmp
  rm -rf "$tmp/game/res"
  cp -r "$tmp/pristine" "$tmp/game/res"
  chmod -R a+rX "$tmp/game"
  file=$tmp/game/$rel
  case $kind in
    empty) : >"$file" ;;
    truncated) head -c $(($(stat -c %s "$file") / 2)) "$tmp/pristine/$name.bmp" >"$file" ;;
    random) bmp_random "$file" $((i + 1)) ;;
    absurd) bmp_absurd "$file" ;;
    directory) rm "$file" && mkdir "$file" ;;
    unreadable) chmod 000 "$file" ;;
    *) echo "unknown kind $kind" && exit 2 ;;
  esac

  (cd / && timeout 60 "${as_user[@]}" "$tmp/game/quondel") >"$tmp/out" 2>"$tmp/err"
  code=$?

  expected=""
  for ((j = 0; j < i; j++)); do expected+="destroyed image $j"$'\n'; done
  expected+="init failed"
  first=$(head -n 1 "$tmp/err")
  rest=$(tail -n +2 "$tmp/err")
  reason=${first#"$rel: "}
  problem=""
  if [ "$code" -ne 1 ]; then
    problem="exit code $code, not 1"
  elif [ "$first" = "$reason" ] || [ -z "$reason" ] || [[ $reason == *"(null)"* ]]; then
    problem="first line does not name $rel with a reason"
  elif [ "$rest" != "$expected" ] || [ "$(tail -c 1 "$tmp/err" | od -An -c | tr -d ' ')" != '\n' ]; then
    problem="wrong lines after the reason"
  # SDL 2.32 and later add the system's reason to SDL's own.
  elif [ "$kind" = unreadable ] && [[ $reason != "Couldn't open "*"/$rel" ]] &&
    [[ $reason != "Couldn't open "*"/$rel: Permission denied" ]]; then
    problem="reason is not the failed open"
  elif [ "$kind" = absurd ] && [[ $reason != "picture too large"* ]]; then
    problem="absurd size not refused before loading"
  elif [ -s "$tmp/out" ]; then
    problem="unexpected standard output"
  fi
  if [ -n "$problem" ]; then
    failures=$((failures + 1))
    echo "FAIL $kind $rel: $problem"
    echo "--- stderr:"; cat "$tmp/err"; echo "---"
  else
    echo "ok   $kind $rel: $reason"
  fi
done
[ "$failures" -eq 0 ]
