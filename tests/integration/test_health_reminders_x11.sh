#!/usr/bin/env bash
# Breaks and reminders of the application on two monitors, with a compositor and (when installed) openbox: the
# break covers each monitor with the EWMH hints, ends by its countdown, and the next one on Escape twice, its
# windows shown again still out of task bars and pagers; the posture and blink reminders appear at the top of
# each monitor, stacked, out of task bars and pagers, and go; the breaks tab shows its texts. Without a compositor,
# over a white root, each reminder is cut to its own outline. Usage: <build dir>.
# TAVIMOR_SCREENSHOT_DIR receives screenshots; TAVIMOR_APPEARANCE picks the appearance (liquid by default).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
app="${1:?usage: test_health_reminders_x11.sh <directory of the tavimor binary>}/tavimor"
source "$here/lib.sh"
require_tools Xvfb xcompmgr xdotool xprop xwininfo xrandr dbus-daemon xsetroot import convert
private_buses
start_x 2560x800 -noreset
split_monitors() { # two monitors side by side on the one X screen
  xrandr >/dev/null 2>&1 || true
  xrandr --setmonitor left 1280/340x800/210+0+0 screen >/dev/null 2>&1 || true
  xrandr --setmonitor right 1280/340x800/210+1280+0 none >/dev/null 2>&1 || true
  [ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ]
}
wait_for 10 split_monitors || fail "could not split the screen into two monitors"
notch_x=640
start_compositor
if command -v openbox >/dev/null; then openbox --sm-disable >/dev/null 2>&1 & pids+=($!); fi
prefs appearanceMode text "\"${TAVIMOR_APPEARANCE:-liquid}\"" breakEnabled bool true breakWorkIntervalMin integer 1 \
  breakDurationSec integer 5 blinkEnabled bool true blinkIntervalMin integer 1 postureEnabled bool true \
  postureIntervalMin integer 1
launch

# "x,y,w,h" of every mapped window with the title, sorted.
mapped() {
  local id
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
      /Width:/ {w=$2} /Height:/ {h=$2} END {print x "," y "," w "," h}'
  done | sort -t, -k1,1n -k2,2n | paste -sd' '
}
overlays() { mapped 'Tavimor .+ pausa'; }
skipped_by_task_lists() { # title pattern: every mapped window with it is left out of task bars and pagers
  local id hints
  for id in $(xdotool search --onlyvisible --name "^$1\$"); do
    hints="$(xprop -id "$id" _NET_WM_STATE)"
    grep -q _NET_WM_STATE_SKIP_TASKBAR <<<"$hints" && grep -q _NET_WM_STATE_SKIP_PAGER <<<"$hints" ||
      { echo "window $id: $hints"; return 1; }
  done
}
panels() { mapped 'Tavimor .+ lembrete'; }
is() { [ "$("$1")" = "$2" ]; } # is <function> <expected output>

# First break: one minute after the start, covering each monitor, ended by its 5 s countdown.
wait_for 75 not_ is overlays "" || fail "no break within 75 s"
check "the break covers each monitor: $(overlays)" wait_for 2 is overlays "0,0,1280,800 1280,0,1280,800"
for id in $(xdotool search --onlyvisible --name '^Tavimor .+ pausa$'); do
  hints="$(xprop -id "$id" _NET_WM_STATE _NET_WM_DESKTOP)"
  # Sticky is the state or, where the window manager keeps it as the desktop (openbox), desktop "all".
  for hint in STATE_ABOVE STATE_SKIP_TASKBAR STATE_SKIP_PAGER STATE_FULLSCREEN 'STATE_STICKY|4294967295'; do
    check "break window $id has $hint: $hints" grep -Eq "$hint" <<<"$hints"
  done
done

# The reminders fall due with the break: posture at the top of each monitor (36 px lower on the one with
# the notch), blink 132 + 12 px below it.
check "posture and blink panels at the top of each monitor, blink stacked below posture: $(panels)" \
  wait_for 3 is panels "604,60,72,132 612,204,56,56 1884,24,72,132 1892,168,56,56"
