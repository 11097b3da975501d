#!/usr/bin/env bash
# Local servers: one refresh with 50 listening sockets (lsof, parsing, project names), with the longest wait
# of the GUI thread meanwhile. Keep-awake: wake-ups of the idle application over WAKE_SECONDS (10) with
# keep-awake off and on, panel closed, beside lxqt-panel's, on a private bus with python-dbusmock's logind.
set -euo pipefail

build_dir="$(cd "${1:?usage: utilities.sh <build-dir>}" && pwd)"
seconds="${WAKE_SECONDS:-10}"
source "$(dirname "$0")/lib.sh"

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
  "$2/benchmarks/bench_localServers" -iterations 10 2>&1
  kill %1' _ "$work" "$build_dir" |
  awk '/msecs per iteration/ {printf "lsof refresh, 50 listening sockets: %s ms (mean of 10)\n", $1}
       /longest GUI-thread gap/ {sub(/.*refresh\(\) /, ""); last = $0} END {print "  " last}'

if ! /usr/bin/python3 -c 'import dbusmock' 2>/dev/null; then
  echo "keep-awake wake-ups: skipped (python3-dbusmock missing)"
  exit 0
fi
prefs
private_buses
/usr/bin/python3 -m dbusmock --system --template logind >/dev/null 2>&1 &
pids+=($!)
start_x 1280x1024
sleep 0.5

start_reference
# wakeups <label>: the application's wake-ups per second, and lxqt-panel's over the same period.
wakeups() {
  local cost; cost="$(cost_beside "$seconds" "$app")"
  read -r _ wakes _ ref_wakes <<<"$cost"
  echo "idle wake-ups, $1: $wakes per second (lxqt-panel: $ref_wakes)"
}

# With accessibility on, as click_tab finds the tab through the accessibility tree.
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$build_dir/tavimor" >/dev/null 2>&1 &
app=$!
app_pid=$app
pids+=("$app")
sleep 3
wakeups "keep-awake off"
# Open the panel, pick the keep-awake tab and its "indefinite" box, close the panel again.
open_panel
click_tab caffeinate
xdotool mousemove 759 177 click 1 sleep 1
close_panel
held="$(dbus-send --system --print-reply --dest=org.freedesktop.login1 /org/freedesktop/login1 \
  org.freedesktop.login1.Manager.ListInhibitors | grep -c '"sleep:idle"' || true)"
wakeups "keep-awake on, logind locks held: $held"
