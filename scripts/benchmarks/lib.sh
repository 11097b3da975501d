# Sourced by the benchmark scripts: the integration tests' throw-away home, private buses, X server and panel
# tabs, and the figures every benchmark reads from /proc.
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/tests/integration/lib.sh"
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# thread_total <pid> <counter>: the sum of a per-thread counter, read as "thread value" lines on stdin, over
# every thread the process has had since the first call. A thread that ends keeps its last value, so the
# figure never goes down when threads come and go between two readings.
thread_total() {
  local seen="$work/$2.$1"
  { cat "$seen" 2>/dev/null; cat; } | awk -v seen="$seen" '{ last[$1] = $2 }
    END { for (t in last) { print t, last[t] >seen; total += last[t] } printf "%.0f\n", total }'
}
# Wake-ups: voluntary context switches of every thread (the involuntary ones count the machine's load, not the
# program).
switches() {
  thread_switches "$1" | awk '{ print $1, $3 }' | thread_total "$1" switches
}
# thread_switches <pid>: "thread-id name voluntary-switches" of every thread alive now.
thread_switches() {
  local task
  for task in /proc/"$1"/task/*; do
    printf '%s %s %s\n' "${task##*/}" "$(tr ' ' _ <"$task/comm")" \
      "$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status")"
  done 2>/dev/null
}
# CPU nanoseconds of every thread of a process.
cpu_ns() {
  grep -H . /proc/"$1"/task/*/schedstat 2>/dev/null | awk -F'[/: ]' '{ print $5, $7 }' | thread_total "$1" cpu_ns
}

# lxqt-panel on the current X display, the panel every figure is printed beside; its pid in $reference.
start_reference() {
  lxqt-panel >"$work/lxqt-panel.log" 2>&1 &
  reference=$!
  pids+=("$reference")
  wait_for 20 xdotool search --onlyvisible --class '^lxqt-panel$' || echo "lxqt-panel did not show" >&2
  sleep 1
}

# cost_beside <seconds> <pid>: CPU and wake-ups per second of the process and of lxqt-panel over the same
# period, as "ms/s wake-ups/s reference-ms/s reference-wake-ups/s".
cost_beside() {
  local c0 s0 r0 q0 c1 s1 r1 q1
  c0="$(cpu_ns "$2")" s0="$(switches "$2")" r0="$(cpu_ns "$reference")" q0="$(switches "$reference")"
  sleep "$1"
  c1="$(cpu_ns "$2")" s1="$(switches "$2")" r1="$(cpu_ns "$reference")" q1="$(switches "$reference")"
  awk -v s="$1" -v c=$((c1 - c0)) -v w=$((s1 - s0)) -v rc=$((r1 - r0)) -v rw=$((q1 - q0)) \
    'BEGIN { printf "%.3f %.2f %.3f %.2f\n", c / 1e6 / s, w / s, rc / 1e6 / s, rw / s }'
}
# print_cost <label> <cost_beside output>
print_cost() {
  read -r ms wakes ref_ms ref_wakes <<<"$2"
  printf "   %-48s CPU %7.3f ms/s | wake-ups %6.2f /s   (lxqt-panel: %7.3f ms/s | %6.2f /s)\n" \
    "$1" "$ms" "$wakes" "$ref_ms" "$ref_wakes"
}

# goal_row <row> <ours> <lxqt-panel's> <goal>: a line of the table scripts/benchmark.sh prints at the end.
goal_row() { [ -z "${BENCH_SUMMARY:-}" ] || printf '%s|%s|%s|%s\n' "$@" >>"$BENCH_SUMMARY"; }
