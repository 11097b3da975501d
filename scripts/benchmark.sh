#!/usr/bin/env bash
# Measures the idle notch panel against lxqt-panel under one Xvfb with a compositor: CPU time and wake-ups
# over an idle period once start-up has settled, resident memory after start, after a warm-up of 20 open/close cycles and after all cycles,
# the CPU time of one open-and-close animation and of the capture and blur each opening costs, time from process
# start to the window on screen; the application on each scene graph (software, and OpenGL through Mesa), then the
# cost of one pointer event in the hover handler, then each feature's own figures, and last a table of the figures
# that have goals, beside lxqt-panel's. Wake-ups are voluntary context switches of all threads, the idle ones also
# shown by thread.
#
# Usage: scripts/benchmark.sh [build-dir]   (default build/default)
# IDLE_SECONDS (60), SETTLE_SECONDS (33) and CYCLES (200) shorten a trial run. The application is measured by
# default; TAVIMOR_PANEL_APP=harness measures the panel harness, which runs the same panel code without the widgets.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="$(cd "${1:-$root/build/default}" && pwd)"
idle_seconds="${IDLE_SECONDS:-60}"
# Start-up's one-off work ends within this time after the RSS reading (thread pools let their idle threads go
# after 30 s); the idle period starts after it.
settle_seconds="${SETTLE_SECONDS:-33}"
cycles="${CYCLES:-200}"
mode="${TAVIMOR_PANEL_APP:-tavimor}"
clock_ticks="$(getconf CLK_TCK)"

source "$root/scripts/benchmarks/lib.sh"
source "$root/tests/integration/music_audio_peers.sh"
desktop 1920x1080
# A sound server, as on a desktop: without one the application's reconnection attempts (backing off to one
# every 30 s) would be counted as idle wake-ups.
start_pulse
# The rows of the closing table: this script's and the feature scripts' (see goal_row in lib.sh).
export BENCH_SUMMARY="$work/summary"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
rss_kib() { awk '/VmRSS/ {print $2}' "/proc/$1/status"; }
# by_thread <before> <after> <seconds>: the wake-ups per second of each thread that woke between two readings.
by_thread() {
  awk -v s="$3" 'NR == FNR { before[$1] = $3; next }
    { woke = $3 - before[$1]; if (woke > 0) printf "%s %.2f /s, ", $2, woke / s }' "$1" "$2" | sed 's/, $//'
}

warm_up_cycles=20
animation_cycles=10

# pointer_cycles <pid>: hovers the notch and leaves it $cycles times; notes the RSS after the warm-up.
pointer_cycles() {
  rss_warm=0
  for ((i = 1; i <= cycles; i++)); do
    xdotool mousemove 960 10
    sleep 0.05
    xdotool mousemove 100 700
    sleep 0.5
    [ "$i" -eq "$warm_up_cycles" ] && rss_warm="$(rss_kib "$1")"
  done
  return 0
}

# animation_ticks <pid>: CPU ticks of $animation_cycles openings and closings, each left to finish.
animation_ticks() {
  local ticks0; ticks0="$(cpu_ticks "$1")"
  for ((i = 0; i < animation_cycles; i++)); do
    xdotool mousemove 960 10
    sleep 1
    xdotool mousemove 100 700
    sleep 1.5
  done
  echo $(($(cpu_ticks "$1") - ticks0))
}

# measure <label> <window search...> -- <command...>
measure() {
  local label="$1"; shift
  local search=()
  while [ "$1" != -- ]; do search+=("$1"); shift; done
  shift
  local start; start="$(now_ms)"
  "$@" >"$work/$label.log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  until xdotool search --onlyvisible "${search[@]}" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "$label exited:"; cat "$work/$label.log"; return 1; }
    sleep 0.005
  done
  local on_screen=$(($(now_ms) - start))
  sleep 2
  local rss_start; rss_start="$(rss_kib "$pid")"
  local settling0; settling0="$(switches "$pid")"
  sleep "$settle_seconds"
  local ticks0 switches0; ticks0="$(cpu_ticks "$pid")"; switches0="$(switches "$pid")"
  thread_switches "$pid" >"$work/$label.threads0"
  sleep "$idle_seconds"
  local ticks1 switches1; ticks1="$(cpu_ticks "$pid")"; switches1="$(switches "$pid")"
  thread_switches "$pid" >"$work/$label.threads1"
  local threads; threads="$(by_thread "$work/$label.threads0" "$work/$label.threads1" "$idle_seconds")"
  pointer_cycles "$pid"
  sleep 1
  local rss_cycles; rss_cycles="$(rss_kib "$pid")"
  local animation; animation="$(animation_ticks "$pid")"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "$label $rss_start" >>"$work/start-rss"
  awk -v l="$label" -v w="$((switches1 - switches0))" -v s="$idle_seconds" -v a="$animation" -v hz="$clock_ticks" \
    -v na="$animation_cycles" 'BEGIN { printf "%s %.2f %.1f\n", l, w / s, 1000 * a / hz / na }' >>"$work/figures"
  awk -v l="$label" -v t="$on_screen" -v c="$((ticks1 - ticks0))" -v hz="$clock_ticks" -v s="$idle_seconds" \
    -v w="$((switches1 - switches0))" -v r0="$rss_start" -v rw="$rss_warm" -v r1="$rss_cycles" -v n="$cycles" \
    -v nw="$warm_up_cycles" -v a="$animation" -v na="$animation_cycles" -v sw="$((switches0 - settling0))" \
    -v ss="$settle_seconds" -v th="$threads" 'BEGIN {
      printf "%-12s on screen %6d ms | idle CPU %7.3f s in %d s | wake-ups %7.2f /s | open+close CPU %5.1f ms\n",
        l, t, c / hz, s, w / s, 1000 * a / hz / na
      printf "%-12s idle wake-ups by thread: %s\n", "", th
      printf "%-12s wake-ups while start-up settles (%d s from the RSS reading): %.2f /s\n", "", ss, sw / ss
      printf "%-12s RSS %7.1f MiB after start, %7.1f MiB after %d cycles, %7.1f MiB after %d (%+.1f MiB)\n",
        "", r0 / 1024, rw / 1024, nw, r1 / 1024, n, (r1 - rw) / 1024 }' >>"$work/results"
}

