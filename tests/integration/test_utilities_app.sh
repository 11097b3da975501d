#!/usr/bin/env bash
# The keep-awake, servers and devices tabs in the running application, under Xvfb with python-dbusmock's logind,
# bluez5 and upower on a private system bus and a real HTTP server child: the keep-awake switch takes a logind
# lock that ends with the application, the servers tab lists the child and its stop button ends it, the
# devices tab lists the mock's paired devices; the keyboard-cleaning lock holds every key back until its unlock
# button. TAVIMOR_SCREENSHOTS=<dir> keeps a screenshot of each tab and of the lock in both appearance modes.
set -euo pipefail

bin_dir="${1:?usage: test_utilities_app.sh <directory of the tavimor binary>}"
app="$bin_dir/tavimor"
[ -x "$app" ] || { echo "FAIL: no tavimor binary in $bin_dir"; exit 1; }
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { echo "SKIP: python3-dbusmock is not installed"; exit 0; }

# As root, lsof sees every process of the machine: run in a private pid namespace so the servers tab lists only
# this test's processes and no click can reach anyone else's.
if [ -z "${TAVIMOR_PRIVATE_PIDS:-}" ] && [ "$(id -u)" -eq 0 ] && unshare -p -f --mount-proc true 2>/dev/null; then
  export TAVIMOR_PRIVATE_PIDS=1
  exec unshare -p -f --mount-proc bash "$0" "$@"
fi

if [ -z "${TAVIMOR_PRIVATE_SESSION:-}" ]; then
  export TAVIMOR_PRIVATE_SESSION=1
  exec dbus-run-session -- bash "$0" "$@"
fi

work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work" 2>/dev/null || true
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  [ -f "$work/app.log" ] && sed 's/^/  tavimor: /' "$work/app.log"
  exit 1
}
wait_for() {
  local tries="$1"; shift
  for _ in $(seq "$tries"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
export XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Tavimor" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

dbus-daemon --session --fork --print-address=1 --print-pid=3 >"$work/system-bus" 3>"$work/system-bus.pid"
pids+=("$(cat "$work/system-bus.pid")")
export DBUS_SYSTEM_BUS_ADDRESS="$(head -n1 "$work/system-bus")"
case "$DBUS_SESSION_BUS_ADDRESS$DBUS_SYSTEM_BUS_ADDRESS" in
  *"/run/dbus/system_bus_socket"*) fail "refusing to run on the real system bus" ;;
esac

for template in logind bluez5 upower; do
  /usr/bin/python3 -m dbusmock --system --template "$template" >"$work/$template.log" 2>&1 &
  pids+=("$!")
done
mock() { /usr/bin/python3 - "$@" <<PY
import os, sys, dbus
bus = dbus.bus.BusConnection(os.environ['DBUS_SYSTEM_BUS_ADDRESS'])
$(cat)
PY
}
has_name() { dbus-send --bus="$DBUS_SYSTEM_BUS_ADDRESS" --print-reply --dest=org.freedesktop.DBus / \
  org.freedesktop.DBus.NameHasOwner "string:$1" | grep -q true; }
for name in org.freedesktop.login1 org.bluez org.freedesktop.UPower; do
  wait_for 100 has_name "$name" || fail "no $name mock"
done
mock <<'PY'
m = dbus.Interface(bus.get_object('org.bluez', '/'), 'org.bluez.Mock')
m.AddAdapter('hci0', 'desk')
for address, name, level, icon in (('11:22:33:44:55:66', 'WH-1000XM4', 64, 'audio-headset'),
                                   ('11:22:33:44:55:77', 'MX Keys', 12, 'input-keyboard')):
    m.AddDevice('hci0', address, name)
    m.PairDevice('hci0', address, 0x240404)
    path = '/org/bluez/hci0/dev_' + address.replace(':', '_')
    o = bus.get_object('org.bluez', path)
    o.Set('org.bluez.Device1', 'Icon', icon, dbus_interface='org.freedesktop.DBus.Properties')
    o.AddProperties('org.bluez.Battery1', {'Percentage': dbus.Byte(level)}, dbus_interface='org.freedesktop.DBus.Mock')
m.ConnectDevice('hci0', '11:22:33:44:55:66')
u = dbus.Interface(bus.get_object('org.freedesktop.UPower', '/org/freedesktop/UPower'), 'org.freedesktop.DBus.Mock')
u.SetupDisplayDevice(2, 2, 81.0, 40.0, 50.0, 2.5, 3600, 0, True, 'battery', 1)
PY
inhibitors() {
  mock <<'PY'
m = dbus.Interface(bus.get_object('org.freedesktop.login1', '/org/freedesktop/login1'), 'org.freedesktop.login1.Manager')
print(' '.join(str(i[0]) + ':' + str(i[1]) for i in m.ListInhibitors()))
PY
}

# The development server the servers tab should find.
mkdir -p "$work/project"
echo '{"name": "vitrine-web"}' >"$work/project/package.json"
(cd "$work/project" && exec /usr/bin/python3 -u -m http.server 0 --bind 127.0.0.1) >"$work/server.log" 2>&1 &
server_pid=$!
pids+=("$server_pid")
wait_for 100 grep -q 'port' "$work/server.log" || fail "the HTTP server did not start"

Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
pids+=("$!")
wait_for 100 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
xcompmgr >/dev/null 2>&1 &
pids+=("$!")

start_app() {
  printf '{"format": "tavimor-preferences", "version": 1, "values": {
    "tavimor.appearanceMode": {"type": "text", "value": "%s"},
    "tavimor.onboarding.completed": {"type": "bool", "value": true}}}\n' "$1" \
    >"$XDG_CONFIG_HOME/Tavimor/preferences.json"
  "$app" >>"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
  wait_for 150 test -n "$(xdotool search --name '^Tavimor$' 2>/dev/null)" || true
  sleep 1.5
}
stop_app() {
  kill -TERM "$app_pid"
  for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "tavimor still running 10 s after SIGTERM"
  wait "$app_pid" || fail "tavimor exited with an error"
}
open_panel() { xdotool mousemove 640 4; sleep 0.3; xdotool mousemove 640 20; sleep 1; }
shot() { [ -n "${TAVIMOR_SCREENSHOTS:-}" ] && mkdir -p "$TAVIMOR_SCREENSHOTS" && import -window root "$TAVIMOR_SCREENSHOTS/$1.png" || true; }

