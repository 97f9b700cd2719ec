#!/usr/bin/env bash
# Frame-pacing benchmark: the game's own loop against a naive SDL2 loop,
# under one private Xvfb with openbox, at the default window size and at
# 1920x1080, and at 1920x1080 the game on SDL's software renderer, the one
# it falls back to without OpenGL. The programs take turns (ROUNDS rounds of SECONDS each per
# program and size) because the machine is shared and its load drifts.
# Prints a markdown table, writes it to docs/bench.md and a plot of the
# frame intervals to docs/bench-intervals.png. About five minutes.
#
#   bench/run.sh                      # defaults: 5 rounds x 5 s
#   ROUNDS=2 SECONDS_PER_RUN=3 bench/run.sh
#   BENCH_BUILD=/tmp/b bench/run.sh   # build directory (default build-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

rounds=${ROUNDS:-5}
seconds=${SECONDS_PER_RUN:-5}
floor_frames=${FLOOR_FRAMES:-150}
warmup=30  # frames (one second) left out of every figure but start-up
big=1920x1080
build=${BENCH_BUILD:-$root/build-bench}
results=$build/bench-results
docs=$root/docs

# ---- Packages and build ----------------------------------------------------
scripts/setup.sh tests bench
source scripts/common.sh
echo "building in $build" >&2
cmake -S . -B "$build" "${QUONDEL_CMAKE_ARGS[@]}" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The real-window library reads the game's facts beside it.
cmake --build "$build" -j"$(nproc)" --target bench_game bench_naive quondel_facts_sh >/dev/null

# ---- X server --------------------------------------------------------------
# shellcheck source=tests/lib/window.sh
source tests/lib/window.sh "$build/quondel"
x_start 2400x1400

rm -rf "$results"
mkdir -p "$results" "$docs"

