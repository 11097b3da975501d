#!/usr/bin/env bash
# Breaks and reminders of the application on two monitors, with a compositor and (when installed) openbox: the
# break covers each monitor with the EWMH hints, ends by its countdown, and the next one on Escape twice; the
# posture and blink reminders appear at the top of each monitor, stacked, and go. Usage: <build dir>.
# TAVIMOR_SCREENSHOT_DIR receives screenshots; TAVIMOR_APPEARANCE picks the appearance (liquid by default).
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
check() { # seconds, message, command...: passes when the command succeeds within the time
  local seconds="$1" message="$2"; shift 2
  wait_for "$seconds" "$@" && pass "$message" || fail "$message (found: $("$2"))"
}
wait_for() { # seconds, command...
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_RUNTIME_DIR="$work/run"
export QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Tavimor" "$XDG_STATE_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
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

split_monitors() { # two monitors side by side on the one X screen
  xrandr >/dev/null 2>&1 || true
  xrandr --setmonitor left 1280/340x800/210+0+0 screen >/dev/null 2>&1 || true
  xrandr --setmonitor right 1280/340x800/210+1280+0 none >/dev/null 2>&1 || true
  [ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ]
}
wait_for 10 split_monitors || { echo "could not split the screen into two monitors"; exit 1; }
xcompmgr >/dev/null 2>&1 &
pids+=($!)
window_manager="none (hints read back only)"
if command -v openbox >/dev/null; then
  openbox --sm-disable >/dev/null 2>&1 & pids+=($!) window_manager=openbox
fi
sleep 0.5

entry() { echo "\"tavimor.$1\": {\"type\": \"$2\", \"value\": $3}"; }
cat >"$XDG_CONFIG_HOME/Tavimor/preferences.json" <<JSON
{"format": "tavimor-preferences", "version": 1, "values": {$(entry onboarding.completed bool true),
  $(entry appearanceMode text "\"${TAVIMOR_APPEARANCE:-liquid}\""), $(entry breakEnabled bool true),
  $(entry breakWorkIntervalMin integer 1), $(entry breakDurationSec integer 5), $(entry blinkEnabled bool true),
  $(entry blinkIntervalMin integer 1), $(entry postureEnabled bool true), $(entry postureIntervalMin integer 1)}}
JSON

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
check 2 "the break covers each monitor" is overlays "0,0,1280,800 1280,0,1280,800"
for id in $(xdotool search --onlyvisible --name '^Tavimor .+ pausa$'); do
  hints="$(xprop -id "$id" _NET_WM_STATE _NET_WM_DESKTOP)"
  # Sticky is the state or, where the window manager keeps it as the desktop (openbox), desktop "all".
  for hint in STATE_ABOVE STATE_SKIP_TASKBAR STATE_SKIP_PAGER STATE_FULLSCREEN 'STATE_STICKY|4294967295'; do
    grep -Eq "$hint" <<<"$hints" || fail "break window $id lacks $hint: $hints"
  done
done
[ "$failures" -eq 0 ] && pass "break windows: above, sticky, skip taskbar and pager, full screen, every desktop"

# The reminders fall due with the break: posture at the top of each monitor (36 px lower on the one with
# the notch), blink 132 + 12 px below it.
check 3 "posture and blink panels at the top of each monitor, blink stacked below posture" \
  is panels "604,60,72,132 612,204,56,56 1884,24,72,132 1892,168,56,56"
shot reminders
for id in $(xdotool search --onlyvisible --name '^Tavimor .+ lembrete$'); do
  xprop -id "$id" WM_HINTS | grep -q 'Client accepts input or input focus: False' ||
    fail "reminder panel $id accepts the focus"
done
check 3 "the reminder panels go after their show" is panels ""
shot break
check 8 "the countdown ends the break on its own" is overlays ""
xdotool mousemove 640 5 && sleep 1 && shot tab # the open panel shows the break tab
xdotool mousemove 640 700

# Second break: a minute after the first ended; Escape once keeps it, twice ends it.
wait_for 70 isnt overlays "" || fail "no second break"
sleep 0.5
xdotool key Escape
sleep 0.3
[ -n "$(overlays)" ] || fail "one Escape ended the break"
xdotool key Escape
check 2 "Escape twice ends the break" is overlays ""

kill -TERM "$app_pid"
wait "$app_pid" 2>/dev/null || true
grep -q 'qrc:/Views' "$work/app.log" && fail "the views reported QML errors or warnings"
if [ "$failures" -ne 0 ]; then
  sed 's/^/  tavimor: /' "$work/app.log"
  exit 1
fi
echo "PASS: breaks and reminders on two monitors"
