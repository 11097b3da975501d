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
work="$(mktemp -d)"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Tavimor" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
for bus in session system; do
  dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/$bus.pid" >"$work/$bus.address"
  pids+=("$(cat "$work/$bus.pid")")
done
export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$work/session.address")"
export DBUS_SYSTEM_BUS_ADDRESS="$(head -1 "$work/system.address")"
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
until [ -s "$work/display" ]; do sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"
xcompmgr >/dev/null 2>&1 &
pids+=($!)
printf 'a line copied by another program' | xclip -selection clipboard 2>/dev/null

# QBENCHMARK's wall time per call: single-threaded and never sleeping, so it is the CPU time.
"$build_dir/tests/bench_system_monitor" -minimumtotal 200 2>/dev/null | awk '
  /RESULT/ { name = $3; getline; us = $1 * 1000
    label["BenchSystemMonitor::sample():"] = "one sample (procfs, disk of home)"
    label["BenchSystemMonitor::idleClipboardPoll():"] = "one clipboard poll, nothing new"
    label["BenchSystemMonitor::clipboardPollReadingNewContent():"] = "one clipboard poll reading the X clipboard"
    printf "   %-44s %9.3f us\n", label[name], us }'

idle() { # label, preferences values (the environment passes on to the application)
  cat >"$XDG_CONFIG_HOME/Tavimor/preferences.json" <<JSON
{"format": "tavimor-preferences", "version": 1, "values": {
  "tavimor.onboarding.completed": {"type": "bool", "value": true}$2}}
JSON
  "$build_dir/tavimor" >"$work/app.log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  sleep 3
  local ticks0 switches0 ticks1 switches1
  ticks0="$(awk '{print $14 + $15}' "/proc/$pid/stat")"
  switches0="$(cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ {n += $2} END {print n}')"
  sleep "$idle_seconds"
  ticks1="$(awk '{print $14 + $15}' "/proc/$pid/stat")"
  switches1="$(cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ {n += $2} END {print n}')"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  awk -v l="$1" -v c="$((ticks1 - ticks0))" -v hz="$clock_ticks" -v s="$idle_seconds" -v w="$((switches1 - switches0))" \
    'BEGIN { printf "   idle, %-36s CPU %6.3f s in %d s | wake-ups %6.2f /s\n", l, c / hz, s, w / s }'
}
idle "default settings:" ""
# Most of those wake-ups are the software rasteriser's threads drawing the compact figures every 2 s.
LP_NUM_THREADS=1 idle "default, one rasteriser thread:" ""
idle "monitoring off:" ', "tavimor.systemMonitoringEnabled": {"type": "bool", "value": false}'
idle "clipboard history on:" ', "tavimor.clipboardHistoryEnabled": {"type": "bool", "value": true}'
