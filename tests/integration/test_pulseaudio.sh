#!/usr/bin/env bash
# The audio-device service against a private pulseaudio with null devices (see tst_PulseAudioSystem).
set -euo pipefail
build_dir="${TAVIMOR_BUILD_DIR:?TAVIMOR_BUILD_DIR must name the build directory}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_RUNTIME_DIR="$work/runtime" PULSE_RUNTIME_PATH="$work/pulse"
mkdir -p "$XDG_RUNTIME_DIR" "$PULSE_RUNTIME_PATH"
chmod 700 "$XDG_RUNTIME_DIR"
export TAVIMOR_TEST_PEERS="$(dirname "$0")/music_audio_peers.sh" TAVIMOR_PULSE_TEST=1 TAVIMOR_PULSE_SOCKET="$work/pulse.sock" PULSE_SERVER="unix:$work/pulse.sock"
"$build_dir/tests/tst_PulseAudioSystem"
