#!/usr/bin/env bash
# Runs the Secret Service store tests on private session buses with temporary homes: against a real
# gnome-keyring, on a bus without any provider, and on one whose policy refuses every call to it.
set -euo pipefail

build_dir="${TAVIMOR_BUILD_DIR:?TAVIMOR_BUILD_DIR must name the build directory}"
test_binary="$build_dir/tests/tst_libsecret_store"
[ -x "$test_binary" ] || { echo "FAIL: $test_binary is not built" >&2; exit 1; }
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1" # the test program, under the sanitizers
for tool in dbus-run-session dbus-daemon dbus-monitor gnome-keyring-daemon secret-tool gdbus timeout; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
done

work="$(mktemp -d /tmp/tavimor-secret-service.XXXXXX)"
trap 'rm -rf "$work"' EXIT

# A session bus with no service directories: nothing is started by activation, so the bus holds
# exactly the provider this script starts (or none). $1 is an extra policy rule.
write_bus_conf() {
  cat >"$work/bus-$2.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
    $1
  </policy>
</busconfig>
CONF
}
write_bus_conf "" gnome-keyring
write_bus_conf "" none
write_bus_conf '<deny send_destination="org.freedesktop.secrets"/>' denied

# Runs inside the private bus session: $1 is "gnome-keyring", "none" or "denied".
session_body='
set -euo pipefail
export TAVIMOR_TEST_SESSION_BUS="$DBUS_SESSION_BUS_ADDRESS" DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS"
export TAVIMOR_SECRET_SERVICE_PROVIDER="$1" TAVIMOR_SECRET_SERVICE_TEST=1
export TAVIMOR_SECRET_SERVICE_MONITOR_LOG="$HOME/unlock-requests.log"
started_pids=()
stop_started() { for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done; }
trap stop_started EXIT

dbus-monitor --session "type=method_call,interface=org.freedesktop.Secret.Service,member=Unlock" \
  >"$TAVIMOR_SECRET_SERVICE_MONITOR_LOG" 2>&1 &
started_pids+=($!)

if [ "$1" != none ]; then
  printf "%s" "tavimor-test-password" \
    | gnome-keyring-daemon --foreground --unlock --components=secrets >"$HOME/keyring.out" 2>&1 &
  keyring_pid=$!
  started_pids+=("$keyring_pid")
  for _ in $(seq 100); do
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.NameHasOwner org.freedesktop.secrets 2>/dev/null | grep -q true && break
    kill -0 "$keyring_pid" 2>/dev/null || { cat "$HOME/keyring.out" >&2; echo "FAIL: gnome-keyring exited" >&2; exit 1; }
    sleep 0.1
  done
  export TAVIMOR_SECRET_SERVICE_PID="$keyring_pid"
fi
if [ "$1" = gnome-keyring ]; then
  printf "%s" "foreignsecret" \
    | secret-tool store --label="Stored by another program" service com.dravo.tavimor account foreign_token
  printf "%s" "locked" | secret-tool store --label="Shared, default" service shared account a
  printf "%s" "unlocked" | secret-tool store --label="Shared, session" --collection=session service shared account b
fi
timeout --kill-after=5 120 "$TEST_BINARY" -o -,txt
'

run_session() {
  local provider="$1" home="$work/home-$1"
  mkdir -p "$home/data" "$home/config" "$home/cache" "$home/runtime"
  chmod 700 "$home/runtime"
  env HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" \
    XDG_RUNTIME_DIR="$home/runtime" TAVIMOR_OUTER_SESSION_BUS="${DBUS_SESSION_BUS_ADDRESS:-}" \
    TEST_BINARY="$test_binary" \
    timeout --kill-after=10 240 \
    dbus-run-session --config-file="$work/bus-$provider.conf" -- bash -c "$session_body" session "$provider"
}

status=0
for provider in gnome-keyring none denied; do run_session "$provider" || status=1; done
exit "$status"
