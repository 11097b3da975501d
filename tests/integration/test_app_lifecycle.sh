#!/usr/bin/env bash
# Starts the built tavimor under Xvfb, on private D-Bus buses and with a throw-away home, and checks its life:
# it stays up, offers the onboarding window on the first run and shows no other window, opens one settings window
# below the top of the screen on Control+",", exits with status 0 on SIGTERM, and offers no onboarding once it has
# been finished.
set -euo pipefail

bin_dir="${1:?usage: test_app_lifecycle.sh <directory of the tavimor binary>}"
app="$bin_dir/tavimor"
[ -x "$app" ] || { echo "FAIL: no tavimor binary in $bin_dir"; exit 1; }

# A private session bus for everything below; the user's own buses are never touched.
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

# Waits up to $1 tenths of a second for the command that follows to succeed.
wait_for() {
  local tries="$1"; shift
  for _ in $(seq "$tries"); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
export XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime"
log="$XDG_STATE_HOME/Tavimor/tavimor.log"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# A second private bus stands in for the system bus.
dbus-daemon --session --fork --print-address=1 --print-pid=3 >"$work/system-bus" 3>"$work/system-bus.pid"
pids+=("$(cat "$work/system-bus.pid")")
DBUS_SYSTEM_BUS_ADDRESS="$(head -n1 "$work/system-bus")"
export DBUS_SYSTEM_BUS_ADDRESS
case "$DBUS_SESSION_BUS_ADDRESS$DBUS_SYSTEM_BUS_ADDRESS" in
  *"/run/dbus/system_bus_socket"*) fail "refusing to run on the real system bus" ;;
esac

Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
pids+=("$!")
wait_for 100 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb

# Windows count once they are mapped: a window is named before it is mapped, and a slow start (the sanitizer
# build) widens that gap. An empty search is an answer, not an error.
window_named() { { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; } | head -n1; }
has_window() { [ -n "$(window_named "$1")" ]; }
not_window() { ! has_window "$1"; }
# Visible windows of the application other than the notch panel itself.
# Qt keeps a hidden 1x1 window under the application's name too, so every window of that name is left out.
app_windows() {
  local panels
  panels="$(xdotool search --name '^Tavimor$' 2>/dev/null || true)"
  { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null || true; } | { grep -vxF -e "${panels:-none}" || true; } |
    sort -u
}

start_app() { # extra environment
  env "$@" "$app" >>"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
}

# One copy per user: a start while the first copy runs logs one line and exits 0, the first stays up.
second_start_gives_way() { # extra environment
  local status=0 before
  before="$(grep -c 'já está em execução' "$log" || true)"
  timeout 20 env "$@" "$app" >>"$work/app.log" 2>&1 || status=$?
  [ "$status" -eq 0 ] || fail "a second start ($*) ended with status $status"
  [ "$(grep -c 'já está em execução' "$log")" -eq $((before + 1)) ] || fail "a second start ($*) logged no single line"
  kill -0 "$app_pid" 2>/dev/null || fail "the first copy did not survive a second start ($*)"
}

# Sends SIGTERM and expects a clean exit within 10 s.
terminate_app() {
  kill -TERM "$app_pid"
  for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "tavimor still running 10 s after SIGTERM"
  local status=0
  wait "$app_pid" || status=$?
  [ "$status" -eq 0 ] || fail "tavimor exited with status $status after SIGTERM"
}

# A crash while the application object is being made still leaves its line.
crashed=0
(ulimit -c 0; QT_QPA_PLATFORM=no-such-platform exec "$app") >>"$work/app.log" 2>&1 || crashed=$?
[ "$crashed" -ne 0 ] || fail "started without a platform"
grep -q 'crash por sinal SIGABRT' "$log" || fail "no crash line for a crash at start (status $crashed)"

start_app

wait_for 150 has_window '^Bem-vindo ao Tavimor$' || fail "no onboarding window on the first run"
onboarding="$(window_named '^Bem-vindo ao Tavimor$')"
wait_for 50 has_window '^Tavimor$' || fail "no notch panel on screen"
visible="$(app_windows)"
[ "$visible" = "$onboarding" ] || fail "expected only the onboarding window, found: $visible"

# The displays going to sleep and waking: the application takes it in its stride.
dbus-send --session --type=signal /org/freedesktop/ScreenSaver org.freedesktop.ScreenSaver.ActiveChanged boolean:true
dbus-send --session --type=signal /org/freedesktop/ScreenSaver org.freedesktop.ScreenSaver.ActiveChanged boolean:false
sleep 1
kill -0 "$app_pid" 2>/dev/null || fail "tavimor did not stay up"

xdotool windowfocus --sync "$onboarding"
xdotool key ctrl+comma
wait_for 100 has_window 'Configura' || fail "Control+, did not open the settings window"
settings="$(window_named 'Configura')"
geometry="$(xwininfo -id "$settings")"
left="$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")"
top="$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")"
width="$(awk '/Width:/ {print $2}' <<<"$geometry")"
height="$(awk '/Height:/ {print $2}' <<<"$geometry")"
# 1280x1024 screen without a notch: 324 below the top, centred.
[ "$left,$top,$width,$height" = "370,324,540,600" ] || fail "settings window at $left,$top size ${width}x$height"

xdotool windowfocus --sync "$settings"
xdotool key ctrl+comma
sleep 0.5
[ "$(xdotool search --name 'Configura' | wc -l)" -eq 1 ] || fail "a second Control+, built a second window"

# Finishing onboarding (its button sits in the middle of the window) is remembered across launches.
xdotool windowfocus --sync "$onboarding"
# A SIGTERM right after the change, before the preferences are written, loses nothing.
xdotool mousemove --window "$onboarding" 240 160 click 1
wait_for 50 not_window '^Bem-vindo ao Tavimor$' || fail "the onboarding window stayed open after finishing"
terminate_app
grep -q 'tavimor.onboarding.completed' "$XDG_CONFIG_HOME/Tavimor/preferences.json" ||
  fail "finishing onboarding stored nothing"
log="$XDG_STATE_HOME/Tavimor/tavimor.log"
grep -q 'iniciado =====' "$log" || fail "no session-start entry in $log"
grep -q '\[Updater\] indisponível' "$log" || fail "no degraded entry for the updater in $log"

start_app
sleep 2
kill -0 "$app_pid" 2>/dev/null || fail "tavimor did not stay up on the second launch"
has_window '^Bem-vindo ao Tavimor$' && fail "onboarding offered again after it was finished"
[ -z "$(app_windows)" ] || fail "a window other than the panel opened on the second launch"
second_start_gives_way
terminate_app

no_bus=(DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus")
start_app "${no_bus[@]}"
sleep 2
second_start_gives_way "${no_bus[@]}"
terminate_app

echo "PASS: onboarding on the first run only, settings below the notch, clean SIGTERM exits, one copy at a time"
