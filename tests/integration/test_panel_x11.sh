#!/usr/bin/env bash
# The notch panel under a real X server: its input shape follows the open state, the pointer opens it near
# the notch and closes it after the delay, clicks away from the outline reach the window beneath, the close
# button shrinks the input region back, and without a compositor the panel is cut to its outline, also when the
# compositor stops or starts while the panel runs.
#
# Usage: test_panel_x11.sh <directory of the tavimor binary>
# TAVIMOR_PANEL_APP=tavimor drives the application itself; the default drives the panel harness with a
# minimal root view (the close-button check needs the harness's known layout).
# TAVIMOR_SCREENSHOT_DIR, when set, receives screenshots of the closed and the open panel.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build_dir="${TAVIMOR_BUILD_DIR:-$1}"
mode="${TAVIMOR_PANEL_APP:-harness}"
for tool in Xvfb xcompmgr xdotool xev python3 dbus-daemon; do
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

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb

start_bus() { # name
  dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/$1.pid" >"$work/$1.address"
  pids+=("$(cat "$work/$1.pid")")
}
start_bus session-bus
start_bus system-bus
export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$work/session-bus.address")"
export DBUS_SYSTEM_BUS_ADDRESS="$(head -1 "$work/system-bus.address")"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

start_x() { # with-compositor
  exec 5>"$work/display"
  Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -s "$work/display" || { echo "Xvfb did not start"; exit 1; }
  export DISPLAY=":$(head -1 "$work/display")"
  [ "$1" = no ] || start_compositor
}

start_compositor() {
  xcompmgr >>"$work/xcompmgr.log" 2>&1 &
  compositor_pid=$!
  pids+=("$compositor_pid")
  sleep 0.3
}

stop_compositor() {
  kill "$compositor_pid"
  wait "$compositor_pid" 2>/dev/null || true
}

