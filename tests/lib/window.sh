# The fixture for every test that drives the real game in a real window: a
# private display (Xvfb with openbox, weston nested in an Xvfb, a Wine
# prefix), a copy of the game with stand-in or its own pictures, its window
# found and waited for, pixels read from screenshots, keys pressed, and the
# window closed by the window manager. Sourced, not run; everything it
# starts is stopped at exit, by process id.
#
#   source tests/lib/window.sh BUILT_GAME     (quondel or quondel.exe)
#
# The build writes facts.sh (version, title, view size) and pictures.txt
# beside the game; they are read from there, never retyped. Points are
# written x,y, so arrays of them have commas by design; the variables set
# here are read by the scripts that source it.
# shellcheck shell=bash disable=SC2054,SC2034,SC2206
set -euo pipefail

GAME_BUILD=$(cd "$(dirname "$1")" && pwd)
GAME_BUILT=$GAME_BUILD/$(basename "$1")
# shellcheck source=/dev/null
source "$GAME_BUILD/facts.sh"
mapfile -t PICTURES <"$GAME_BUILD/pictures.txt"
VIEW=${QUONDEL_VIEW_WIDTH}x$QUONDEL_VIEW_HEIGHT
T_TMP=$(mktemp -d "${TMPDIR:-/tmp}/quondel-test.XXXXXX")
T_SHOTS=${QUONDEL_SHOTS:-} # screenshots are kept here when set
T_NAME=$(basename "$0" .sh)
T_PIDS=() # the servers started here, stopped last first
X_PID=
GAME=
GAME_DIR= # where the game's res/ is
GAME_PID=
GAME_WIN=
GAME_STATUS= # exit code, set by game_wait_exit
WINE=/usr/lib/wine/wine64

# t_stop PID: ends a process started here and waits until it is gone (a
# zombie counts as gone). Bash's wait can hang in an exit trap for a child
# it has already reaped, so /proc is read instead.
t_stop() {
  local n state
  kill "$1" 2>/dev/null || return 0
  for ((n = 0; n < 100; n++)); do
    state=$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null) || return 0
    [ "$state" != Z ] || return 0
    sleep 0.05
  done
}
t_cleanup() {
  local i
  [ -z "$GAME_PID" ] || t_stop "$GAME_PID"
  # Only this prefix's Wine server and the programs it runs.
  if [ -d "${WINEPREFIX:-}" ]; then /usr/lib/wine/wineserver -k 2>/dev/null || true; fi
  for ((i = ${#T_PIDS[@]} - 1; i >= 0; i--)); do t_stop "${T_PIDS[$i]}"; done
  rm -rf "$T_TMP"
  return 0
}
trap t_cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -s "$T_TMP/game.err" ]; then
    echo "--- game stderr ---" >&2
    cat "$T_TMP/game.err" >&2
  fi
  exit 1
}
# A test that cannot run here says why and exits 77, ctest's skip.
skip() {
  echo "SKIP: $*" >&2
  exit 77
}
need() {
  local tool
  for tool; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done
}
note() { echo "[$(date +%T.%N | cut -c1-12)] $*"; }

# wait_until <seconds> <command...>: polls the command every 0.1 s.
wait_until() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# ---- Displays -------------------------------------------------------------

# x_start WxH [bare] [no-gl]: a private X server on a free display and,
# unless bare, openbox on it. no-gl leaves out the server's GLX, as a
# remote desktop or a virtual machine without 3D has it: SDL then finds no
# OpenGL at all.
x_start() {
  local size=$1 bare='' opt
  local server=(-screen 0 "${size}x24" -nolisten tcp -noreset)
  shift
  for opt; do
    case $opt in
      bare) bare=1 ;;
      no-gl) server+=(-extension GLX) ;;
      *) fail "x_start: unknown option $opt" ;;
    esac
  done
  need Xvfb xdotool xwininfo xprop import convert
  [ -n "$bare" ] || need openbox wmctrl
  Xvfb -displayfd 3 "${server[@]}" 3>"$T_TMP/display" 2>"$T_TMP/xvfb.err" &
  X_PID=$!
  T_PIDS+=("$X_PID")
  wait_until 20 test -s "$T_TMP/display" || fail "Xvfb did not start: $(cat "$T_TMP/xvfb.err")"
  DISPLAY=":$(head -n1 "$T_TMP/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY SDL_VIDEODRIVER SDL_RENDER_DRIVER
  # A private runtime directory, as a desktop session has: SDL 3 looks for
  # Wayland first, and libwayland complains on stderr when there is none.
  export XDG_RUNTIME_DIR="$T_TMP/run"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  [ -z "$bare" ] || return 0
  openbox --sm-disable >"$T_TMP/openbox.log" 2>&1 &
  T_PIDS+=($!)
  wait_until 20 wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"
}

