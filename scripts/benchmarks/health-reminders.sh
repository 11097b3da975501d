#!/usr/bin/env bash
# Health reminders: CPU per tick of the three reminder tickers, wake-ups per second of the application with
# breaks, blink and posture on (against all three off), and the time from a break falling due to its overlay
# drawn on both monitors of an Xvfb screen with a compositor.
#
# Usage: scripts/benchmarks/health-reminders.sh <build-dir>   WAKE_SECONDS (30) shortens a trial run.
set -euo pipefail

build_dir="$(cd "${1:?usage: health-reminders.sh <build-dir>}" && pwd)"
bench="$build_dir/tests/bench_health_reminders"
wake_seconds="${WAKE_SECONDS:-30}"

work="$(mktemp -d)"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

ns="$(QT_QPA_PLATFORM=offscreen "$bench" tickCost -minimumvalue 200 | awk '/msecs per iteration/ {print $1 * 1e6}')"
awk -v ns="$ns" 'BEGIN { printf "CPU per tick: %.2f µs for the three services (%.2f µs each)\n", ns / 1000, ns / 3000 }'

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Tavimor" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
for bus in session system; do
  dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/$bus.pid" >"$work/$bus.address"
  pids+=("$(cat "$work/$bus.pid")")
done
export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$work/session.address")"
export DBUS_SYSTEM_BUS_ADDRESS="$(head -1 "$work/system.address")"
exec 5>"$work/display"
Xvfb -displayfd 5 -noreset -screen 0 2560x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
until [ -s "$work/display" ]; do sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")" QT_QPA_PLATFORM=xcb
xrandr --setmonitor left 1280/340x800/210+0+0 screen >/dev/null
xrandr --setmonitor right 1280/340x800/210+1280+0 none >/dev/null
xcompmgr >/dev/null 2>&1 &
pids+=($!)
sleep 0.3

switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ {n += $2} END {print n}'; }
# wakeups <on|off>: context switches per second of the idle application.
wakeups() {
  python3 - "$XDG_CONFIG_HOME/Tavimor/preferences.json" "$1" <<'PY'
import json, sys
on = sys.argv[2] == "on"
values = {"tavimor.onboarding.completed": True, "tavimor.breakEnabled": on, "tavimor.blinkEnabled": on,
          "tavimor.postureEnabled": on, "tavimor.breakWorkIntervalMin": 60, "tavimor.blinkIntervalMin": 60,
          "tavimor.postureIntervalMin": 60}
typed = {k: {"type": "bool" if isinstance(v, bool) else "integer", "value": v} for k, v in values.items()}
json.dump({"format": "tavimor-preferences", "version": 1, "values": typed}, open(sys.argv[1], "w"))
PY
  "$build_dir/tavimor" >"$work/app.log" 2>&1 &
  local pid=$!
  sleep 3
  local before; before="$(switches "$pid")"
  sleep "$wake_seconds"
  local after; after="$(switches "$pid")"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  awk -v n="$((after - before))" -v s="$wake_seconds" 'BEGIN { printf "%.2f", n / s }'
}
off="$(wakeups off)"
on="$(wakeups on)"
echo "wake-ups per second of the idle application: $on with breaks, blink and posture on, $off with all off"

"$bench" dueToOverlay beginToOverlay 2>&1 | sed -n 's/^QINFO *: [^ ]* //p'
