#!/usr/bin/env bash
# Runs the calendar store tests against a real Evolution Data Server on a private session bus with a temporary
# home, seeded with a test day; then once more on a bus where no calendar server can be started.
set -euo pipefail

build_dir="${TAVIMOR_BUILD_DIR:?TAVIMOR_BUILD_DIR must name the build directory}"
test_binary="$build_dir/tests/tst_eds_calendar"
seeder="$(cd "$(dirname "$0")" && pwd)/eds_calendar.py"
[ -x "$test_binary" ] || { echo "FAIL: $test_binary is not built" >&2; exit 1; }
[ -x /usr/libexec/evolution-source-registry ] || { echo "FAIL: evolution-data-server is not installed" >&2; exit 1; }
# Under the sanitizers, the test program detects leaks, unwinding whole stacks: the calendar libraries' own
# allocations are told by frames past GLib's, which has no frame pointers.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1:fast_unwind_on_malloc=0"

work="$(mktemp -d /tmp/tavimor-calendar-eds.XXXXXX)"
trap 'rm -rf "$work"' EXIT

# A bus that can start nothing: the calendar server is unreachable.
cat >"$work/empty-bus.conf" <<'CONF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*"/><allow own="*"/></policy>
</busconfig>
CONF

session_body='
set -euo pipefail
[ "$DBUS_SESSION_BUS_ADDRESS" != "$TAVIMOR_OUTER_SESSION_BUS" ] || { echo "FAIL: not a private bus" >&2; exit 1; }
export DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS"
if [ "$TAVIMOR_EDS_TEST" = seeded ]; then
  /usr/bin/python3 "$TAVIMOR_EDS_SEEDER" day 2026-03-29
  /usr/bin/python3 "$TAVIMOR_EDS_SEEDER" cancelled 2026-03-29
fi
timeout --kill-after=5 120 "$TEST_BINARY" -o -,txt
'

run_session() {
  local mode="$1" home="$work/home-$1"; shift
  mkdir -p "$home/data" "$home/config" "$home/cache" "$home/runtime"
  chmod 700 "$home/runtime"
  echo "== calendar store: $mode"
  env HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" \
    XDG_RUNTIME_DIR="$home/runtime" GSETTINGS_BACKEND=memory TZ=Europe/Berlin QT_QPA_PLATFORM=offscreen \
    TAVIMOR_OUTER_SESSION_BUS="${DBUS_SESSION_BUS_ADDRESS:-none}" TAVIMOR_EDS_TEST="$mode" \
    TAVIMOR_EDS_SEEDER="$seeder" TEST_BINARY="$test_binary" \
    timeout --kill-after=10 240 dbus-run-session "$@" -- bash -c "$session_body" 2>&1 \
    | grep -v -e '^dbus-daemon\[' -e 'Failed to set fd limit'
  return "${PIPESTATUS[0]}"
}

run_session seeded
run_session no-server --config-file="$work/empty-bus.conf"
