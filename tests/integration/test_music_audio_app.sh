#!/usr/bin/env bash
# Music and audio against real peers: the services (tst_DBusMprisSource, tst_PulseAudioSystem), then the
# application under Xvfb with a compositor, a fake player and a private pulseaudio with null devices in both
# appearance modes, then without a bus and a sound server. TAVIMOR_SCREENSHOT_DIR keeps screenshots.
set -euo pipefail

bin_dir="${1:?usage: test_music_audio_app.sh <directory of the tavimor binary>}"
here="$(cd "$(dirname "$0")" && pwd)"
if [ -z "${TAVIMOR_PRIVATE_SESSION:-}" ]; then
  export TAVIMOR_PRIVATE_SESSION=1
  exec dbus-run-session -- bash "$0" "$@"
fi
source "$here/music_audio_peers.sh"
require_private_bus

failures=0
# check <what> <command…>: one PASS or FAIL line (with the application's last output).
check() {
  local what="$1"; shift
  if "$@"; then echo "PASS: $what"; else echo "FAIL: $what"; tail -20 "$work/app.log"; failures=$((failures + 1)); fi
}
wait_for() {
  local tries="$1"; shift
  for _ in $(seq "$tries"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

( export HOME="$work" XDG_RUNTIME_DIR="$work" PULSE_RUNTIME_PATH="$work/peers" QT_QPA_PLATFORM=offscreen
  export TAVIMOR_MPRIS_TEST=1 TAVIMOR_TEST_SESSION_BUS="$DBUS_SESSION_BUS_ADDRESS" TAVIMOR_FAKE_PLAYER="$here/fake_mpris_player.py"
  export TAVIMOR_PULSE_TEST=1 TAVIMOR_PULSE_SOCKET="$work/peers.sock" PULSE_SERVER="unix:$work/peers.sock"
  export TAVIMOR_TEST_PEERS="$here/music_audio_peers.sh"
  "$bin_dir/tests/tst_DBusMprisSource" && "$bin_dir/tests/tst_PulseAudioSystem" ) || failures=1

start_private_desktop
start_pulse
add_null_devices

# Columns of one screen row, left of the notch (x 800–859), whose colour is not the desktop's grey.
marked_left_of_notch() {
  import -window root "$work/row.png"
  convert "$work/row.png" -crop 60x1+800+"$1" -depth 8 txt:- | grep -vc -e '#808080' -e '^#' || true
}
# Pixels in the danger red (the phone-mode badge and triangle) inside the output card.
warning_pixels() {
  import -window root "$work/tab.png"
  convert "$work/tab.png" -crop 244x200+964+90 -depth 8 txt:- \
    | awk -F'[(),]' '/srgb/ { if ($7 > 200 && $8 < 120 && $9 < 120) n++ } END { print n + 0 }'
}
compact_widened() { [ "$(marked_left_of_notch 20)" -gt 10 ]; }
default_sink_is() { [ "$(pactl get-default-sink)" = "$1" ]; }
no_qml_warning() { ! grep -q "qrc:/Views/" "$work/app.log"; }
degraded_lines() { grep -c -e "MPRIS" -e "PulseAudio" "$XDG_STATE_HOME/Tavimor/tavimor.log" 2>/dev/null; }
screenshot() { [ -z "${TAVIMOR_SCREENSHOT_DIR:-}" ] || import -window root "$TAVIMOR_SCREENSHOT_DIR/$appearance-$1.png"; }

convert -size 96x96 xc:orange "$work/cover.png"
for appearance in liquid dark; do
  echo "=== appearance: $appearance"
  set_appearance "$appearance"
  pactl set-default-sink headset
  "$bin_dir/tavimor" >"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
  check "the panel window shows" wait_for 100 xdotool search --onlyvisible --name '^Tavimor$' 
  sleep 1.5
  xdotool mousemove 960 10 sleep 1 mousemove 960 600 sleep 1
  check "nothing beside the notch without a track" test "$(marked_left_of_notch 20)" -eq 0

  start_player "$work/player.log" --name vlc --title "Canção de Teste" --artist "Banda" \
    --length-us 215000000 --position-us 30000000 --art-url "file://$work/cover.png"
  player_pid=$!
  check "the closed compact bar widens for the playing track" wait_for 50 compact_widened
  screenshot compact

  xdotool mousemove 960 10
  sleep 1
  screenshot music
  xdotool mousemove 759 53 click 1
  sleep 0.8
  screenshot audio
  check "the 16 kHz output shows the phone-mode warning" test "$(warning_pixels)" -gt 20
  # The output card's rows: HiFi first, Headset (the default, in phone mode) second.
  xdotool mousemove 1085 119 click 1
  check "a click on an output makes it the default" wait_for 30 default_sink_is hifi
  sleep 0.5
  screenshot audio-after-click
  check "no warning once the stereo output is the default" test "$(warning_pixels)" -eq 0
  kill "$player_pid" "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  check "the music and audio views load without a warning" no_qml_warning
done

echo "=== no session bus, no sound server"
: >"$work/app.log"
rm -f "$XDG_STATE_HOME/Tavimor/tavimor.log"
kill "$pulse_pid"
DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" "$bin_dir/tavimor" >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
sleep 4
check "the application keeps running" kill -0 "$app_pid"
check "one degraded line each for the players and the sound server" test "$(degraded_lines)" -eq 2
[ "$failures" -eq 0 ] || exit 1
