# Sourced by the music and audio tests and benchmark, after lib.sh (tst_PulseAudioSystem sources it alone for
# add_null_devices): a private pulseaudio with null devices and fake MPRIS players.

# Starts pulseaudio on a socket in $work and points clients at it.
start_pulse() {
  export PULSE_SERVER="unix:$work/pulse.sock" PULSE_RUNTIME_PATH="$work/pulse-runtime"
  mkdir -p "$PULSE_RUNTIME_PATH"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes --use-pid-file=no \
    --load="module-native-protocol-unix socket=$work/pulse.sock auth-anonymous=1" >"$work/pulse.log" 2>&1 &
  pulse_pid=$!
  pids+=("$pulse_pid")
  wait_for 10 pactl info || { cat "$work/pulse.log"; echo "FAIL: pulseaudio did not start"; exit 1; }
}

# Null sinks "hifi" (48 kHz stereo) and "headset" (16 kHz mono, a headset in its phone profile), null sources
# "studio_mic" and "headset_mic".
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