stop_x() { # kills everything started since the buses
  for ((i = ${#pids[@]} - 1; i >= 2; i--)); do kill "${pids[i]}" 2>/dev/null || true; wait "${pids[i]}" 2>/dev/null || true; done
  pids=("${pids[@]:0:2}")
}

start_catcher() { # a screen-sized window beneath the panel that logs the clicks it receives
  xev -geometry 1920x1080+0+0 -event button >"$work/clicks.log" 2>&1 &
  pids+=($!)
  wait_for 5 xdotool search --name '^Event Tester$' >/dev/null || { echo "xev did not start"; exit 1; }
}

# The application starts past onboarding, in the appearance mode asked for (TAVIMOR_APPEARANCE).
seed_preferences() {
  mkdir -p "$XDG_CONFIG_HOME/Tavimor"
  cat >"$XDG_CONFIG_HOME/Tavimor/preferences.json" <<JSON
{"format": "tavimor-preferences", "version": 1, "values": {
  "tavimor.onboarding.completed": {"type": "bool", "value": true},
  "tavimor.appearanceMode": {"type": "text", "value": "${TAVIMOR_APPEARANCE:-liquid}"}}}
JSON
}

start_panel() {
  : >"$work/panel.log"
  if [ "$mode" = tavimor ]; then
    seed_preferences
    "$1/tavimor" >"$work/panel.log" 2>&1 &
  else
    "$build_dir/tests/panel_harness" "$here/PanelTestRoot.qml" >"$work/panel.log" 2>&1 &
  fi
  pids+=($!)
  wait_for 10 panel_window >/dev/null || { cat "$work/panel.log"; echo "FAIL: no panel window"; exit 1; }
  sleep 0.3
  wait_for 5 panel_window >/dev/null || { cat "$work/panel.log"; echo "FAIL: the panel window went away"; exit 1; }
  window="$(panel_window)"
}

panel_window() { xdotool search --onlyvisible --name '^Tavimor$' 2>/dev/null | head -1 | grep .; }
input_at() { python3 "$here/xshape.py" "$window" input --at "$1" "$2"; }
bounding_at() { python3 "$here/xshape.py" "$window" bounding --at "$1" "$2"; }
not_() { ! "$@"; }
# The band beside the outline shows the white window beneath, not black.
beneath_shows_through() { import -window root -crop 1x1+300+100 txt:- 2>/dev/null | grep -qi '#FFFFFF'; }
cut_to_outline() { bounding_at 960 10 && not_ bounding_at 300 100; }
degraded_lines() { cat "$XDG_STATE_HOME"/*/tavimor.log 2>/dev/null | grep -c "indisponível.*compositing" || true; }
clicks() { grep -c ButtonPress "$work/clicks.log" || true; }
opened() { grep -c "panel open" "$work/panel.log" || true; }
closed() { grep -c "panel closed" "$work/panel.log" || true; }
screenshot() { [ -z "${TAVIMOR_SCREENSHOT_DIR:-}" ] || import -window root "$TAVIMOR_SCREENSHOT_DIR/${TAVIMOR_APPEARANCE:+$TAVIMOR_APPEARANCE-}$1.png"; }

# The screen is 1920 wide: the notch is (860, 0, 200, 32) and the hover zone (836, -12, 248, 56).
echo "== with a compositor"
start_x yes
start_catcher
start_panel "$1"
grep -q "Tavimor notch profile: .*, width=200.0, height=32.0, drop=6.0" "$work/panel.log" \
  && pass "profile line" || fail "profile line: $(head -3 "$work/panel.log")"

input_at 836 0 && input_at 1083 43 && pass "closed: the hover zone takes input" || fail "hover zone not in the input shape"
not_ input_at 835 0 && { [ "$mode" = tavimor ] || not_ input_at 1084 10; } && not_ input_at 960 44 && not_ input_at 300 100 \
  && pass "closed: nothing else of the band takes input" || fail "closed input shape too large: $(python3 "$here/xshape.py" "$window")"
screenshot closed

xdotool mousemove 300 100 click 1
wait_for 2 test "$(clicks)" -ge 1 && pass "closed: a click beside the outline reaches the window beneath" \
  || fail "the click did not reach the window beneath"

xdotool mousemove 960 20
wait_for 2 input_at 300 100 && pass "pointer on the notch opens: the whole band takes input" || fail "did not open"
[ "$mode" = tavimor ] || test "$(opened)" -ge 1 || fail "state did not open"
sleep 0.6
screenshot open
before="$(clicks)"
xdotool mousemove 700 250 click 1
sleep 0.3
test "$(clicks)" = "$before" && pass "open: the band takes clicks" || fail "open: a click went through the band"

xdotool mousemove 100 700
sleep 0.15
{ [ "$mode" = tavimor ] && input_at 300 100 || test "$(closed)" -eq 0; } && pass "still open 0.15 s after leaving" \
  || fail "closed before the delay"
wait_for 2 not_ input_at 300 100 && pass "closed after the delay; input shape back to the notch" || fail "did not close after leaving"
[ "$mode" = tavimor ] || test "$(closed)" -ge 1 || fail "state did not close"

xdotool mousemove 960 20
sleep 0.3
xdotool mousemove 1000 150
sleep 0.6
input_at 300 100 && pass "moving inside the keep-open zone keeps it open" || fail "closed inside the keep-open zone"

# The close button: the harness's root puts it at (1195, 65); the application's sits at the right end of
# the tab bar of the 520-wide panel.
if [ "$mode" = harness ]; then close_button=(1195 65); else close_button=(1189 51); fi
xdotool mousemove "${close_button[@]}" click 1
wait_for 1 not_ input_at 300 100 && pass "close button closes at once and shrinks the input shape" \
  || fail "close button left the band taking input"
[ "$mode" = tavimor ] || test "$(closed)" -ge 2 || fail "close button did not close the state"

stop_compositor
wait_for 3 cut_to_outline && wait_for 2 beneath_shows_through \
  && pass "compositor stopped: the window is cut to its outline, no black band" \
  || fail "compositor stopped: $(python3 "$here/xshape.py" "$window" bounding | head -3)"
wait_for 3 test "$(degraded_lines)" -eq 1 && pass "compositor stopped: one degraded entry" \
  || fail "compositor stopped: $(degraded_lines) degraded entries"
start_compositor
wait_for 3 bounding_at 300 100 && input_at 836 0 && not_ input_at 300 100 && beneath_shows_through \
  && pass "compositor back: see-through band, input on the hover zone" \
  || fail "compositor back: input $(python3 "$here/xshape.py" "$window" | head -3)"
stop_x

echo "== without a compositor"
start_x no
lines_before="$(degraded_lines)" # the compositor may have stopped before the application did
start_panel "$1"
bounding_at 960 10 && not_ bounding_at 300 100 && pass "window cut to the outline" \
  || fail "no bounding shape without a compositor: $(python3 "$here/xshape.py" "$window" bounding)"
wait_for 3 test "$(degraded_lines)" -eq $((lines_before + 1)) \
  && pass "missing compositor recorded as degraded" || fail "degraded entries for the missing compositor: $(degraded_lines)"
xdotool mousemove 960 10
sleep 0.2
xdotool mousemove 962 12
if [ "$mode" = tavimor ]; then
  wait_for 5 bounding_at 960 200 && pass "opens without a compositor" || fail "did not open without a compositor"
else
  wait_for 5 test "$(opened)" -ge 1 && pass "opens without a compositor" || fail "did not open without a compositor"
fi
start_compositor
wait_for 3 bounding_at 300 200 && input_at 300 200 && pass "compositor started later: the open band is whole" \
  || fail "compositor started later: bounding $(python3 "$here/xshape.py" "$window" bounding | head -3)"
stop_x

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"; echo "--- panel output"; cat "$work/panel.log"
  exit 1
fi
echo "all panel checks passed"
