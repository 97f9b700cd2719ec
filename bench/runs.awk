# Sums the key=value reports of several runs of one program at one size:
# frames, wall, process and X server CPU time, the median and maximum
# start-up time, the highest peak RSS and the largest RSS growth after the
# warm-up, and the growth once every picture of the scripted run has been
# drawn (the RSS sample at frame 150 to the last). Prints them as key=value lines.
BEGIN { FS = "=" }
$1 == "frames" { frames += $2 }
$1 == "wall_s" { wall += $2 }
$1 == "cpu_s" { cpu += $2 }
$1 == "xserver_cpu_s" { xcpu += $2 }
$1 == "runqueue_wait_s" { wait += $2 }
$1 == "start_to_first_frame_ms" { start[++runs] = $2 }
$1 == "vmhwm_kb" { if ($2 > hwm) hwm = $2 }
$1 == "maxrss_kb" { if ($2 > maxrss) maxrss = $2 }
$1 == "rss_after_warmup_kb" { before = $2 }
$1 == "rss_end_kb" { g = $2 - before; if (runs_g++ == 0 || g > growth) growth = g }
$1 == "rss_trace_kb" { k = split($2, trace, ","); if (k >= 6) { g = trace[k] - trace[5]; if (settled_n++ == 0 || g > settled) settled = g } }
$1 == "renderer" { renderer = $2 }
$1 == "window" { window = $2 }
END {
  n = runs
  for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (start[j] < start[i]) { t = start[i]; start[i] = start[j]; start[j] = t }
  median = n == 0 ? -1 : (n % 2 ? start[(n + 1) / 2] : (start[n / 2] + start[n / 2 + 1]) / 2)
  printf "frames=%d\nwall_s=%.6f\ncpu_s=%.6f\nxserver_cpu_s=%.6f\nrunqueue_wait_s=%.6f\n", frames, wall, cpu, xcpu, wait
  printf "start_median_ms=%.1f\nstart_max_ms=%.1f\n", median, n == 0 ? -1 : start[n]
  printf "settled_growth_kb=%d\n", settled_n ? settled : -1
  printf "peak_rss_kb=%d\nmaxrss_kb=%d\nrss_growth_kb=%d\nrenderer=%s\nwindow=%s\n", hwm, maxrss, growth, renderer, window
}
