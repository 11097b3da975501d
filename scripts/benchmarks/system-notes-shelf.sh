#!/usr/bin/env bash
# The system tab's recurring costs: CPU per sample of the figures and per clipboard check (nothing new, and
# reading new content owned by another program on a real X server), then the idle CPU and wake-ups of the
# whole application with default settings, monitoring off and the clipboard history on, beside lxqt-panel's.
#
# Usage: scripts/benchmarks/system-notes-shelf.sh <build-dir>   IDLE_SECONDS (20) shortens or lengthens the
# idle period.
set -euo pipefail

build_dir="$(cd "$1" && pwd)"
idle_seconds="${IDLE_SECONDS:-20}"
source "$(dirname "$0")/lib.sh"
desktop 1920x1080
printf 'a line copied by another program' | xclip -selection clipboard 2>/dev/null

# QBENCHMARK's wall time per call: single-threaded and never sleeping, so it is the CPU time.
"$build_dir/benchmarks/bench_system_monitor" -minimumtotal 200 2>/dev/null | awk '
  /RESULT/ { name = $3; getline; us = $1 * 1000
    label["BenchSystemMonitor::sample():"] = "one sample (procfs, disk of home)"
    label["BenchSystemMonitor::idleClipboardPoll():"] = "one clipboard check, nothing new"
    label["BenchSystemMonitor::clipboardPollReadingNewContent():"] = "one clipboard check reading the X clipboard"
    printf "   %-44s %9.3f us\n", label[name], us }'

start_reference
idle() { # label, then "key type value" preferences (the environment passes on to the application)
  prefs "${@:2}"
  "$build_dir/tavimor" >"$work/app.log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  sleep 3
  cost="$(cost_beside "$idle_seconds" "$pid")"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  print_cost "idle, $1" "$cost"
}
idle "default settings:"
idle "monitoring off:" systemMonitoringEnabled bool false
read -r _ wakes _ ref_wakes <<<"$cost"
goal_row "idle wake-ups, monitoring off" "$wakes /s" "$ref_wakes /s" "keep (0.15 /s)"
idle "clipboard history on:" clipboardHistoryEnabled bool true
