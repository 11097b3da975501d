#!/usr/bin/env bash
# The system, notes and shelf tabs and the settings window of the running application under a real X
# server: the clipboard history against the real clipboard (xclip and a password-marked owner), a file
# dragged over the notch (XDND) opening the shelf and copied onto it, the system figures moving under a
# CPU-bound child, the settings window on Control+",", its appearance switch restyling the open panel at
# once, and its notes switch showing the notes tab.
#
# Usage: test_system_notes_shelf_x11.sh <directory of the tavimor binary>
# TAVIMOR_SCREENSHOT_DIR, when set, receives the tabs and the settings window in both appearances.
set -euo pipefail

build_dir="${TAVIMOR_BUILD_DIR:-$1/..}"
app="$1/tavimor"
probe="$build_dir/tests/system_probe"
for tool in Xvfb xcompmgr xdotool xclip import compare dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work="$(mktemp -d)"
pids=()
cleanup() {
  exec 7>&- 2>/dev/null || true
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
mkdir -p "$HOME/Desktop/Projects" "$XDG_CONFIG_HOME/Tavimor" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" \
  "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
echo "agenda" >"$HOME/Desktop/readme.txt"
echo "quarterly figures" >"$HOME/report.txt"
for bus in session system; do
  dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/$bus.pid" >"$work/$bus.address"
  pids+=("$(cat "$work/$bus.pid")")
done
export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$work/session.address")"
export DBUS_SYSTEM_BUS_ADDRESS="$(head -1 "$work/system.address")"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { # description, command...
  local what="$1"; shift
  if "$@"; then echo "ok: $what"; else fail "$what"; fi
}
wait_for() { # seconds, command...
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
wait_for 10 test -s "$work/display" || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
xcompmgr >/dev/null 2>&1 &
pids+=($!)
sleep 0.3

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
wait_for 10 grep -q ready "$work/probe.out" || { cat "$work/probe.err"; echo "FAIL: the probe did not start"; exit 1; }

echo "== clipboard history against the X clipboard"
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

# The application, past onboarding, liquid, notes off.
cat >"$XDG_CONFIG_HOME/Tavimor/preferences.json" <<JSON
{"format": "tavimor-preferences", "version": 1, "values": {
  "tavimor.onboarding.completed": {"type": "bool", "value": true},
  "tavimor.appearanceMode": {"type": "text", "value": "liquid"}}}
JSON
"$app" >"$work/app.log" 2>&1 &
pids+=($!)
wait_for 10 xdotool search --onlyvisible --name '^Tavimor$' >/dev/null || { cat "$work/app.log"; echo "FAIL: no panel"; exit 1; }
sleep 1

mode=liquid
tab_x() { local left=724; [ "$mode" = dark ] || left=732; echo $((left + 28 * $1)); } # liquid: 8 px inset
open_panel() { xdotool mousemove 960 10; sleep 0.3; xdotool mousemove 960 150; sleep 0.8; }
close_panel() { xdotool mousemove 100 950; sleep 1.2; }
click_tab() { xdotool mousemove "$(tab_x "$1")" 53 click 1; sleep 0.5; xdotool mousemove 960 250; sleep 0.4; }
crop() { import -window root -crop "$1" "$work/$2.png"; }
differ() { ! compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>/dev/null; }
screenshot() { [ -z "${TAVIMOR_SCREENSHOT_DIR:-}" ] || import -window root -crop "${2:-1000x700+460+0}" "$TAVIMOR_SCREENSHOT_DIR/$mode-$1.png"; }
pref() { grep -A3 "\"$1\"" "$XDG_CONFIG_HOME/Tavimor/preferences.json" | grep -q "\"value\": $2"; } # key, JSON value

echo "== system figures"
open_panel
crop 230x30+720+105 cpu-idle
burners=()
for ((i = 0; i < $(nproc); i++)); do (while :; do :; done) & burners+=($!); done
sleep 4.5
crop 230x30+720+105 cpu-busy
kill "${burners[@]}"
wait "${burners[@]}" 2>/dev/null || true
check "the processor figure moves under a CPU-bound child" differ cpu-idle cpu-busy
screenshot system
close_panel

echo "== files dragged over the notch"
ask "drag $HOME/report.txt" >/dev/null
sleep 0.5
xdotool mousemove 80 640 mousedown 1
for point in "120 600" "400 400" "800 100" "950 20" "960 12"; do xdotool mousemove $point; sleep 0.2; done
sleep 0.8
xdotool mousemove 962 14 # dropped on the notch itself
xdotool mouseup 1
sleep 1
check "a file drag opens the shelf and the drop is copied" cmp -s "$HOME/report.txt" "$XDG_DATA_HOME/Tavimor/Shelf/report.txt"
screenshot shelf
xdotool mousemove 960 150; sleep 0.5; xdotool mousemove 780 123 mousedown 1
for point in "790 130" "800 140" "400 400" "100 620" "80 640"; do xdotool mousemove $point; sleep 0.2; done
xdotool mouseup 1
check "a shelf file drags out" wait_for 5 grep -q "dropped file://$XDG_DATA_HOME/Tavimor/Shelf/report.txt" "$work/probe.out"
close_panel

echo "== settings window"
open_panel
crop 200x30+700+38 tabs-before
xdotool key ctrl+comma
check "Control+, opens the settings window" wait_for 5 xdotool search --onlyvisible --name 'Configurações' >/dev/null
settings="$(xdotool search --onlyvisible --name 'Configurações' | head -1)"
eval "$(xdotool getwindowgeometry --shell "$settings")"
screenshot settings-general 540x600+"$X"+"$Y"
xdotool mousemove $((X + 502)) $((Y + 218)) click 1
sleep 0.5
check "the notes switch is stored" pref tavimor.notesEnabled true
close_panel
open_panel
crop 200x30+700+38 tabs-after
check "enabling notes shows the notes tab" differ tabs-before tabs-after
click_tab 1
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
click_tab 1
screenshot notes
click_tab 0
screenshot system
click_tab 2
screenshot shelf

echo quit >&7
[ "$failures" -eq 0 ] || { echo "app log:"; cat "$work/app.log"; exit 1; }
echo "all passed"
