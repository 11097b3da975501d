#!/usr/bin/env bash
# Reminder looks: the CPU time of one blink cue (panels built, the eye shown, blinking twice and gone) on an
# Xvfb screen with a compositor, on each scene graph.
#
# Usage: scripts/benchmarks/reminder-looks.sh <build-dir>
set -euo pipefail

build_dir="$(cd "${1:?usage: reminder-looks.sh <build-dir>}" && pwd)"
source "$(dirname "$0")/lib.sh"

start_x 1920x1080
start_compositor
for backend in software rhi; do
  printf '%-8s ' "$backend"
  QT_QUICK_BACKEND="$backend" "$build_dir/benchmarks/bench_health_reminders" blinkAnimation 2>&1 \
    | sed -n 's/^QINFO *: [^ ]* //p'
done
