#!/usr/bin/env bash
# The system, notes and shelf tabs and the settings window of the running application under a real X
# server: the clipboard history against the real clipboard (xclip and a password-marked owner), a file
# dragged over the notch (XDND) opening the shelf and copied onto it, the system figures moving under a
# CPU-bound child, the settings window on Control+",", its appearance switch restyling the open panel at
# once, and its notes switch showing the notes tab.
# TAVIMOR_SCREENSHOT_DIR, when set, receives the tabs and the settings window in both appearances.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
app="${1:?usage: test_system_notes_shelf_x11.sh <directory of the tavimor binary>}/tavimor"
probe="$1/tests/system_probe"
source "$here/lib.sh"
require_tools Xvfb xcompmgr xdotool xclip import compare dbus-daemon
export LC_ALL=C.UTF-8
mkdir -p "$HOME/Desktop/Projects"
echo "agenda" >"$HOME/Desktop/readme.txt"
echo "quarterly figures" >"$HOME/report.txt"
desktop 1920x1080

# The probe: one command per line in, one answer per line out.
mkfifo "$work/probe.in"
"$probe" <"$work/probe.in" >"$work/probe.out" 2>"$work/probe.err" &
pids+=($!)
exec 7>"$work/probe.in"
answers() { grep -c . "$work/probe.out" || true; }
answered_more_than() { test "$(answers)" -gt "$1"; }
ask() { # command; prints the answer
  local before; before="$(answers)"
  echo "$1" >&7
  wait_for 5 answered_more_than "$before" || { echo "no answer to $1" >&2; return 1; }
  tail -1 "$work/probe.out"
}
wait_for 10 grep -q ready "$work/probe.out" || { cat "$work/probe.err"; fail "the probe did not start"; }

# The clipboard history against the X clipboard.
copy() { printf '%s' "$1" | xclip -selection clipboard; sleep 0.4; }
copy "first"
check "a copied text is kept" test "$(ask history)" = '["first"]'
ask "secret hunter2" >/dev/null
sleep 0.4
check "a password-marked text is not kept" test "$(ask history)" = '["first"]'
copy "second"
ask history >/dev/null
copy "first"
check "a copy again moves to the top" test "$(ask history)" = '["first","second"]'
ask "copy 1" >/dev/null
check "a click puts an entry back" test "$(xclip -o -selection clipboard)" = second

prefs appearanceMode text '"liquid"'
launch
mode=liquid
crop() { import -window root -crop "$1" "$work/$2.png"; }
differ() { ! compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>/dev/null; }
screenshot() { [ -z "${TAVIMOR_SCREENSHOT_DIR:-}" ] || import -window root -crop "${2:-1000x700+460+0}" "$TAVIMOR_SCREENSHOT_DIR/$mode-$1.png"; }
pref() { grep -A3 "\"$1\"" "$XDG_CONFIG_HOME/Tavimor/preferences.json" | grep -q "\"value\": $2"; } # key, JSON value

# The system figures.
open_panel
click_tab system
crop 230x30+720+105 cpu-idle
cpu_figure_moved() { crop 230x30+720+105 cpu-busy && differ cpu-idle cpu-busy; }
burners=()
for ((i = 0; i < $(nproc); i++)); do (while :; do :; done) & burners+=($!); done
check "the processor figure moves under a CPU-bound child" wait_for 20 cpu_figure_moved
kill "${burners[@]}"
wait "${burners[@]}" 2>/dev/null || true
screenshot system
close_panel

# A file dragged over the notch, dropped on the notch itself, then dragged out of the shelf.
ask "drag $HOME/report.txt" >/dev/null
sleep 0.5
xdotool mousemove 80 640 mousedown 1
for point in "120 600" "400 400" "800 100" "950 20" "960 12"; do xdotool mousemove $point; sleep 0.2; done
sleep 0.8
xdotool mousemove 962 14
xdotool mouseup 1
sleep 1
check "a file drag opens the shelf and the drop is copied" cmp -s "$HOME/report.txt" "$XDG_DATA_HOME/Tavimor/Shelf/report.txt"
screenshot shelf
xdotool mousemove 960 150; sleep 0.5; xdotool mousemove 780 123 mousedown 1
for point in "790 130" "800 140" "400 400" "100 620" "80 640"; do xdotool mousemove $point; sleep 0.2; done
xdotool mouseup 1
check "a shelf file drags out" wait_for 5 grep -q "dropped file://$XDG_DATA_HOME/Tavimor/Shelf/report.txt" "$work/probe.out"
close_panel

# The settings window: the notes switch, then the appearance switch.
open_panel
crop 200x30+700+38 tabs-before
xdotool key ctrl+comma
check "Control+, opens the settings window" wait_for 5 xdotool search --onlyvisible --name 'Configurações'
settings="$(xdotool search --onlyvisible --name 'Configurações' | head -1)"
eval "$(xdotool getwindowgeometry --shell "$settings")"
screenshot settings-general 540x600+"$X"+"$Y"
notes_switch_at() { # the centre of the notes switch, found by its name
  local tree
  tree="$(shown)" && awk -F'\t' '$1 == "check box" && $2 == "Mostrar a aba de notas" {
    split($3, r, " "); print r[1] + int(r[3] / 2), r[2] + int(r[4] / 2); found = 1; exit } END { exit !found }' <<<"$tree"
}
at="$(notes_switch_at)" || fail "no notes switch in the settings window"
xdotool mousemove ${at% *} ${at#* } click 1
check "the notes switch is stored" wait_for 5 pref tavimor.notesEnabled true
close_panel
open_panel
crop 200x30+700+38 tabs-after
check "enabling notes shows the notes tab" differ tabs-before tabs-after
click_tab notes
screenshot notes
crop 500x220+710+80 liquid-body
xdotool mousemove $((X + 270)) $((Y + 66)) click 1
sleep 0.5
check "the appearance switch is stored" pref tavimor.appearanceMode '"dark"'
open_panel
crop 500x220+710+80 dark-body
check "the open panel restyles at once" differ liquid-body dark-body

mode=dark
screenshot settings-general 540x600+"$X"+"$Y"
for tab in notes system shelf; do click_tab $tab; screenshot $tab; done
echo quit >&7
finish
