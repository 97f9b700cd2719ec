# Shared helpers for the end-to-end scripts: a private X server with a
# window manager, a copy of the game with its pictures, xdotool input and
# pixel checks on screenshots. Sourced, not run.
#
# Usage: source lib.sh <path of the built game>
# Points are written x,y, so arrays of them have commas by design, and
# GAME_STATUS is read by the scripts that source this.
# shellcheck shell=bash disable=SC2054,SC2034
set -euo pipefail

E2E_GAME_BUILT=$1
# The game's pictures in load order, one name a line, as the build lists them.
E2E_PICTURES=$(dirname "$E2E_GAME_BUILT")/pictures.txt
for tool in Xvfb openbox xdotool wmctrl xwininfo import convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed" >&2
    exit 77
  fi
done
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/quondel-e2e.XXXXXX")
E2E_SHOTS=${QUONDEL_E2E_SHOTS:-}  # keep screenshots here when set
E2E_NAME=$(basename "$0" .sh)
XVFB_PID=
WM_PID=
GAME_PID=
GAME_WIN=
GAME_STATUS= # exit code, set by wait_game_exit

e2e_cleanup() {
  local pid
  # Only processes this script started, by their ids.
  for pid in "$GAME_PID" "$WM_PID" "$XVFB_PID"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$E2E_TMP"
  return 0
}
trap e2e_cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -s "$E2E_TMP/game.err" ]; then
    echo "--- game stderr ---" >&2
    cat "$E2E_TMP/game.err" >&2
  fi
  exit 1
}

note() { echo "[$(date +%T.%N | cut -c1-12)] $*"; }

