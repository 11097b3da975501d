#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tavimor on the current X11 display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh default
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-xcb}"
exec build/default/tavimor "$@"
