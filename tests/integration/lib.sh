# Sourced by the integration scripts: a throw-away home, private buses, Xvfb, and waiting for a condition.
# Everything started is recorded in `pids` and stopped, newest first, when the script ends.
work="$(mktemp -d)"
pids=()
stop_from() { # index of the first process to stop
  for ((i = ${#pids[@]} - 1; i >= $1; i--)); do kill "${pids[i]}" 2>/dev/null || true; wait "${pids[i]}" 2>/dev/null || true; done
  pids=("${pids[@]:0:$1}")
}
trap 'stop_from 0; rm -rf "$work"' EXIT

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
log="$XDG_STATE_HOME/Tavimor/tavimor.log"

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    ((SECONDS <= deadline)) || return 1
    sleep 0.05
  done
}

# Two private buses stand in for the session and the system bus; the user's own are never touched.
private_buses() {
  for bus in session system; do
    dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/$bus.pid" >"$work/$bus.address"
    pids+=("$(cat "$work/$bus.pid")")
  done
  export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$work/session.address")"
  export DBUS_SYSTEM_BUS_ADDRESS="$(head -1 "$work/system.address")"
}

start_x() { # WIDTHxHEIGHT
  rm -f "$work/display"
  Xvfb -displayfd 5 -screen 0 "${1}x24" -nolisten tcp 5>"$work/display" 2>/dev/null &
  pids+=($!)
  wait_for 10 test -s "$work/display" || { echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=":$(head -1 "$work/display")"
}