# wait_until <seconds> <command...>: polls the command every 0.1 s.
wait_until() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# start_xvfb <width>x<height>: own X server on a free display.
start_xvfb() {
  local fifo="$E2E_TMP/display"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$fifo" 2>"$E2E_TMP/xvfb.err" &
  XVFB_PID=$!
  wait_until 20 test -s "$fifo" || fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.err")"
  DISPLAY=":$(head -n1 "$fifo")"
  export DISPLAY
  unset WAYLAND_DISPLAY SDL_VIDEODRIVER SDL_RENDER_DRIVER
  # A private runtime directory, as a desktop session has: SDL 3 looks for
  # Wayland first, and libwayland complains on stderr when there is none.
  export XDG_RUNTIME_DIR="$E2E_TMP/run"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# start_x <width>x<height>: own X server and openbox.
start_x() {
  start_xvfb "$1"
  openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
  WM_PID=$!
  wait_until 20 wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"
}

# prepare_game [standin|real]: the game's executable copied into a fresh
# directory with its res/. Stand-ins are plain squares whose places on the
# canvas are known, so pixels can be checked exactly; "real" takes the
# game's own pictures from the build.
prepare_game() {
  local dir="$E2E_TMP/game"
  mkdir -p "$dir/res"
  cp "$E2E_GAME_BUILT" "$dir/quondel"
  if [ "${1:-standin}" = real ]; then
    cp "$(dirname "$E2E_GAME_BUILT")"/res/*.bmp "$dir/res/"
  else
    local name size colour
    while read -r name; do
      case $name in
        handopen) size=6x6 colour='#0000ff' ;;
        handclose) size=6x6 colour='#00ffff' ;;
        stamp) size=20x20 colour='#00ff00' ;;
        bloody) size=4x4 colour='#ff00ff' ;;
        bottomtext | toptext) size=32x8 colour='#ffffff' ;;
        wildass) size=264x264 colour='#ffffff' ;;
        inspi0) size=8x8 colour='#ffffff' ;;
        inspi1) size=24x24 colour='#ffffff' ;;
        inspi2) size=48x48 colour='#ffffff' ;;
        inspi3) size=80x80 colour='#ffffff' ;;
        *) size=8x8 colour='#808080' ;;
      esac
      convert -size "$size" "xc:$colour" "BMP3:$dir/res/$name.bmp"
    done <"$E2E_PICTURES"
  fi
  GAME="$dir/quondel"
}

# Only a mapped window counts.
game_window_id() { xdotool search --onlyvisible --name '^Quondel$' 2>/dev/null | head -n1 || true; }

# start_game: runs the game in the background and waits for its window.
start_game() {
  "$GAME" 2>"$E2E_TMP/game.err" &
  GAME_PID=$!
  local id=
  local end=$((SECONDS + 30))
  while [ -z "$id" ]; do
    [ "$SECONDS" -lt "$end" ] || fail "no window titled Quondel"
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before showing its window"
    sleep 0.1
    id=$(game_window_id)
  done
  GAME_WIN=$id
  focus_game
}

is_viewable() { xwininfo -id "$GAME_WIN" 2>/dev/null | grep -q 'IsViewable'; }

focus_game() {
  xdotool windowactivate --sync "$GAME_WIN" >/dev/null 2>&1 || xdotool windowfocus --sync "$GAME_WIN" >/dev/null 2>&1 || true
}

# Client-area size of the game's window, "WxH".
window_size() {
  xwininfo -id "$GAME_WIN" | awk '/^  Width:/ {w = $2} /^  Height:/ {h = $2} END {print w "x" h}'
}

game_running() { kill -0 "$GAME_PID" 2>/dev/null; }

# wait_game_exit <seconds>: waits for the game's end, sets GAME_STATUS.
wait_game_exit() {
  wait_until "$1" bash -c "! kill -0 $GAME_PID 2>/dev/null" || fail "the game did not end within $1 s"
  GAME_STATUS=0
  wait "$GAME_PID" || GAME_STATUS=$?
  GAME_PID=
}

# close_game: the window manager's close request (WM_DELETE_WINDOW).
close_game() { wmctrl -c Quondel; }

key_down() { xdotool keydown "$1"; }
key_up() { xdotool keyup "$1"; }
# One press held long enough for several frames to see it, then a pause
# so the release is seen as well.
press() {
  xdotool keydown "$1"
  sleep 0.25
  xdotool keyup "$1"
  sleep 0.25
}

# shot <name> [root]: screenshot of the game's window (or the whole
# screen) into $E2E_TMP/<name>.png; kept in $E2E_SHOTS when set.
shot() {
  local target=$GAME_WIN
  [ "${2:-}" = root ] && target=root
  import -window "$target" "$E2E_TMP/$1.png" 2>/dev/null || return 1
  if [ -n "$E2E_SHOTS" ]; then
    mkdir -p "$E2E_SHOTS"
    cp "$E2E_TMP/$1.png" "$E2E_SHOTS/$E2E_NAME-$1.png"
  fi
}

# pixels <name> x,y ...: "r,g,b" of each point of a screenshot, one a line.
pixels() {
  local file="$E2E_TMP/$1.png" format="" p
  shift
  for p in "$@"; do
    format+="%[fx:round(255*p{$p}.r)],%[fx:round(255*p{$p}.g)],%[fx:round(255*p{$p}.b)]\n"
  done
  convert "$file" -format "$format" info:
}

# The intro's held state: full red with at most the faint flicker.
is_red() { [[ $1 =~ ^255,(0|6),(0|6)$ ]]; }
is_black() { [ "$1" = "0,0,0" ]; }
# A scene's background: black with the faint per-channel flicker.
is_dark() { [[ $1 =~ ^(0|6),(0|6),(0|6)$ ]]; }

# expect_points <shot> <red|dark|black> x,y ...: every point has that colour.
expect_points() {
  local name=$1 want=$2 i=0 value
  shift 2
  local points=("$@")
  while read -r value; do
    "is_$want" "$value" || fail "$name: expected $want at ${points[$i]}, got $value"
    i=$((i + 1))
  done < <(pixels "$name" "${points[@]}")
  [ "$i" -eq "${#points[@]}" ] || fail "$name: read $i of ${#points[@]} pixels"
}

# all_red <shot> x,y ...: true when every point is the held red.
all_red() {
  local name=$1 value
  shift
  while read -r value; do
    is_red "$value" || return 1
  done < <(pixels "$name" "$@")
}

# wait_red <seconds> <points...>: screenshots until the points are red.
wait_red() {
  local end=$((SECONDS + $1))
  shift
  until shot held && all_red held "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# Share of a screenshot's pixels that are the held red, 0 to 1.
red_share() {
  convert "$E2E_TMP/$1.png" -fx 'r > 0.99 && g < 0.03 && b < 0.03' -format '%[fx:mean]' info:
}

# count_colour <shot> <RRGGBB>: number of pixels of exactly that colour.
count_colour() {
  convert "$E2E_TMP/$1.png" -depth 8 txt:- | grep -ci " #$2" || true
}

# The canvas on a 1920 x 1080 screen in fullscreen: scale 4, x 278..1641,
# y 28..1051, black bars around it.
LETTERBOX_INSIDE=(278,28 1641,28 278,1051 1641,1051 960,28 960,1051 278,540 1641,540 400,200)
LETTERBOX_OUTSIDE=(277,540 1642,540 960,27 960,1052 0,0 1919,1079 100,540 1800,540 278,27 1641,1052)

# fullscreen_ok <name>: a root screenshot shows the red canvas in that
# letterbox.
fullscreen_ok() {
  shot "$1" root || return 1
  all_red "$1" "${LETTERBOX_INSIDE[@]}" || return 1
  local value
  while read -r value; do is_black "$value" || return 1; done < <(pixels "$1" "${LETTERBOX_OUTSIDE[@]}")
}

# end_with_fifth_press <first>: Space pressed from the <first> count up to
# the fourth with the game still running, then the fifth ends it with 0.
end_with_fifth_press() {
  local i
  for ((i = $1; i <= 4; i++)); do press space; done
  sleep 0.3
  game_running || fail "ended before the fifth press"
  press space
  wait_game_exit 10
  [ "$GAME_STATUS" = 0 ] || fail "exit code $GAME_STATUS"
  note "ended with 0 after five presses"
}
