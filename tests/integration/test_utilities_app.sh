#!/usr/bin/env bash
# The keep-awake, servers and devices tabs in the running application, under Xvfb with python-dbusmock's logind,
# bluez5 and upower on a private system bus and a real HTTP server child: the keep-awake switch takes a logind
# lock that ends with the application, the servers tab lists the child and its stop button ends it, the
# devices tab lists the mock's paired devices; the keyboard-cleaning lock holds every key back until its unlock
# button, and when it goes the panel beneath looks at the pointer again. TAVIMOR_SCREENSHOT_DIR keeps a screenshot of each tab and of the lock in both appearance modes.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin_dir="${1:?usage: test_utilities_app.sh <directory of the tavimor binary>}"
app="$bin_dir/tavimor"
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { echo "SKIP: python3-dbusmock is not installed"; exit 77; }

# As root, lsof sees every process of the machine: run in a private pid namespace so the servers tab lists only
# this test's processes and no click can reach anyone else's.
if [ -z "${TAVIMOR_PRIVATE_PIDS:-}" ] && [ "$(id -u)" -eq 0 ] && unshare -p -f --mount-proc true 2>/dev/null; then
  export TAVIMOR_PRIVATE_PIDS=1
  exec unshare -p -f --mount-proc bash "$0" "$@"
fi
source "$here/lib.sh"
require_tools Xvfb xcompmgr xdotool xev xprop lsof dbus-send
private_buses
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
  wait_for 10 has_name "$name" || fail "no $name mock"
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
wait_for 10 grep -q 'port' "$work/server.log" || fail "the HTTP server did not start"
start_x 1280x1024
start_compositor

stop_app() {
  kill -TERM "$app_pid"
  wait_for 10 not_ kill -0 "$app_pid" || fail "tavimor still running 10 s after SIGTERM"
  wait "$app_pid" || fail "tavimor exited with an error"
}
# Places in the tabs' bodies, below the tab row.
first_stop_button=(853 138) indefinite_box=(759 177) paired_connect_button=(847 254)
holds_lock() { inhibitors | grep -q 'sleep:idle:Tavimor'; }
holds_no_lock() { [ -z "$(inhibitors)" ]; }
click() { xdotool mousemove "$1" "$2" click 1; sleep 1; }
centre_of() { # role, name; prints the centre of the first object on screen with that role and name
  local tree
  tree="$(shown)" && awk -F'\t' -v role="$1" -v name="$2" '$1 == role && $2 == name {
    split($3, r, " "); print r[1] + int(r[3] / 2), r[2] + int(r[4] / 2); found = 1; exit } END { exit !found }' <<<"$tree"
}
panel_open() { python3 "$here/xshape.py" "$(xdotool search --onlyvisible --name '^Tavimor$' | head -1)" input "$((notch_x - 200))" 150; }
lock_window() { xdotool search --onlyvisible --name '^Tavimor — limpeza do teclado$'; }

# The keyboard lock switched on from the system tab covers the open panel, which then sees no pointer event:
# the pointer goes to the unlock button in the middle of the screen and away, and once the lock is gone the
# panel closes without the pointer passing over it again. The lock stays out of task bars and pagers.
lock_from_the_system_tab() {
  local at hints
  click_tab system
  at="$(centre_of "check box" "Limpar o teclado")" || fail "no keyboard switch on the system tab"
  click $at
  check "the system tab's switch locks the keyboard" wait_for 5 lock_window
  hints="$(xprop -id "$(lock_window | head -1)" _NET_WM_STATE)"
  for hint in SKIP_TASKBAR SKIP_PAGER; do
    check "the lock window has $hint: $hints" grep -q "_NET_WM_STATE_$hint" <<<"$hints"
  done
  sleep 0.5 # past the close delay: the pointer had not left the panel's zone when the lock came
  at="$(centre_of "push button" "Desbloquear Teclado")" || fail "no unlock button on the lock"
  click $at
  check "the unlock button ends the lock" wait_for 5 not_ lock_window
  xdotool mousemove "$notch_x" 900
  check "the panel closes once the lock has gone and the pointer is away" wait_for 2 not_ panel_open
}

for mode in liquid dark; do
  prefs appearanceMode text "\"$mode\""
  launch
  open_panel
  shot "devices-$mode"
  click_tab servers
  shot "servers-$mode"
  click_tab caffeinate
  shot "caffeinate-$mode"
  check "$mode: no lock is held before keep-awake is switched on" holds_no_lock
  [ "$mode" = dark ] || { lock_from_the_system_tab; stop_app; continue; }

  click "${indefinite_box[@]}"
  check "keep-awake takes a logind lock" wait_for 5 holds_lock
  click_tab devices
  click "${paired_connect_button[@]}"
  check "the connect button reaches BlueZ" wait_for 5 grep -q 'Connect' "$work/bluez5.log"
  shot "devices-connected-$mode"

  click_tab servers
  # The first row must be this test's server, else the click would stop another program.
  listening="$(lsof -iTCP -sTCP:LISTEN -P -n -F p 2>/dev/null | sort -u)"
  if [ "$listening" = "p$server_pid" ]; then
    click "${first_stop_button[@]}"
    check "the stop button ends the server" wait_for 5 not_ kill -0 "$server_pid"
    shot "servers-stopped-$mode"
  else
    echo "NOTE: other programs listen here; the stop button is not clicked"
  fi
  stop_app
  check "the keep-awake lock ends with the application" wait_for 5 holds_no_lock
done

# The keyboard-cleaning lock: keys typed into another client's window reach nothing until the unlock button.
harness="$bin_dir/tests/keyboard_lock_harness"
xev -geometry 200x100+10+600 -event keyboard >"$work/xev.out" 2>&1 &
pids+=("$!")
wait_for 5 xdotool search --name 'Event Tester' || fail "no xev window"
target="$(xdotool search --name 'Event Tester' | head -n1)"
typed_count() { grep -c '^KeyPress' "$work/xev.out" || true; }
for mode in liquid dark; do
  prefs appearanceMode text "\"$mode\""
  "$harness" >"$work/harness.out" 2>&1 &
  pids+=("$!")
  wait_for 10 grep -q '^button' "$work/harness.out" || fail "the lock did not come up"
  check "$mode: the lock does not end by itself" not_ grep -q unlocked "$work/harness.out"
  # XTEST key presses, as a user would type, into the focused xev window.
  xdotool windowfocus "$target" 2>/dev/null || true
  before="$(typed_count)"
  xdotool type --delay 20 "secret"
  sleep 0.5
  check "$mode: no key reaches another window while locked" test "$(typed_count)" -eq "$before"
  shot "keyboard-lock-$mode"
  read -r _ x y < <(grep '^button' "$work/harness.out")
  xdotool mousemove "$x" "$y" click 1
  check "$mode: the unlock button ends the lock" wait_for 5 grep -q unlocked "$work/harness.out"
  xdotool windowfocus --sync "$target"
  xdotool type --delay 20 "abc"
  sleep 0.5
  check "$mode: keys arrive after unlocking" test "$(typed_count)" -gt "$before"
done
finish
