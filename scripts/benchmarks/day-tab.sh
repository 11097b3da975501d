#!/usr/bin/env bash
# Today's fetch from a calendar with 500 events of one day, on a private calendar server (Evolution Data
# Server on a private session bus, temporary home). Usage: day-tab.sh <build-dir>
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="$(cd "${1:-$root/build/default}" && pwd)"
work="$(mktemp -d /tmp/tavimor-bench-day.XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/data" "$work/cache" "$work/runtime"
chmod 700 "$work/runtime"
day="$(date +%Y-%m-%d)"

env HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" \
  XDG_RUNTIME_DIR="$work/runtime" GSETTINGS_BACKEND=memory TZ=Europe/Berlin TAVIMOR_BENCH_DAY="$day" \
  dbus-run-session -- bash -c '
    set -euo pipefail
    /usr/bin/python3 "$1/tests/integration/eds_calendar.py" many 500 "$3"
    "$2/benchmarks/bench_calendar_fetch" -minimumtotal 2000 2>&1
  ' bench "$root" "$build_dir" "$day" 2>&1 \
  | awk '/first fetch after start/ { sub(/.*QINFO *: *[^ ]+ /, ""); print "calendar, 500 events: " $0 }
         /RESULT/ { getline; print "calendar, 500 events: repeated fetch " $1 " " $2 " per fetch" }'
