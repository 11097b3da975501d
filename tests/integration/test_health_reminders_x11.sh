#!/usr/bin/env bash
# The health reminders of the application under a real X server with a compositor, a small EWMH window
# manager (when installed) and two monitors: with breaks on and a 1-minute work interval, the break covers
# each monitor with a window that carries the above, sticky, skip-taskbar and full-screen hints and ends by its
# countdown; the next break ends on Escape pressed twice; the posture and blink reminders appear at the top of
# each monitor, blink stacked below posture, and go away after their show.
#
# Usage: test_health_reminders_x11.sh <directory of the tavimor binary>
# TAVIMOR_SCREENSHOT_DIR, when set, receives screenshots of the break and of the reminder panels;
# TAVIMOR_APPEARANCE picks the appearance mode (liquid by default).
set -euo pipefail

build_dir="${TAVIMOR_BUILD_DIR:-$1}"
app="$build_dir/tavimor"
for tool in Xvfb xcompmgr xdotool xprop xwininfo xrandr dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work="$(mktemp -d)"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
wait_for() { # seconds, command...
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Tavimor" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
for bus in session system; do
  dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/$bus.pid" >"$work/$bus.address"
  pids+=("$(cat "$work/$bus.pid")")
done
export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$work/session.address")"
export DBUS_SYSTEM_BUS_ADDRESS="$(head -1 "$work/system.address")"
case "$DBUS_SESSION_BUS_ADDRESS$DBUS_SYSTEM_BUS_ADDRESS" in
  *"/run/dbus/system_bus_socket"* | "") echo "refusing to run on the machine's buses"; exit 1 ;;
esac

exec 5>"$work/display"
Xvfb -displayfd 5 -noreset -screen 0 2560x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
wait_for 10 test -s "$work/display" || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"

# Two monitors side by side on the one X screen.
split_monitors() {
  xrandr >/dev/null 2>&1 || true
  xrandr --setmonitor left 1280/340x800/210+0+0 screen >/dev/null 2>&1 || true
  xrandr --setmonitor right 1280/340x800/210+1280+0 none >/dev/null 2>&1 || true
  [ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ]
}
wait_for 10 split_monitors || { echo "could not split the screen into two monitors"; exit 1; }
xcompmgr >/dev/null 2>&1 &
pids+=($!)
if command -v openbox >/dev/null; then
  openbox --sm-disable >/dev/null 2>&1 &
  pids+=($!)
  window_manager=openbox
else
  window_manager="none (hints read back only)"
fi
sleep 0.5

python3 - "$XDG_CONFIG_HOME/Tavimor/preferences.json" "${TAVIMOR_APPEARANCE:-liquid}" <<'PY'
import json, sys
values = {"tavimor.onboarding.completed": True, "tavimor.appearanceMode": sys.argv[2],
          "tavimor.breakEnabled": True, "tavimor.breakWorkIntervalMin": 1, "tavimor.breakDurationSec": 5,
          "tavimor.blinkEnabled": True, "tavimor.blinkIntervalMin": 1, "tavimor.blinkPosition": "top",
          "tavimor.postureEnabled": True, "tavimor.postureIntervalMin": 1, "tavimor.posturePosition": "top"}
typed = {k: {"type": "bool" if isinstance(v, bool) else "integer" if isinstance(v, int) else "text", "value": v}
         for k, v in values.items()}
json.dump({"format": "tavimor-preferences", "version": 1, "values": typed}, open(sys.argv[1], "w"))
PY

"$app" >"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
echo "window manager: $window_manager"

# "x,y,w,h" of every mapped window with the title, sorted.
mapped() {
  local id
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
      /Width:/ {w=$2} /Height:/ {h=$2} END {print x "," y "," w "," h}'
  done | sort -t, -k1,1n -k2,2n | paste -sd' '
}
overlays() { mapped 'Tavimor .+ pausa'; }
panels() { mapped 'Tavimor .+ lembrete'; }
is() { [ "$("$1")" = "$2" ]; } # is <function> <expected output>
isnt() { ! is "$@"; }
shot() { [ -n "${TAVIMOR_SCREENSHOT_DIR:-}" ] && import -window root "$TAVIMOR_SCREENSHOT_DIR/$1.png" || true; }

# First break: one minute after the start, covering each monitor, ended by its 5 s countdown.
wait_for 75 isnt overlays "" || fail "no break within 75 s"
wait_for 2 is overlays "0,0,1280,800 1280,0,1280,800" || true
[ "$(overlays)" = "0,0,1280,800 1280,0,1280,800" ] && pass "the break covers each monitor" ||
  fail "break windows at: $(overlays)"
for id in $(xdotool search --onlyvisible --name '^Tavimor .+ pausa$'); do
  states="$(xprop -id "$id" _NET_WM_STATE)"
  missing=""
  for state in ABOVE SKIP_TASKBAR SKIP_PAGER FULLSCREEN; do
    grep -q "_NET_WM_STATE_$state" <<<"$states" || missing="$missing $state"
  done
  [ -z "$missing" ] || fail "break window $id lacks$missing ($states)"
  # Sticky: the state, or (for window managers that keep stickiness as the desktop, such as openbox) the
  # desktop "all".
  grep -q _NET_WM_STATE_STICKY <<<"$states" || xprop -id "$id" _NET_WM_DESKTOP | grep -q '4294967295' ||
    fail "break window $id is not on every desktop"
done
[ "$failures" -eq 0 ] && pass "break windows: above, sticky, skip taskbar and pager, full screen, every desktop"

# The reminders fall due with the break: posture at the top of each monitor (36 px lower on the one with
# the notch), blink 132 + 12 px below it.
wait_for 3 is panels "604,60,72,132 612,204,56,56 1884,24,72,132 1892,168,56,56" &&
  pass "posture and blink panels at the top of each monitor, blink stacked below posture" ||
  fail "reminder panels at: $(panels)"
shot reminders
for id in $(xdotool search --onlyvisible --name '^Tavimor .+ lembrete$'); do
  xprop -id "$id" WM_HINTS | grep -q 'Client accepts input or input focus: False' ||
    fail "reminder panel $id accepts the focus"
done
wait_for 3 is panels "" && pass "the reminder panels go after their show" || fail "panels stayed: $(panels)"
shot break
wait_for 8 is overlays "" && pass "the countdown ends the break on its own" || fail "the break did not end"

# Second break: a minute after the first ended; Escape once keeps it, twice ends it.
wait_for 70 isnt overlays "" || fail "no second break"
sleep 0.5
xdotool key Escape
sleep 0.3
[ -n "$(overlays)" ] || fail "one Escape ended the break"
xdotool key Escape
wait_for 2 is overlays "" && pass "Escape twice ends the break" || fail "Escape twice left: $(overlays)"

kill -TERM "$app_pid"
wait "$app_pid" 2>/dev/null || true
if [ "$failures" -ne 0 ]; then
  sed 's/^/  tavimor: /' "$work/app.log"
  exit 1
fi
echo "PASS: breaks and reminders on two monitors"
