#!/usr/bin/env bash
# The application's notch panel under a real X server: the input shape follows the open state, the pointer
# opens it on the notch and closes it after the delay, clicks beside the outline reach the window beneath, the
# close button shrinks the input shape back, and without a compositor the window is cut to its outline, also
# when the compositor stops or starts while the panel runs.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
app="${1:?usage: test_panel_x11.sh <directory of the tavimor binary>}/tavimor"
for tool in Xvfb xcompmgr xdotool xev python3 dbus-daemon import; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
source "$here/lib.sh"
private_buses
onboarding_done

failures=0
check() { # description, then the command that must succeed
  local what="$1"; shift
  "$@" || { echo "FAIL: $what"; failures=$((failures + 1)); }
}
start_compositor() { xcompmgr 2>/dev/null & compositor_pid=$!; pids+=($!); sleep 0.3; }
stop_compositor() { kill "$compositor_pid"; wait "$compositor_pid" 2>/dev/null || true; }
panel_window() { xdotool search --onlyvisible --name '^Tavimor$' 2>/dev/null | head -1 | grep .; }
start_panel() {
  "$app" >>"$work/panel.log" 2>&1 &
  pids+=($!)
  wait_for 10 panel_window && sleep 0.3 && wait_for 5 panel_window || { cat "$work/panel.log"; echo "FAIL: no panel window"; exit 1; }
  window="$(panel_window)"
}
input_at() { python3 "$here/xshape.py" "$window" input "$1" "$2"; }
bounding_at() { python3 "$here/xshape.py" "$window" bounding "$1" "$2"; }
not_() { ! "$@"; }
# The band beside the outline shows the white window beneath, not black.
beneath_shows_through() { import -window root -crop 1x1+300+100 txt:- 2>/dev/null | grep -qi '#FFFFFF'; }
cut_to_outline() { bounding_at 960 10 && not_ bounding_at 300 100; }
degraded_lines() { cat "$log" 2>/dev/null | grep -c "indisponível.*compositing" || true; }
degraded_lines_are() { test "$(degraded_lines)" -eq "$1"; }
clicks() { grep -c ButtonPress "$work/clicks.log" || true; }
clicks_are() { test "$(clicks)" -eq "$1"; }

# The screen is 1920 wide: the notch is (860, 0, 200, 32) and the hover zone (836, -12, 248, 56).
start_x 1920x1080
start_compositor
xev -geometry 1920x1080+0+0 -event button >"$work/clicks.log" 2>&1 & # beneath the panel, logs its clicks
pids+=($!)
wait_for 5 xdotool search --name '^Event Tester$' || { echo "FAIL: xev did not start"; exit 1; }
start_panel
check "profile line" grep -q "Tavimor notch profile: .*, width=200.0, height=32.0, drop=6.0" "$work/panel.log"
check "closed: the hover zone takes input" eval 'input_at 836 0 && input_at 1083 43'
check "closed: nothing else of the band takes input" \
  eval 'not_ input_at 835 0 && not_ input_at 1084 10 && not_ input_at 960 44 && not_ input_at 300 100'
xdotool mousemove 300 100 click 1
check "closed: a click beside the outline reaches the window beneath" wait_for 2 clicks_are 1

xdotool mousemove 960 20
check "the pointer on the notch opens: the whole band takes input" wait_for 2 input_at 300 100
sleep 0.6
xdotool mousemove 700 250 click 1
sleep 0.3
check "open: the band takes clicks" clicks_are 1
xdotool mousemove 100 700
sleep 0.15
check "still open 0.15 s after leaving" input_at 300 100
check "closed after the delay, input shape back to the notch" wait_for 2 not_ input_at 300 100
xdotool mousemove 960 20
sleep 0.3
xdotool mousemove 1000 150
sleep 0.6
check "moving inside the keep-open zone keeps it open" input_at 300 100
xdotool mousemove 1189 51 click 1 # the close button, at the right end of the 520-wide panel's tab bar
check "the close button closes at once and shrinks the input shape" wait_for 1 not_ input_at 300 100

stop_compositor
check "compositor stopped: cut to the outline, no black band" eval 'wait_for 3 cut_to_outline && wait_for 2 beneath_shows_through'
check "compositor stopped: one degraded entry" wait_for 3 degraded_lines_are 1
start_compositor
check "compositor back: see-through band, input on the hover zone" \
  eval 'wait_for 3 bounding_at 300 100 && input_at 836 0 && not_ input_at 300 100 && beneath_shows_through'
stop_from 2

start_x 1920x1080 # without a compositor
lines_before="$(degraded_lines)" # the compositor may have stopped before the application did
start_panel
check "no compositor: the window is cut to its outline" cut_to_outline
check "no compositor: recorded as degraded" wait_for 3 degraded_lines_are $((lines_before + 1))
xdotool mousemove 960 10
sleep 0.2
xdotool mousemove 962 12
check "no compositor: the pointer opens the panel" wait_for 5 bounding_at 960 200
start_compositor
check "compositor started later: the open band is whole" eval 'wait_for 3 bounding_at 300 200 && input_at 300 200'

[ "$failures" -eq 0 ] || { echo "--- panel output"; cat "$work/panel.log"; exit 1; }