# One run; its report and raw intervals go to $results/NAME.{kv,txt}.
run() {
  local name=$1
  shift
  if ! (BENCH_XPID=$X_PID BENCH_T0=$EPOCHREALTIME exec "$@" --intervals "$results/$name.txt") \
    >"$results/$name.kv" 2>"$results/$name.err"; then
    echo "run $name failed:" >&2
    cat "$results/$name.err" >&2
    exit 1
  fi
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
started=$(date +%s)
# One unmeasured run of each first: the first start of the GL stack after a
# build reads everything from disk.
run warm-game "$build/bench_game" --seconds 0.5
run warm-naive "$build/bench_naive" --seconds 0.5

sizes=(default "$big")
for ((r = 1; r <= rounds; r++)); do
  echo "round $r of $rounds" >&2
  for size in "${sizes[@]}"; do
    size_args=()
    [ "$size" = default ] || size_args=(--size "$size")
    # Alternate which program goes first, so neither always follows the
    # other's X server backlog.
    order=(game naive)
    ((r % 2 == 0)) && order=(naive game)
    for program in "${order[@]}"; do
      run "$program-$size-$r" "$build/bench_$program" --seconds "$seconds" --warmup-frames $warmup "${size_args[@]}"
    done
    run "floor-$size-$r" "$build/bench_game" --unpaced --frames "$floor_frames" --warmup-frames $warmup \
      "${size_args[@]}"
    # The renderer the fallback takes, asked for by name: the frames cost
    # the same however it was reached.
    [ "$size" = default ] || run "software-$size-$r" env SDL_RENDER_DRIVER=software "$build/bench_game" \
      --seconds "$seconds" --warmup-frames $warmup "${size_args[@]}"
  done
done
# Memory: one longer run of the game per size; resident size should stay
# flat once every picture of the scripted run has been drawn.
for size in "${sizes[@]}"; do
  size_args=()
  [ "$size" = default ] || size_args=(--size "$size")
  run "memory-$size-1" "$build/bench_game" --seconds "${MEMORY_SECONDS:-15}" --warmup-frames $warmup "${size_args[@]}"
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
elapsed=$(($(date +%s) - started))

# ---- Figures ---------------------------------------------------------------
# key=value of the summed runs of one program at one size.
summary() { cat "$results/$1-$2"-*.kv | awk -f bench/runs.awk; }
field() { sed -n "s/^$1=//p"; }
intervals() { cat "$results/$1-$2"-*.txt | sort -n | awk -f bench/intervals.awk; }

declare -A cpu_ms mean p99 maxi
start_game=()
growth_game=()
table="| program | window | frames | mean ms | p50 ms | p99 ms | max ms | >50 ms | fps | CPU ms/frame | CPU % of a core | X server ms/frame | run-queue wait ms/frame | start to first frame ms (median / max) | peak RSS MB | RSS growth after 1 s kB |
|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"
for size in "${sizes[@]}"; do
  programs=(game naive)
  [ "$size" = default ] || programs+=(software)
  for program in "${programs[@]}"; do
    s=$(summary "$program" "$size")
    read -r n m p50 p99v mx over < <(intervals "$program" "$size")
    frames=$(field frames <<<"$s")
    wall=$(field wall_s <<<"$s")
    cpu=$(field cpu_s <<<"$s")
    xcpu=$(field xserver_cpu_s <<<"$s")
    window=$(field window <<<"$s")
    row=$(awk -v f="$frames" -v w="$wall" -v c="$cpu" -v x="$xcpu" -v q="$(field runqueue_wait_s <<<"$s")" \
      'BEGIN { printf "%.2f | %.3f | %.1f%% | %.3f | %.2f", f / w, 1000 * c / f, 100 * c / w, 1000 * x / f, 1000 * q / f }')
    key=$program-$size
    cpu_ms[$key]=$(awk -v f="$frames" -v c="$cpu" 'BEGIN { printf "%.4f", 1000 * c / f }')
    mean[$key]=$m
    p99[$key]=$p99v
    maxi[$key]=$mx
    start_med=$(field start_median_ms <<<"$s")
    start_max=$(field start_max_ms <<<"$s")
    [ "$program" = game ] && start_game[${#start_game[@]}]=$start_med
    rss=$(awk -v k="$(field peak_rss_kb <<<"$s")" 'BEGIN { printf "%.1f", k / 1024 }')
    growth=$(field rss_growth_kb <<<"$s")
    [ "$program" = game ] && growth_game[${#growth_game[@]}]=$growth
    table+=$'\n'"| $program | $window | $n | $m | $p50 | $p99v | $mx | $over | $row | $start_med / $start_max | $rss | $growth |"
  done
done

floor_table="| window | frames | CPU ms/frame | wall ms/frame | X server ms/frame | run-queue wait ms/frame |
|---|---|---|---|---|---|"
declare -A floor_ms
for size in "${sizes[@]}"; do
  s=$(summary floor "$size")
  frames=$(field frames <<<"$s")
  line=$(awk -v f="$frames" -v w="$(field wall_s <<<"$s")" -v c="$(field cpu_s <<<"$s")" \
    -v x="$(field xserver_cpu_s <<<"$s")" -v q="$(field runqueue_wait_s <<<"$s")" \
    'BEGIN { printf "%.3f | %.3f | %.3f | %.2f", 1000 * c / f, 1000 * w / f, 1000 * x / f, 1000 * q / f }')
  floor_ms[$size]=$(awk -v f="$frames" -v c="$(field cpu_s <<<"$s")" 'BEGIN { printf "%.4f", 1000 * c / f }')
  floor_table+=$'\n'"| $(field window <<<"$s") | $frames | $line |"
done

# ---- Targets ---------------------------------------------------------------
check() {  # description, awk condition over the variables given after it
  local what=$1 cond=$2
  shift 2
  if awk "$@" "BEGIN { exit !($cond) }"; then
    echo "- PASS: $what"
  else
    echo "- MISS: $what"
  fi
}
targets=""
for size in "${sizes[@]}"; do
  bound=1.5
  [ "$size" = default ] || bound=5
  g=game-$size
  targets+="$(check "$size: game mean interval ${mean[$g]} ms within 0.1 ms of 33" 'm >= 32.9 && m <= 33.1' -v m="${mean[$g]}")"$'\n'
  targets+="$(check "$size: game p99 ${p99[$g]} ms at most $bound ms above the mean" 'p - m <= b' -v p="${p99[$g]}" -v m="${mean[$g]}" -v b="$bound")"$'\n'
  targets+="$(check "$size: no game frame over 50 ms (max ${maxi[$g]} ms)" 'x <= 50' -v x="${maxi[$g]}")"$'\n'
  targets+="$(check "$size: game CPU ${cpu_ms[$g]} ms/frame within 5% of the naive loop's ${cpu_ms[naive-$size]}" 'g <= n * 1.05' -v g="${cpu_ms[$g]}" -v n="${cpu_ms[naive-$size]}")"$'\n'
done
targets+="$(check "$big: game CPU ${cpu_ms[game-$big]} ms/frame within 1.3 x the floor ${floor_ms[$big]}" 'g <= 1.3 * f' -v g="${cpu_ms[game-$big]}" -v f="${floor_ms[$big]}")"$'\n'
sw=software-$big
targets+="$(check "$big, software renderer: mean interval ${mean[$sw]} ms within 0.5 ms of 33, no frame over 50 ms (max ${maxi[$sw]} ms)" 'm >= 32.5 && m <= 33.5 && x <= 50' -v m="${mean[$sw]}" -v x="${maxi[$sw]}")"$'\n'
targets+="$(check "start to first frame ${start_game[0]} ms (median, default size) under 150 ms" 's < 150' -v s="${start_game[0]}")"$'\n'
mem_default=$(summary memory default | field settled_growth_kb)
mem_big=$(summary memory "$big" | field settled_growth_kb)
targets+="$(check "no RSS growth after the first second (largest growth from 1 s to the end of a game run: ${growth_game[0]} / ${growth_game[1]} kB at default / $big; bound 64 kB)" 'a <= 64 && b <= 64' -v a="${growth_game[0]}" -v b="${growth_game[1]}")"$'\n'
targets+="$(check "no RSS growth once every picture has been drawn (frame 150 to the end of a ${MEMORY_SECONDS:-15} s run: $mem_default / $mem_big kB; bound 64 kB)" 'a <= 64 && b <= 64' -v a="$mem_default" -v b="$mem_big")"

# ---- Plot ------------------------------------------------------------------
for size in "${sizes[@]}"; do
  for program in game naive; do
    cat "$results/$program-$size"-*.txt >"$results/all-$program-$size.dat"
  done
done
gnuplot <<EOF
set terminal pngcairo size 1200,800 font ",10" noenhanced
set output "$docs/bench-intervals.png"
set multiplot layout 2,1 title "Present-to-present intervals, $rounds rounds x ${seconds} s per program (rounds joined)"
set ylabel "interval (ms)"
set xlabel "frame"
set yrange [20:55]
set grid
set key top right
set arrow from graph 0, first 33 to graph 1, first 33 nohead dt 2 lc rgb "#888888"
set arrow from graph 0, first 50 to graph 1, first 50 nohead dt 3 lc rgb "#cc0000"
set title "341 x 256 (default window)"
plot "$results/all-game-default.dat" using 0:1 with lines lw 1 lc rgb "#1f77b4" title "game (deadline pacing)", \
     "$results/all-naive-default.dat" using 0:1 with lines lw 1 lc rgb "#ff7f0e" title "naive (SDL_Delay(33))"
set title "1920 x 1080"
plot "$results/all-game-$big.dat" using 0:1 with lines lw 1 lc rgb "#1f77b4" title "game (deadline pacing)", \
     "$results/all-naive-$big.dat" using 0:1 with lines lw 1 lc rgb "#ff7f0e" title "naive (SDL_Delay(33))"
unset multiplot
EOF

# ---- Report ----------------------------------------------------------------
renderer=$(field renderer <"$results/game-default-1.kv")
driver=$(field video_driver <"$results/game-default-1.kv")
report="# Frame-pacing benchmark

Measured $(date -u '+%Y-%m-%d %H:%M UTC') with \`bench/run.sh\` ($rounds rounds x ${seconds} s per program and
window size, programs taking turns; the first $warmup frames of every run are left out of all figures but
start-up). Machine: $(nproc) cores, $(uname -sr), Xvfb 2400x1400x24 with openbox, SDL video driver
\`$driver\`, renderer \`$renderer\` (Mesa's software OpenGL). Load average before/after: $load_before /
$load_after. The machine is shared, so the figures are noisy; compare programs within one run.

Intervals are taken between consecutive presents (right after \`VYN_DrawEnd\` returns for the game, right
after \`SDL_RenderPresent\` for the naive loop). CPU time is the process's own (all its threads, including
the GL driver's); the X server column is Xvfb's CPU time over the same window, where much of a present's
copying happens. Run-queue wait is the time the process's threads were ready to run but had no CPU
(from /proc/self/task/*/schedstat): the share of the machine's load that landed on this program.

$table

\`software\` is the game on SDL's software renderer (\`SDL_RENDER_DRIVER=software\`), the renderer it falls
back to where no OpenGL answers; its CPU column is the whole cost of drawing on the processor.

Floor: the game's loop with pacing off (frame rate 0), the CPU cost of one unpaced frame.

$floor_table

Targets:

$targets

![frame intervals](bench-intervals.png)
"
printf '%s\n' "$report" >"$docs/bench.md"
printf '%s\n' "$report"
echo "benchmark took ${elapsed} s; raw data in $results" >&2
