#!/usr/bin/env bash
# Music and audio against real peers: the services (tst_DBusMprisSource, tst_PulseAudioSystem), then the
# application under Xvfb with a compositor, a fake player and a private pulseaudio with null devices in both
# appearance modes, then without a bus and a sound server. TAVIMOR_SCREENSHOT_DIR keeps screenshots.
set -euo pipefail
bin_dir="${1:?usage: test_music_audio_app.sh <directory of the tavimor binary>}"
app="$bin_dir/tavimor"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
source "$here/music_audio_peers.sh"
require_tools Xvfb xcompmgr xdotool xsetroot convert import pulseaudio pactl
desktop 1920x1080
xsetroot -solid '#808080'

( export PULSE_RUNTIME_PATH="$work/peers" QT_QPA_PLATFORM=offscreen
  export TAVIMOR_MPRIS_TEST=1 TAVIMOR_TEST_SESSION_BUS="$DBUS_SESSION_BUS_ADDRESS" TAVIMOR_FAKE_PLAYER="$here/fake_mpris_player.py"
  export TAVIMOR_PULSE_TEST=1 TAVIMOR_PULSE_SOCKET="$work/peers.sock" PULSE_SERVER="unix:$work/peers.sock"
  export TAVIMOR_TEST_PEERS="$here/music_audio_peers.sh"
  "$bin_dir/tests/tst_DBusMprisSource" && "$bin_dir/tests/tst_PulseAudioSystem" ) || check "the services against real peers" false
start_pulse
add_null_devices

# The leftmost column of the compact bar's figures (x 600–959, rows 16–29) not in the desktop's grey.
left_edge() {
  import -window root "$work/row.png"
  convert "$work/row.png" -crop 360x14+600+16 -depth 8 txt:- \
    | awk -F'[,:]' '!/^#/ && !/#808080/ && (m == "" || $1 < m) { m = $1 } END { print 600 + (m == "" ? 360 : m) }'
}
# Pixels in the danger red (the phone-mode badge and triangle) inside the output card.
warning_pixels() {
  import -window root "$work/tab.png"
  convert "$work/tab.png" -crop 244x200+964+90 -depth 8 txt:- \
    | awk -F'[(),]' '/srgb/ { if ($7 > 200 && $8 < 120 && $9 < 120) n++ } END { print n + 0 }'
}
warning_shown() { [ "$(warning_pixels)" -gt 20 ]; }
widened_past() { [ "$(left_edge)" -lt $(($1 - 10)) ]; }
default_sink_is() { [ "$(pactl get-default-sink)" = "$1" ]; }

convert -size 96x96 xc:orange "$work/cover.png"
for appearance in liquid dark; do
  prefs appearanceMode text "\"$appearance\""
  pactl set-default-sink headset
  launch
  open_panel
  close_panel
  edge="$(left_edge)"
  start_player "$work/player.log" --name vlc --title "Canção de Teste" --artist "Banda" \
    --length-us 215000000 --position-us 30000000 --art-url "file://$work/cover.png"
  player_pid=$!
  check "$appearance: the closed compact bar widens for the playing track" wait_for 5 widened_past "$edge"
  shot "$appearance-compact"
  open_panel
  shot "$appearance-music"
  click_tab audio
  shot "$appearance-audio"
  check "$appearance: the 16 kHz output shows the phone-mode warning" wait_for 5 warning_shown
  # The output card's rows: HiFi first, Headset (the default, in phone mode) second.
  xdotool mousemove 1085 130 click 1
  check "$appearance: a click on an output makes it the default" wait_for 3 default_sink_is hifi
  sleep 0.5
  check "$appearance: no warning once the stereo output is the default" test "$(warning_pixels)" -eq 0
  kill "$player_pid" "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  close_panel
done

# No session bus and no sound server: the application keeps running, with one degraded line for each.
rm -f "$log"
kill "$pulse_pid"
DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" "$app" >>"$work/app.log" 2>&1 &
pids+=($!)
sleep 4
check "the application keeps running without a bus and a sound server" kill -0 "$!"
check "one degraded line each for the players and the sound server" test "$(grep -c -e MPRIS -e PulseAudio "$log")" -eq 2
# The sound server comes back: one line tells so, within 2 s.
told_back() { [ "$(grep -c '\[PulseAudio\] disponível de novo' "$log")" -eq 1 ]; }
start_pulse
check "the sound server's return is told in one line" wait_for 2 told_back
finish
