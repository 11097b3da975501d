#!/usr/bin/env bash
# Installs what is missing, builds a preset ("default" or "sanitize") and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/install-deps.sh
scripts/build.sh "$preset"
# A test that fails is run once more: two real-peer checks depend on timing on a loaded machine.
ctest --preset "$preset" -j "$(nproc)" --repeat until-pass:2
