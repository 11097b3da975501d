# Sourced by the music and audio tests and benchmark: a throw-away desktop, a private pulseaudio with null
# devices, fake MPRIS players. What starts lands in pids, killed newest first at exit; $work goes too.
work="$(mktemp -d)"
pids=()
stop_peers() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap stop_peers EXIT

# Throw-away home and XDG folders (past onboarding, appearance $1), a second private bus standing in for the
# system bus, and a 1920x1080 Xvfb with a grey desktop and a compositor.
start_private_desktop() {
  export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
  export XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime"
  mkdir -p "$HOME" "$XDG_CONFIG_HOME/Tavimor" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  set_appearance liquid
  dbus-daemon --session --fork --print-address=1 --print-pid=3 >"$work/system-bus" 3>"$work/system-bus.pid"
  pids+=("$(cat "$work/system-bus.pid")")
  export DBUS_SYSTEM_BUS_ADDRESS="$(head -n1 "$work/system-bus")"
  Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
  xsetroot -solid '#808080'
  xcompmgr >/dev/null 2>&1 &
  pids+=($!)
}

set_appearance() {
  printf '{"format": "tavimor-preferences", "version": 1, "values": {"tavimor.onboarding.completed": {"type": "bool", "value": true}, "tavimor.appearanceMode": {"type": "text", "value": "%s"}}}\n' "$1" >"$XDG_CONFIG_HOME/Tavimor/preferences.json"
}

# Starts pulseaudio on a socket in $work and points clients at it. Null sinks "hifi" (48 kHz stereo) and
# "headset" (16 kHz mono, a headset in its phone profile), null sources "studio_mic" and "headset_mic".
start_pulse() {
  export PULSE_SERVER="unix:$work/pulse.sock" PULSE_RUNTIME_PATH="$work/pulse-runtime"
  mkdir -p "$PULSE_RUNTIME_PATH"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes --use-pid-file=no \
    --load="module-native-protocol-unix socket=$work/pulse.sock auth-anonymous=1" >"$work/pulse.log" 2>&1 &
  pulse_pid=$!
  pids+=("$pulse_pid")
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl info >/dev/null 2>&1 || { cat "$work/pulse.log"; echo "FAIL: pulseaudio did not start"; exit 1; }
}

add_null_devices() {
  pactl load-module module-null-sink sink_name=hifi rate=48000 channels=2 \
    sink_properties=device.description=HiFi >/dev/null
  pactl load-module module-null-sink sink_name=headset rate=16000 channels=1 \
    sink_properties=device.description=Headset >/dev/null
  pactl load-module module-null-source source_name=studio_mic rate=48000 channels=2 \
    description=Studio >/dev/null
  pactl load-module module-null-source source_name=headset_mic rate=16000 channels=1 \
    description=HeadsetMic >/dev/null
}

# start_player <log> <fake_mpris_player.py arguments…>
start_player() {
  local log="$1"; shift
  /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/fake_mpris_player.py" --log "$log" "$@" &
  pids+=($!)
}

# Refuses to run unless the session bus is the private one this script started.
require_private_bus() {
  case "${DBUS_SESSION_BUS_ADDRESS:-}" in "" | */run/user/* | */run/dbus/*) echo "FAIL: not a private bus"; exit 1 ;; esac
}
