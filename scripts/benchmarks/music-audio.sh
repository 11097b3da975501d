#!/usr/bin/env bash
# Music and audio figures: the cost of one elapsed tick (micro-benchmark, progress redrawn), the running
# application's CPU and wake-ups with nothing playing, while a track plays and paused, beside lxqt-panel's over
# the same period (private bus, private pulseaudio with null devices, Xvfb with a compositor), and the
# enumerations a burst of 50 device changes causes. Usage: music-audio.sh <build dir>; IDLE_SECONDS (30) shortens a trial run.
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

start_reference

"$build_dir/tavimor" >"$work/app.log" 2>&1 &
app=$!
pids+=("$app")
sleep 3
print_cost "application, nothing playing:" "$(cost_beside "$seconds" "$app")"
start_player /dev/null --name vlc --title Song --artist Band --length-us 600000000
sleep 2
playing="$(cost_beside "$seconds" "$app")"
print_cost "application, a track playing (tick, level bars):" "$playing"
read -r ms wakes ref_ms ref_wakes <<<"$playing"
goal_row "a track playing (tick + level bars)" "$ms ms/s CPU, $wakes wake-ups/s" "$ref_ms ms/s, $ref_wakes /s" \
  "<= 10 ms/s, <= 70 /s"
dbus-send --session --print-reply --type=method_call --dest=org.mpris.MediaPlayer2.vlc /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Player.Pause >/dev/null
sleep 1
print_cost "application, the track paused:" "$(cost_beside "$seconds" "$app")"
