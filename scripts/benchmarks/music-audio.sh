#!/usr/bin/env bash
# Music and audio figures: the cost of one elapsed tick (micro-benchmark, progress redrawn), the running
# application's wake-ups with nothing playing and its CPU while a track plays (private bus, private
# pulseaudio with null devices, Xvfb with a compositor), and the enumerations a burst of 50 device changes
# causes. Usage: music-audio.sh <build dir>; IDLE_SECONDS (30) shortens a trial run.
set -euo pipefail
build_dir="$(cd "${1:?usage: music-audio.sh <build dir>}" && pwd)"
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${IDLE_SECONDS:-30}"

source "$root/scripts/benchmarks/lib.sh"
source "$root/tests/integration/music_audio_peers.sh"

mkdir -m 700 "$work/burst"

echo "   one elapsed tick (service, widget, both views redrawn):" \
  "$(QT_QPA_PLATFORM=offscreen "$build_dir/benchmarks/bench_music_tick" -minimumvalue 500 2>/dev/null \
    | awk '/RESULT/ {getline; print $1 " ms"}')"

burst="$(HOME="$work" XDG_RUNTIME_DIR="$work/burst" PULSE_RUNTIME_PATH="$work/burst" TAVIMOR_PULSE_TEST=1 \
  TAVIMOR_TEST_PEERS="$root/tests/integration/music_audio_peers.sh" \
  TAVIMOR_PULSE_SOCKET="$work/burst/pulse.sock" PULSE_SERVER="unix:$work/burst/pulse.sock" \
  "$build_dir/tests/tst_PulseAudioSystem" burstIsCoalesced 2>&1)"
echo "   enumerations for a burst of 50 device changes: $(sed -n 's/.*burst of 50 device changes: //p' <<<"$burst")"

desktop 1920x1080
prefs
start_pulse
add_null_devices

# CPU nanoseconds of every thread of a process.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{n += $1} END {printf "%.0f\n", n}'; }
# measure <label>: CPU ms per second and wake-ups per second of the application over $seconds.
measure() {
  local c0 s0 c1 s1
  c0="$(cpu_ns "$app")"; s0="$(switches "$app")"
  sleep "$seconds"
  c1="$(cpu_ns "$app")"; s1="$(switches "$app")"
  awk -v l="$1" -v c=$((c1 - c0)) -v w=$((s1 - s0)) -v s="$seconds" \
    'BEGIN { printf "   %-52s CPU %7.3f ms/s | wake-ups %6.2f /s\n", l, c / 1e6 / s, w / s }'
}

"$build_dir/tavimor" >"$work/app.log" 2>&1 &
app=$!
pids+=("$app")
sleep 3
measure "application, nothing playing:"
start_player /dev/null --name vlc --title Song --artist Band --length-us 600000000
sleep 2
measure "application, a track playing (tick and bar animation):"
dbus-send --session --print-reply --type=method_call --dest=org.mpris.MediaPlayer2.vlc /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Player.Pause >/dev/null
sleep 1
measure "application, the track paused:"