shot reminders
check "the reminder panels stay out of task bars and pagers" skipped_by_task_lists 'Tavimor .+ lembrete'
for id in $(xdotool search --onlyvisible --name '^Tavimor .+ lembrete$'); do
  check "reminder panel $id takes no focus" eval "xprop -id $id WM_HINTS | grep -q 'Client accepts input or input focus: False'"
done
check "the reminder panels go after their show" wait_for 3 is panels ""
shot break
check "the countdown ends the break on its own" wait_for 8 is overlays ""
open_panel
absent_tabs=(notes)
click_tab break
for text in "Próxima pausa" "1min de trabalho" "5s de pausa" "Pausar agora"; do
  check "the break tab shows \"$text\"" wait_for 3 shows_text "$text"
done
counts_seconds() { local texts; texts="$(texts_shown)" && grep -Eqx '[0-9]+s' <<<"$texts"; }
check "the break tab counts the seconds to the next break" counts_seconds
shot tab
# "Pausar agora" starts a break right under the pointer, which goes away while the break runs: once the break
# is over the panel is closed, not left open until the pointer passes over it again.
panel_open() { python3 "$here/xshape.py" "$(xdotool search --onlyvisible --name '^Tavimor$' | head -1)" input "$((notch_x - 200))" 150; }
check "the panel is open on the break tab" wait_for 2 panel_open
xdotool mousemove "$((notch_x - 184))" 184 click 1
check "the break starts from its tab" wait_for 3 not_ is overlays ""
sleep 1 # past the close delay: the pointer has not left the panel's zone yet
xdotool mousemove "$notch_x" 700
check "the break ends by its countdown" wait_for 8 is overlays ""
check "the panel is closed after the break" wait_for 2 not_ panel_open
close_panel

# Second break: a minute after the first ended; Escape once keeps it, twice ends it.
wait_for 70 not_ is overlays "" || fail "no second break"
sleep 0.5
check "the break's windows shown again stay out of task bars and pagers" skipped_by_task_lists 'Tavimor .+ pausa'
xdotool key Escape
sleep 0.3
check "one Escape keeps the break" not_ is overlays ""
xdotool key Escape
check "Escape twice ends the break" wait_for 2 is overlays ""

# Without a compositor the reminders are cut to their outlines: the posture panel to the column its arrow flies
# along (x 18–53, rows 4–127 of its 72 x 132), the blink panel to its disc (34 across, centred in its 56 x 56).
# Their windows' corners show the white root, their middles are drawn.
kill "$app_pid" "$compositor_pid"
wait "$app_pid" 2>/dev/null || true
xsetroot -solid white
prefs appearanceMode text "\"${TAVIMOR_APPEARANCE:-liquid}\"" blinkEnabled bool true blinkIntervalMin integer 1 \
  postureEnabled bool true postureIntervalMin integer 1
launch
wait_for 75 not_ is panels "" || fail "no reminder within 75 s without a compositor"
sleep 0.3 # their first frame
import -window root "$work/white.png"
shot reminders-no-compositor
white_at() { convert "$work/white.png" -crop "1x1+$1+$2" txt:- 2>/dev/null | grep -qi '#FFFFFF'; }
check "over white, the reminders' corners stay white: posture at 604,60, blink at 612,204" \
  eval 'white_at 604 60 && white_at 675 191 && white_at 612 204 && white_at 622 214 && not_ white_at 640 232'
for id in $(xdotool search --name '^Tavimor .+ lembrete$'); do
  size="$(xwininfo -id "$id" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')"
  w="${size%x*}" h="${size#*x}"
  shape_at() { python3 "$here/xshape.py" "$id" bounding "$1" "$2"; }
  check "reminder $id (${size}) is cut to its outline" \
    eval 'shape_at $((w / 2)) $((h / 2)) && not_ shape_at 0 0 && not_ shape_at 10 10 && not_ shape_at $((w - 1)) $((h - 1))'
done
finish
