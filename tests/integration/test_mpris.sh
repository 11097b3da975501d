#!/usr/bin/env bash
# The music service against fake MPRIS players on a private session bus (see tst_DBusMprisSource).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build_dir="${TAVIMOR_BUILD_DIR:?TAVIMOR_BUILD_DIR must name the build directory}"
if [ -z "${TAVIMOR_PRIVATE_SESSION:-}" ]; then
  export TAVIMOR_PRIVATE_SESSION=1
  exec dbus-run-session -- bash "$0" "$@"
fi
source "$here/music_audio_peers.sh"
require_private_bus
export TAVIMOR_MPRIS_TEST=1 TAVIMOR_TEST_SESSION_BUS="$DBUS_SESSION_BUS_ADDRESS"
export TAVIMOR_FAKE_PLAYER="$here/fake_mpris_player.py" QT_QPA_PLATFORM=offscreen
exec "$build_dir/tests/tst_DBusMprisSource"