if [ "$mode" = tavimor ]; then
  QT_QUICK_BACKEND=software measure tavimor --name '^Tavimor$' -- "$build_dir/tavimor"
  QT_QUICK_BACKEND=rhi measure tavimor-gl --name '^Tavimor$' -- "$build_dir/tavimor"
else
  measure panel --name '^Tavimor$' -- "$build_dir/benchmarks/panel_harness" "$root/benchmarks/PanelTestRoot.qml"
fi
measure lxqt-panel --class '^lxqt-panel$' -- lxqt-panel

# The liquid cards' frosted glass, read and blurred on every opening, and a whole screen's as a break begins.
backdrop="$(QT_QPA_PLATFORM=xcb "$build_dir/benchmarks/bench_backdrop" 2>&1 | sed -n 's/^QINFO *: [^ ]* //p')"
backdrop_cpu="$(sed -n 's/.*open panel.*: \([0-9.]*\) ms CPU.*/\1/p' <<<"$backdrop")"

# figure <label> <column>: 2 wake-ups per second when idle, 3 CPU ms of one open and close.
figure() { awk -v l="$1" -v c="$2" '$1 == l { print $c }' "$work/figures"; }
ours=tavimor
[ "$mode" = tavimor ] || ours=panel
goal_row "idle wake-ups, default settings" "$(figure "$ours" 2) /s" "$(figure lxqt-panel 2) /s" "<= 0.6 /s"
goal_row "one open + close of the panel" "$(figure "$ours" 3) ms CPU" "$(figure lxqt-panel 3) ms (same pointer moves)" \
  "<= 100 ms"
goal_row "  capture + blur of it, each opening" "${backdrop_cpu:-?} ms CPU" "—" "<= 20 ms"
start_mib() { awk -v l="$1" '$1 == l { printf "%.1f", $2 / 1024 }' "$work/start-rss"; }
goal_row "RSS after start" "$(start_mib "$ours") MiB" "$(start_mib lxqt-panel) MiB" "below lxqt-panel's"

echo "== idle panel under Xvfb 1920x1080 with xcompmgr ($mode)"
cat "$work/results"
awk '{ rss[$1] = $2; order[NR] = $1 } END {
  for (i = 1; i < NR; i++)
    printf "%-12s RSS after start %5.1f %% of lxqt-panel'"'"'s\n", order[i], 100 * rss[order[i]] / rss["lxqt-panel"] }' \
  "$work/start-rss"
echo "== frosted glass"
echo "$backdrop"
echo "== one pointer event in the hover handler"
QT_QPA_PLATFORM=offscreen "$build_dir/benchmarks/bench_NotchPanelHost" -minimumvalue 500 \
  | awk '/RESULT/ {getline; print "   " $0}'

# The feature scripts set up their own peers, a sound server included.
kill "$pulse_pid"
wait "$pulse_pid" 2>/dev/null || true
unset PULSE_SERVER PULSE_RUNTIME_PATH

# Each feature's own figures: scripts/benchmarks/<feature>.sh, given the build folder.
for feature in "$root"/scripts/benchmarks/*.sh; do
  [ "$(basename "$feature")" != lib.sh ] || continue
  echo "== $(basename "$feature" .sh)"
  bash "$feature" "$build_dir"
done

echo "== goals (load average at the end: $(cut -d' ' -f1-3 /proc/loadavg))"
awk -F'|' '{ printf "%-38s %-34s lxqt-panel %-20s goal %s\n", $1, $2, $3, $4 }' "$BENCH_SUMMARY"
