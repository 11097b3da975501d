#!/usr/bin/env bash
# Health reminders: wake-ups per second of the application with breaks, blink and posture on (against all three
# off) beside lxqt-panel's, and the time from a break falling due to its overlay
# drawn on both monitors of an Xvfb screen with a compositor.
#
# Usage: scripts/benchmarks/health-reminders.sh <build-dir>   WAKE_SECONDS (30) shortens a trial run.
set -euo pipefail

build_dir="$(cd "${1:?usage: health-reminders.sh <build-dir>}" && pwd)"
bench="$build_dir/benchmarks/bench_health_reminders"
wake_seconds="${WAKE_SECONDS:-30}"

source "$(dirname "$0")/lib.sh"

private_buses
start_x 2560x800 -noreset
xrandr --setmonitor left 1280/340x800/210+0+0 screen >/dev/null
xrandr --setmonitor right 1280/340x800/210+1280+0 none >/dev/null
start_compositor

start_reference

# wakeups <on|off>: wake-ups per second of the idle application, then lxqt-panel's over the same period.
wakeups() {
  local on=false
  [ "$1" = off ] || on=true
  prefs breakEnabled bool $on blinkEnabled bool $on postureEnabled bool $on breakWorkIntervalMin integer 60 \
    blinkIntervalMin integer 60 postureIntervalMin integer 60
  "$build_dir/tavimor" >"$work/app.log" 2>&1 &
  local pid=$!
  sleep 3
  local cost; cost="$(cost_beside "$wake_seconds" "$pid")"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  read -r _ wakes _ ref_wakes <<<"$cost"
  echo "$wakes $ref_wakes"
}
read -r off off_reference <<<"$(wakeups off)"
read -r on on_reference <<<"$(wakeups on)"
echo "wake-ups per second of the idle application: $on with breaks, blink and posture on, $off with all off" \
  "(lxqt-panel: $on_reference and $off_reference over the same periods)"

"$bench" dueToOverlay beginToOverlay 2>&1 | sed -n 's/^QINFO *: [^ ]* //p'
