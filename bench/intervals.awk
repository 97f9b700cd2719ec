# Frame-interval statistics from numbers (ms) sorted ascending, one a line:
# count, mean, median, 99th percentile (nearest rank), maximum and the number
# of intervals over 50 ms, on one line.
{ v[NR] = $1; sum += $1; if ($1 > 50) over += 1 }
function rank(p,   r) {
  r = int(p * NR / 100); if (r < p * NR / 100) r += 1
  if (r < 1) r = 1
  return v[r]
}
END {
  if (NR == 0) { print "0 0 0 0 0 0"; exit }
  printf "%d %.3f %.3f %.3f %.3f %d\n", NR, sum / NR, rank(50), rank(99), v[NR], over + 0
}
