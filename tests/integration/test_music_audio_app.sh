#!/usr/bin/env bash
# Music and audio against real peers: the services (tst_DBusMprisSource, tst_PulseAudioSystem), then the
# application under Xvfb with a compositor (whose blur behind takes in the playing track's backing), a fake
# player and a private pulseaudio with null devices in both appearance modes, then without a compositor over a
# white root in both modes (the window cut to what it draws, the playing track's cover and backing among it),
# then without a bus and a sound server. TAVIMOR_SCREENSHOT_DIR keeps screenshots.
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
# The region the panel asks the compositor to blur behind, which the root lists as supported.
xprop -root -f _NET_SUPPORTED 32a -set _NET_SUPPORTED _KDE_NET_WM_BLUR_BEHIND_REGION
blur_region() {
  xprop -id "$(xdotool search --onlyvisible --name '^Tavimor$' | head -1)" _KDE_NET_WM_BLUR_BEHIND_REGION
}
blurs_track_backing() { [[ "$(blur_region)" == *"828, 0, 260, 28"* ]]; } # the centre region's capsule

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
  check "$appearance: the blur behind takes in the track's backing" wait_for 3 blurs_track_backing
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

# Without a compositor the window is cut to what it draws: the playing track's cover is in its shape but takes no
# clicks, and beyond the rounded ends of the track's backing and the open panel's bottom corners the white root
# shows. The backing spans the centre region (828–1087) from row 0 to 27; the cover is at 832–855, rows 2–25.
kill "$compositor_pid"
wait "$compositor_pid" 2>/dev/null || true
panel_shape_at() { python3 "$here/xshape.py" "$(xdotool search --onlyvisible --name '^Tavimor$' | head -1)" "$@"; }
white_at() { import -window root -crop "1x1+$1+$2" txt:- 2>/dev/null | grep -qi '#FFFFFF'; }
cut_at() { not_ panel_shape_at bounding "$1" "$2" && white_at "$1" "$2"; }
for appearance in liquid dark; do
  prefs appearanceMode text "\"$appearance\""
  launch
  xsetroot -solid white # while a client is connected: the server keeps it
  start_player "$work/player.log" --name vlc --title "Canção de Teste" --length-us 215000000 --position-us 30000000
  player_pid=$!
  check "$appearance, no compositor: the playing track's cover is drawn" \
    wait_for 5 eval 'panel_shape_at bounding 844 14 && not_ white_at 844 14'
  check "$appearance, no compositor: the cover takes no clicks" not_ panel_shape_at input 844 14
  check "$appearance, no compositor: the white shows beyond the rounded ends of the track's backing" \
    eval 'cut_at 828 0 && cut_at 828 27 && cut_at 1087 0 && cut_at 1087 27'
  shot "$appearance-no-compositor"
  open_panel
  check "$appearance, no compositor: the open panel's bottom corners are round" \
    wait_for 3 eval 'cut_at 700 299 && cut_at 1219 299 && not_ white_at 960 299'
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