# weston_start WxH [SCALE]: weston's output window at the top left of a
# slightly larger X screen, so screen and output coordinates match and the
# pointer can leave it; WESTON_OUTPUT is its size in its own pixels, as
# screenshots see it. The game is then a Wayland client only: GAME_ENV
# takes DISPLAY away from it, so nothing can fall back to X11.
weston_start() {
  need weston
  local w=${1%x*} h=${1#*x} scale=${2:-1}
  WESTON_OUTPUT=$((w * scale))x$((h * scale))
  x_start "$((w * scale + 20))x$((h * scale + 20))" bare
  # A plain background without a panel; no animation delays any frame.
  printf '%s\n' '[shell]' panel-position=none background-color=0xff304050 animation=none \
    startup-animation=none close-animation=none focus-animation=none locking=false >"$T_TMP/weston.ini"
  weston --backend=x11-backend.so --use-pixman --width="$w" --height="$h" --scale="$scale" --socket=quondel-test \
    --config="$T_TMP/weston.ini" --idle-time=0 >"$T_TMP/weston.log" 2>&1 &
  T_PIDS+=($!)
  wait_until 20 test -S "$XDG_RUNTIME_DIR/quondel-test" || fail "weston did not start: $(tail -n5 "$T_TMP/weston.log")"
  export WAYLAND_DISPLAY=quondel-test
  GAME_ENV=(env -u DISPLAY)
  # weston takes the pointer only once it enters its window; started under
  # the pointer, it would never see it.
  xdotool mousemove $((w * scale + 10)) $((h * scale + 10)) sleep 0.2 mousemove $((w / 2)) $((h / 2))
}

# wine_prefix: a fresh private Wine prefix (some tens of seconds to make).
wine_prefix() {
  [ -x "$WINE" ] || skip "wine64 is not installed"
  export WINEPREFIX=$T_TMP/prefix WINEARCH=win64 WINEDEBUG=-all
  # No Mono or Gecko: their install prompts would wait forever.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  "$WINE" wineboot -i >"$T_TMP/wineboot.log" 2>&1 || fail "wineboot: $(tail -3 "$T_TMP/wineboot.log")"
  /usr/lib/wine/wineserver -w
}

# ---- The game -------------------------------------------------------------

GAME_ENV=(env)

# game_use PATH: the game to start. A Windows game runs through Wine, so
# its process id, exit code and standard error are the Linux side's.
game_use() {
  GAME=$1
  GAME_DIR=$(dirname "$1")
  if [[ $1 == *.exe ]]; then
    GAME=$T_TMP/wine-game
    printf '#!/bin/bash\nexec %q %q "$@"\n' "$WINE" "$1" >"$GAME"
    chmod +x "$GAME"
  fi
}

# game_copy [standin|real]: the built game copied into a fresh directory
# with its res/. Stand-ins are plain squares whose places on the canvas
# are known, so pixels can be checked exactly; "real" takes the game's own
# pictures from the build.
game_copy() {
  local dir=$T_TMP/game
  mkdir -p "$dir/res"
  cp "$GAME_BUILT" "$dir/"
  if [ "${1:-standin}" = real ]; then
    cp "$GAME_BUILD"/res/*.bmp "$dir/res/"
  else
    # The scene tests' own stand-ins, written by their tool.
    "$GAME_BUILD/quondel_standins" "$dir" || fail "cannot write the stand-in pictures"
  fi
  game_use "$dir/$(basename "$GAME_BUILT")"
}

# The game's arguments in game_run: full flashing chosen, so that the
# scenes show at once; a test of the start screen empties it.
GAME_ARGS=(--full-flashing)

# game_run [VAR=value...]: the game in the background with GAME_ARGS, its
# standard error in $T_TMP/game.err.
game_run() {
  "${GAME_ENV[@]}" "$@" "$GAME" "${GAME_ARGS[@]}" 2>"$T_TMP/game.err" &
  GAME_PID=$!
}

# Only a mapped window counts.
game_window_id() { xdotool search --onlyvisible --name "^$QUONDEL_TITLE\$" 2>/dev/null | head -n1 || true; }

# game_start [VAR=value...]: game_run, then waits for the window, which
# gets the keyboard.
game_start() {
  game_run "$@"
  GAME_WIN=
  local end=$((SECONDS + 30))
  while [ -z "$GAME_WIN" ]; do
    [ "$SECONDS" -lt "$end" ] || fail "no window titled $QUONDEL_TITLE"
    game_running || fail "the game ended before showing its window"
    sleep 0.1
    GAME_WIN=$(game_window_id)
  done
  game_focus
}

game_focus() {
  xdotool windowactivate --sync "$GAME_WIN" >/dev/null 2>&1 || xdotool windowfocus --sync "$GAME_WIN" >/dev/null 2>&1 || true
}
game_running() { kill -0 "$GAME_PID" 2>/dev/null; }

# Client-area size of the game's window, "WxH".
window_size() { xwininfo -id "$GAME_WIN" | awk '/^  Width:/ {w = $2} /^  Height:/ {h = $2} END {print w "x" h}'; }
# window_wait_size WxH: waits for the window to take that size.
window_wait_size() {
  local size
  window_has_size() { size=$(window_size) && [ "$size" = "$1" ]; }
  wait_until 15 window_has_size "$1" || fail "window is $size, expected $1"
}
is_viewable() { xwininfo -id "$GAME_WIN" 2>/dev/null | grep -q 'IsViewable'; }

# game_close: the window manager's close request (WM_DELETE_WINDOW).
game_close() { wmctrl -i -c "$GAME_WIN"; }

# game_wait_exit <seconds> [STATUS]: waits for the game's end, sets
# GAME_STATUS and, when given, expects that status.
game_wait_exit() {
  wait_until "$1" bash -c "! kill -0 $GAME_PID 2>/dev/null" || fail "the game did not end within $1 s"
  GAME_STATUS=0
  wait "$GAME_PID" || GAME_STATUS=$?
  GAME_PID=
  [ -z "${2:-}" ] || [ "$GAME_STATUS" = "$2" ] || fail "exit code $GAME_STATUS, expected $2"
}

# Standard error without the CR of Wine's text mode.
game_lines() { tr -d '\r' <"${1:-$T_TMP/game.err}"; }

# expect_released [FILE]: standard error is the clean shutdown's, every
# picture released in order.
expect_released() {
  local i expected=
  for i in "${!PICTURES[@]}"; do expected+="destroyed image $i"$'\n'; done
  [ "$(game_lines "${1:-}")" = "${expected%$'\n'}" ] || fail "not a clean shutdown"
}

# expect_missing <name> <file>: the file holds what the game says when one
# of its pictures is missing: the picture named with the failed open, the
# pictures loaded before it released, then "init failed".
expect_missing() {
  local i lines expected=
  for i in "${!PICTURES[@]}"; do
    [ "${PICTURES[$i]}" = "$1" ] && break
    expected+="destroyed image $i"$'\n'
  done
  # SDL 2.32 and later add the system's reason to SDL's own.
  local first="^res/$1\\.bmp: Couldn't open .*res[/\\]$1\\.bmp(: No such file or directory)?\$"
  mapfile -t lines < <(game_lines "$2")
  [[ ${lines[0]:-} =~ $first ]] ||
    fail "missing $1: first line is '${lines[0]:-}'"
  [ "$(printf '%s\n' "${lines[@]:1}")" = "${expected}init failed" ] || fail "missing $1: $(cat "$2")"
  [ "$(tail -c1 "$2" | od -An -c | tr -d ' ')" = '\n' ] || fail "missing $1: last line unterminated"
}

# game_without <name>: the game started without one of its pictures ends
# with 1 and says so on standard error.
game_without() {
  local status=0
  mv "$GAME_DIR/res/$1.bmp" "$T_TMP/moved.bmp"
  timeout 60 "${GAME_ENV[@]}" "$GAME" 2>"$T_TMP/missing.err" || status=$?
  mv "$T_TMP/moved.bmp" "$GAME_DIR/res/$1.bmp"
  [ "$status" = 1 ] || fail "missing $1: exit code $status: $(cat "$T_TMP/missing.err")"
  expect_missing "$1" "$T_TMP/missing.err"
  note "missing $1: $(head -n1 "$T_TMP/missing.err")"
}

# ---- Input ----------------------------------------------------------------

key_down() { xdotool keydown "$1"; }
key_up() { xdotool keyup "$1"; }
# One press held long enough for several frames to see it, then a pause
# so the release is seen as well; under Wine on a loaded machine a frame
# can take a few tenths of a second.
press() {
  xdotool keydown "$1"
  sleep 0.4
  xdotool keyup "$1"
  sleep 0.3
}

# end_with_fifth_press <first>: Space pressed from the <first> count up to
# the fourth with the game still running, then the fifth ends it with 0.
end_with_fifth_press() {
  local i
  for ((i = $1; i <= 4; i++)); do press space; done
  sleep 0.3
  game_running || fail "ended before the fifth press"
  press space
  game_wait_exit 20 0
  note "ended with 0 after five presses"
}

# play_to_end <name>: the game, with its own pictures, in its window (after
# game_start): Space held until the canvas is mostly red, released, and
# five presses end it with 0; screenshots <name>-held and <name>-scene2.
play_to_end() {
  mostly_red() { shot "$1-held" && awk -v s="$(red_share "$1-held")" 'BEGIN {exit !(s > 0.5)}'; }
  key_down space
  wait_until 30 mostly_red "$1" || fail "$1: the canvas never turned mostly red"
  key_up space
  sleep 0.3
  shot "$1-scene2"
  end_with_fifth_press 1
}

# ---- Pixels ---------------------------------------------------------------

# shot <name> [root]: screenshot of the game's window (or the whole
# screen) into $T_TMP/<name>.png; kept in $T_SHOTS when set.
shot() {
  local target=$GAME_WIN
  [ "${2:-}" = root ] && target=root
  import -window "$target" "$T_TMP/$1.png" 2>/dev/null || return 1
  if [ -n "$T_SHOTS" ]; then
    mkdir -p "$T_SHOTS"
    cp "$T_TMP/$1.png" "$T_SHOTS/$T_NAME-$1.png"
  fi
}

# pixels <name> x,y ...: "r,g,b" of each point of a screenshot, one a line.
pixels() {
  local file="$T_TMP/$1.png" format="" p
  shift
  for p in "$@"; do
    format+="%[fx:round(255*p{$p}.r)],%[fx:round(255*p{$p}.g)],%[fx:round(255*p{$p}.b)]\n"
  done
  convert "$file" -format "$format" info:
}

# start_screen_shown <shot>: the start screen and nothing else: greys
# only (no scene's colour), with the warning's light grey text.
start_screen_shown() {
  [ "$(convert "$T_TMP/$1.png" -colorspace HSL -channel G -separate -format '%[fx:maxima]' info:)" = 0 ] &&
    [ "$(count_colour "$1" DDDDDD)" -gt 1000 ]
}

# The intro's held state: full red with at most the faint flicker.
is_red() { [[ $1 =~ ^255,(0|6),(0|6)$ ]]; }
is_black() { [ "$1" = "0,0,0" ]; }
# A scene's background: black with the faint per-channel flicker.
is_dark() { [[ $1 =~ ^(0|6),(0|6),(0|6)$ ]]; }

# all_are <shot> <red|dark|black> x,y ...: every point has that colour.
all_are() {
  local name=$1 want=$2 value
  shift 2
  while read -r value; do
    "is_$want" "$value" || return 1
  done < <(pixels "$name" "$@")
}
# expect_points <shot> <red|dark|black> x,y ...: as all_are, failing with
# the first point that differs.
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

# wait_red <seconds> <points...>: screenshots until the points are red.
wait_red() {
  local limit=$1
  shift
  red_now() { shot held && all_are held red "$@"; }
  wait_until "$limit" red_now "$@"
}
# The corners and edge middles of a window of the view's size.
WINDOW_EDGES=(0,0 $((QUONDEL_VIEW_WIDTH - 1)),0 0,$((QUONDEL_VIEW_HEIGHT - 1))
  $((QUONDEL_VIEW_WIDTH - 1)),$((QUONDEL_VIEW_HEIGHT - 1)) 0,$((QUONDEL_VIEW_HEIGHT / 2))
  $((QUONDEL_VIEW_WIDTH - 1)),$((QUONDEL_VIEW_HEIGHT / 2)))

# Share of a screenshot's pixels that are the held red, 0 to 1.
red_share() { convert "$T_TMP/$1.png" -fx 'r > 0.99 && g < 0.03 && b < 0.03' -format '%[fx:mean]' info:; }
# count_colour <shot> <RRGGBB>: number of pixels of exactly that colour.
count_colour() { convert "$T_TMP/$1.png" -depth 8 txt:- | grep -ci " #$2" || true; }
# box <shot> <RRGGBB>: "WxH+X+Y" around the pixels of about that colour
# (the held red flickers by 6 in green and blue).
box() { convert "$T_TMP/$1.png" -fuzz 3% -fill black +opaque "#$2" -trim -format '%wx%h%O' info: 2>/dev/null; }

# letterbox <W>x<H>: where the canvas lies in an output of that size, at
# the largest whole scale that fits, centred: LETTERBOX ("WxH+X+Y"), its
# LETTERBOX_CORNERS and LETTERBOX_MIDDLES, and LETTERBOX_OUTSIDE, points of
# the bars around it (those that exist at this size; the bottom right
# corner is left to the pointer).
letterbox() {
  local w=${1%x*} h=${1#*x} vw=$QUONDEL_VIEW_WIDTH vh=$QUONDEL_VIEW_HEIGHT s p x y
  s=$((w / vw < h / vh ? w / vw : h / vh))
  local x0=$(((w - s * vw) / 2)) y0=$(((h - s * vh) / 2))
  local x1=$((x0 + s * vw - 1)) y1=$((y0 + s * vh - 1)) cx=$((w / 2)) cy=$((h / 2))
  LETTERBOX=$((s * vw))x$((s * vh))+$x0+$y0
  LETTERBOX_CORNERS=($x0,$y0 $x1,$y0 $x0,$y1 $x1,$y1)
  LETTERBOX_MIDDLES=($cx,$y0 $cx,$y1 $x0,$cy $x1,$cy $(((x0 + cx) / 2)),$(((y0 + cy) / 2)))
  LETTERBOX_OUTSIDE=()
  for p in $((x0 - 1)),$cy $((x1 + 1)),$cy $cx,$((y0 - 1)) $cx,$((y1 + 1)) 0,0 $((w - 1)),0 0,$((h - 1)) \
    $((x0 / 2)),$cy $(((x1 + w) / 2)),$cy $x0,$((y0 - 1)) $x1,$((y1 + 1)); do
    x=${p%,*} y=${p#*,}
    if [ "$x" -ge 0 ] && [ "$x" -lt "$w" ] && [ "$y" -ge 0 ] && [ "$y" -lt "$h" ] &&
      { [ "$x" -lt "$x0" ] || [ "$x" -gt "$x1" ] || [ "$y" -lt "$y0" ] || [ "$y" -gt "$y1" ]; }; then
      LETTERBOX_OUTSIDE+=("$p")
    fi
  done
}

# expect_letterbox <W>x<H> <red|dark> <shot> [root]: waits until a
# screenshot shows the canvas in that colour where the letterbox puts it in
# an output of that size, between pure black bars. Under a dark canvas the
# figure may light the corners, so only the middles are read.
expect_letterbox() {
  letterbox "$1"
  local want=$2 name=$3 target=${4:-}
  local inside=("${LETTERBOX_MIDDLES[@]}")
  [ "$want" = red ] && inside+=("${LETTERBOX_CORNERS[@]}")
  letterboxed() { shot "$name" "$target" && all_are "$name" "$want" "${inside[@]}" && all_are "$name" black "${LETTERBOX_OUTSIDE[@]}"; }
  wait_until 15 letterboxed || {
    expect_points "$name" "$want" "${inside[@]}"
    expect_points "$name" black "${LETTERBOX_OUTSIDE[@]}"
  }
}