# Panel geometry on a 1280x1024 screen without a notch: tab icons on the bar's row, cards below it.
devices_tab=(412 53) servers_tab=(783 53) caffeinate_tab=(811 53)
first_stop_button=(853 138) indefinite_box=(759 177) paired_connect_button=(847 254)
holds_lock() { inhibitors | grep -q 'sleep:idle:Tavimor'; }
holds_no_lock() { [ -z "$(inhibitors)" ]; }
click() { xdotool mousemove "$1" "$2" click 1; sleep 1; }

for mode in liquid dark; do
  start_app "$mode"
  open_panel
  shot "devices-$mode"
  click "${servers_tab[@]}"
  shot "servers-$mode"
  click "${caffeinate_tab[@]}"
  shot "caffeinate-$mode"
  [ -z "$(inhibitors)" ] || fail "a lock is held before keep-awake was switched on"
  [ "$mode" = dark ] || { stop_app; continue; }

  click "${indefinite_box[@]}"
  wait_for 50 holds_lock || fail "keep-awake took no logind lock"
  shot "caffeinate-active-$mode"

  click "${devices_tab[@]}"
  click "${paired_connect_button[@]}"
  wait_for 50 grep -q 'Connect' "$work/bluez5.log" || fail "the connect button did not reach BlueZ"
  sleep 2
  shot "devices-connected-$mode"

  click "${servers_tab[@]}"
  # The first row must be this test's server, else the click would stop another program.
  listening="$(lsof -iTCP -sTCP:LISTEN -P -n -F p 2>/dev/null | sort -u)"
  if [ "$listening" = "p$server_pid" ]; then
    click "${first_stop_button[@]}"
    wait_for 50 bash -c "! kill -0 $server_pid" || fail "the stop button did not end the server"
    sleep 1.5
    shot "servers-stopped-$mode"
  else
    echo "NOTE: other programs listen here; the stop button is not clicked"
  fi

  stop_app
  wait_for 50 holds_no_lock || fail "the keep-awake lock outlived the application"
done
# The keyboard-cleaning lock: keys typed into another client's window reach nothing until the unlock button.
harness="$bin_dir/tests/keyboard_lock_harness"
[ -x "$harness" ] || fail "no keyboard_lock_harness"
# Another client's window that prints every key it receives.
xev -geometry 200x100+10+600 -event keyboard >"$work/xev.out" 2>&1 &
pids+=("$!")
has_xev() { [ -n "$(xdotool search --name 'Event Tester' 2>/dev/null)" ]; }
wait_for 50 has_xev || fail "no xev window"
target="$(xdotool search --name 'Event Tester' | head -n1)"
typed_count() { grep -c '^KeyPress' "$work/xev.out" || true; }

for mode in liquid dark; do
  printf '{"format": "tavimor-preferences", "version": 1, "values": {
    "tavimor.appearanceMode": {"type": "text", "value": "%s"}}}\n' "$mode" >"$XDG_CONFIG_HOME/Tavimor/preferences.json"
  "$harness" >"$work/harness.out" 2>&1 &
  pids+=("$!")
  wait_for 100 grep -q '^button' "$work/harness.out" || fail "the lock did not come up"
  grep -q unlocked "$work/harness.out" && fail "the lock ended by itself"

  # XTEST key presses, as a user would type, into the focused xev window.
  xdotool windowfocus "$target" 2>/dev/null || true
  before="$(typed_count)"
  xdotool type --delay 20 "secret"
  sleep 0.5
  [ "$(typed_count)" -eq "$before" ] || fail "keys reached another window while locked"

  shot "keyboard-lock-$mode"
  read -r _ x y < <(grep '^button' "$work/harness.out")
  xdotool mousemove "$x" "$y" click 1
  wait_for 50 grep -q unlocked "$work/harness.out" || fail "the unlock button did not end the lock"

  xdotool windowfocus --sync "$target"
  xdotool type --delay 20 "abc"
  sleep 0.5
  [ "$(typed_count)" -gt "$before" ] || fail "keys did not arrive after unlocking"
done
echo "PASS: keep-awake lock taken and released at exit, server listed and stopped, devices listed and" \
  "connected, keys blocked by the keyboard lock until its unlock button"
