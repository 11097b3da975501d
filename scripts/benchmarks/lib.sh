# Sourced by the benchmark scripts: the integration tests' throw-away home, private buses, X server and panel
# tabs, and the figures every benchmark reads from /proc.
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/tests/integration/lib.sh"
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Context switches of every thread the process has had since the first call. A thread that ends keeps its
# last count, so the figure never goes down when threads come and go between two readings.
switches() {
  local seen="$work/switches.$1"
  { cat "$seen" 2>/dev/null
    grep -H ctxt_switches /proc/"$1"/task/*/status 2>/dev/null \
      | awk -F'[/:]' '{ n[$5] += $NF } END { for (t in n) print t, n[t] }'
  } | awk -v seen="$seen" '{ last[$1] = $2 } END { for (t in last) { print t, last[t] >seen; total += last[t] } print total + 0 }'
}
