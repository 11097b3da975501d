#!/usr/bin/env bash
# The music service against fake MPRIS players on a private session bus, and the audio-device service against
# a private pulseaudio with null devices (tst_DBusMprisSource, tst_PulseAudioSystem).
set -euo pipefail
build_dir="${TAVIMOR_BUILD_DIR:?TAVIMOR_BUILD_DIR must name the build directory}"
here="$(cd "$(dirname "$0")" && pwd)"
[ -n "${TAVIMOR_PRIVATE_SESSION:-}" ] || TAVIMOR_PRIVATE_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
source "$here/music_audio_peers.sh"
require_private_bus
export HOME="$work" XDG_RUNTIME_DIR="$work" PULSE_RUNTIME_PATH="$work/pulse" QT_QPA_PLATFORM=offscreen
export TAVIMOR_MPRIS_TEST=1 TAVIMOR_TEST_SESSION_BUS="$DBUS_SESSION_BUS_ADDRESS" TAVIMOR_FAKE_PLAYER="$here/fake_mpris_player.py"
export TAVIMOR_PULSE_TEST=1 TAVIMOR_PULSE_SOCKET="$work/pulse.sock" PULSE_SERVER="unix:$work/pulse.sock"
export TAVIMOR_TEST_PEERS="$here/music_audio_peers.sh"
"$build_dir/tests/tst_DBusMprisSource"
"$build_dir/tests/tst_PulseAudioSystem"
