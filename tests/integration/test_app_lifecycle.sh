#!/usr/bin/env bash
# The built tavimor under Xvfb, on private buses and with a throw-away home: a crash at start leaves its line; it
# stays up, offers the onboarding window on the first run and no other window, opens one settings window below
# the top of the screen on Control+",", exits with status 0 on SIGTERM, offers no onboarding once finished, and
# runs one copy at a time.
set -euo pipefail
app="${1:?usage: test_app_lifecycle.sh <directory of the tavimor binary>}/tavimor"
source "$(dirname "$0")/lib.sh"
private_buses
start_x 1280x1024

fail() {
  echo "FAIL: $*"
  sed 's/^/  tavimor: /' "$work/app.log"
  exit 1
}
# Windows count once they are mapped: a slow start (the sanitizer build) widens the gap after naming.
window_named() { { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; } | head -n1; }
has_window() { [ -n "$(window_named "$1")" ]; }
not_window() { ! has_window "$1"; }
# Visible windows of the application other than the notch panel itself.
app_windows() {
  { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null || true; } | { grep -vx "$(window_named '^Tavimor$')" || true; } | sort -u
}
start_app() { # extra environment
  env "$@" "$app" >>"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
}
# A start while the first copy runs logs one line and exits 0; the first stays up.
second_start_gives_way() { # extra environment
  local status=0 before
  before="$(grep -c 'já está em execução' "$log" || true)"
  timeout 20 env "$@" "$app" >>"$work/app.log" 2>&1 || status=$?
  [ "$status" -eq 0 ] || fail "a second start ($*) ended with status $status"
  [ "$(grep -c 'já está em execução' "$log")" -eq $((before + 1)) ] || fail "a second start ($*) logged no single line"
  kill -0 "$app_pid" 2>/dev/null || fail "the first copy did not survive a second start ($*)"
}
terminate_app() { # expects a clean exit within 10 s
  kill -TERM "$app_pid"
  wait_for 10 not_ kill -0 "$app_pid" || fail "tavimor still running 10 s after SIGTERM"
  local status=0
  wait "$app_pid" || status=$?
  [ "$status" -eq 0 ] || fail "tavimor exited with status $status after SIGTERM"
}
not_() { ! "$@"; }

crashed=0 # while the application object is being made
(ulimit -c 0; QT_QPA_PLATFORM=no-such-platform exec "$app") >>"$work/app.log" 2>&1 || crashed=$?
[ "$crashed" -ne 0 ] || fail "started without a platform"
grep -q 'crash por sinal SIGABRT' "$log" || fail "no crash line for a crash at start (status $crashed)"

start_app
wait_for 15 has_window '^Bem-vindo ao Tavimor$' || fail "no onboarding window on the first run"
onboarding="$(window_named '^Bem-vindo ao Tavimor$')"
wait_for 5 has_window '^Tavimor$' || fail "no notch panel on screen"
[ "$(app_windows)" = "$onboarding" ] || fail "expected only the onboarding window, found: $(app_windows)"

# The displays going to sleep and waking: the application takes it in its stride.
for active in true false; do
  dbus-send --session --type=signal /org/freedesktop/ScreenSaver org.freedesktop.ScreenSaver.ActiveChanged boolean:$active
done
sleep 1
kill -0 "$app_pid" 2>/dev/null || fail "tavimor did not stay up"

xdotool windowfocus --sync "$onboarding" key ctrl+comma
wait_for 10 has_window 'Configura' || fail "Control+, did not open the settings window"
settings="$(window_named 'Configura')"
# 1280x1024 screen without a notch: 324 below the top, centred.
geometry="$(xdotool getwindowgeometry "$settings" | tr -s ' \n' ' ')"
[[ "$geometry" == *"Position: 370,324 "*"Geometry: 540x600"* ]] || fail "settings window: $geometry"
xdotool windowfocus --sync "$settings" key ctrl+comma
sleep 0.5
[ "$(xdotool search --name 'Configura' | wc -l)" -eq 1 ] || fail "a second Control+, built a second window"

# Finishing onboarding (its button sits in the middle of the window) is remembered, even with a SIGTERM right
# after the change, before the preferences are written.
xdotool windowfocus --sync "$onboarding" mousemove --window "$onboarding" 240 160 click 1
wait_for 5 not_window '^Bem-vindo ao Tavimor$' || fail "the onboarding window stayed open after finishing"
terminate_app
grep -q 'tavimor.onboarding.completed' "$XDG_CONFIG_HOME/Tavimor/preferences.json" || fail "finishing onboarding stored nothing"
grep -q 'iniciado =====' "$log" || fail "no session-start entry"
grep -q '\[Updater\] indisponível' "$log" || fail "no degraded entry for the updater"

start_app
sleep 2
kill -0 "$app_pid" 2>/dev/null || fail "tavimor did not stay up on the second launch"
[ -z "$(app_windows)" ] || fail "a window other than the panel opened on the second launch"
second_start_gives_way
terminate_app

no_bus=(DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus")
start_app "${no_bus[@]}"
sleep 2
second_start_gives_way "${no_bus[@]}"
terminate_app
