#!/usr/bin/env bash
# Local servers: one refresh with 50 listening sockets (lsof, parsing, project names), with the longest wait
# of the GUI thread meanwhile. Keep-awake: wake-ups of the idle application over WAKE_SECONDS (10) with
# keep-awake off and on, panel closed, on a private bus with python-dbusmock's logind.
set -euo pipefail

build_dir="$(cd "${1:?usage: utilities.sh <build-dir>}" && pwd)"
seconds="${WAKE_SECONDS:-10}"
work="$(mktemp -d)"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# As root lsof sees the whole machine: measure inside a private pid namespace so 50 sockets are all it finds.
isolate=()
[ "$(id -u)" -eq 0 ] && unshare -p -f --mount-proc true 2>/dev/null && isolate=(unshare -p -f --mount-proc)
"${isolate[@]}" bash -c '
  /usr/bin/python3 -c "
import socket, time
held = []
for _ in range(50):
    s = socket.socket(); s.bind((\"127.0.0.1\", 0)); s.listen(); held.append(s)
print(\"ready\", flush=True); time.sleep(600)" >"$1/sockets" &
  until grep -q ready "$1/sockets"; do sleep 0.05; done
  "$2/tests/bench_localServers" -iterations 10 2>&1
  kill %1' _ "$work" "$build_dir" |
  awk '/msecs per iteration/ {printf "lsof refresh, 50 listening sockets: %s ms (mean of 10)\n", $1}
       /longest GUI-thread gap/ {sub(/.*refresh\(\) /, ""); last = $0} END {print "  " last}'

if ! /usr/bin/python3 -c 'import dbusmock' 2>/dev/null; then
  echo "keep-awake wake-ups: skipped (python3-dbusmock missing)"
  exit 0
fi
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Tavimor" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
printf '{"format": "tavimor-preferences", "version": 1, "values": {
  "tavimor.onboarding.completed": {"type": "bool", "value": true}}}\n' >"$XDG_CONFIG_HOME/Tavimor/preferences.json"
for bus in session system; do
  dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/$bus.pid" >"$work/$bus.address"
  pids+=("$(cat "$work/$bus.pid")")
done
export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$work/session.address")"
export DBUS_SYSTEM_BUS_ADDRESS="$(head -1 "$work/system.address")"
/usr/bin/python3 -m dbusmock --system --template logind >/dev/null 2>&1 &
pids+=($!)
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
until [ -s "$work/display" ]; do sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"
sleep 0.5

switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ {n += $2} END {print n}'; }
wakeups_per_second() {
  local before after
  before="$(switches "$1")"
  sleep "$seconds"
  after="$(switches "$1")"
  echo "scale=1; ($after - $before) / $seconds" | bc
}

"$build_dir/tavimor" >/dev/null 2>&1 &
app=$!
pids+=("$app")
sleep 3
echo "idle wake-ups, keep-awake off: $(wakeups_per_second "$app") per second"
# Open the panel, pick the keep-awake tab and its "indefinite" box, close the panel again.
xdotool mousemove 640 4 sleep 0.3 mousemove 640 20 sleep 1 mousemove 811 53 click 1 sleep 1 \
  mousemove 759 177 click 1 sleep 1 mousemove 640 900 sleep 2
held="$(dbus-send --system --print-reply --dest=org.freedesktop.login1 /org/freedesktop/login1 \
  org.freedesktop.login1.Manager.ListInhibitors | grep -c '"sleep:idle"' || true)"
echo "idle wake-ups, keep-awake on: $(wakeups_per_second "$app") per second (logind locks held: $held)"
