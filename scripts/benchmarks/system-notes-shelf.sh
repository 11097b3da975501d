#!/usr/bin/env bash
# The system tab's recurring costs: CPU per sample of the figures and per clipboard poll (idle, and reading
# new content owned by another program on a real X server), then the idle CPU and wake-ups of the whole
# application with default settings and with the clipboard history on.
#
# Usage: scripts/benchmarks/system-notes-shelf.sh <build-dir>   IDLE_SECONDS (20) shortens or lengthens the
# idle period.
set -euo pipefail

build_dir="$(cd "$1" && pwd)"
idle_seconds="${IDLE_SECONDS:-20}"
clock_ticks="$(getconf CLK_TCK)"
source "$(dirname "$0")/lib.sh"
desktop 1920x1080
printf 'a line copied by another program' | xclip -selection clipboard 2>/dev/null

# QBENCHMARK's wall time per call: single-threaded and never sleeping, so it is the CPU time.
"$build_dir/benchmarks/bench_system_monitor" -minimumtotal 200 2>/dev/null | awk '
  /RESULT/ { name = $3; getline; us = $1 * 1000
    label["BenchSystemMonitor::sample():"] = "one sample (procfs, disk of home)"
    label["BenchSystemMonitor::idleClipboardPoll():"] = "one clipboard poll, nothing new"
    label["BenchSystemMonitor::clipboardPollReadingNewContent():"] = "one clipboard poll reading the X clipboard"
    printf "   %-44s %9.3f us\n", label[name], us }'

idle() { # label, then "key type value" preferences (the environment passes on to the application)
  prefs "${@:2}"
  "$build_dir/tavimor" >"$work/app.log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  sleep 3
  local ticks0 switches0 ticks1 switches1
  ticks0="$(cpu_ticks "$pid")" switches0="$(switches "$pid")"
  sleep "$idle_seconds"
  ticks1="$(cpu_ticks "$pid")" switches1="$(switches "$pid")"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  awk -v l="$1" -v c="$((ticks1 - ticks0))" -v hz="$clock_ticks" -v s="$idle_seconds" -v w="$((switches1 - switches0))" \
    'BEGIN { printf "   idle, %-36s CPU %6.3f s in %d s | wake-ups %6.2f /s\n", l, c / hz, s, w / s }'
}
idle "default settings:"
# Most of those wake-ups are the software rasteriser's threads drawing the compact figures every 2 s.
LP_NUM_THREADS=1 idle "default, one rasteriser thread:"
idle "monitoring off:" systemMonitoringEnabled bool false
idle "clipboard history on:" clipboardHistoryEnabled bool true
