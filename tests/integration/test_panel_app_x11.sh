#!/usr/bin/env bash
# The notch panel of the application itself under a real X server, in the liquid and the dark appearance.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
for appearance in liquid dark; do
  echo "=== appearance: $appearance"
  TAVIMOR_PANEL_APP=tavimor TAVIMOR_APPEARANCE="$appearance" bash "$here/test_panel_x11.sh" "$@"
done
