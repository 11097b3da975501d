#!/usr/bin/env bash
# The day tab of the application under a real X server, with a private calendar server seeded with a meeting
# 20 minutes ahead, a private secret service holding the task token, and a loopback task service. Both
# appearance modes show the meeting with tasks, and the empty day without a task token: the compact bar shows
# the countdown only with the meeting, and the tasks card lists tasks only with the token.
# TAVIMOR_SCREENSHOT_DIR, when set, keeps the screenshots.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
bin_dir="$1"
for tool in Xvfb xcompmgr xdotool gnome-keyring-daemon secret-tool import compare; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }; done
[ -x /usr/libexec/evolution-source-registry ] || { echo "FAIL: evolution-data-server is not installed" >&2; exit 1; }

work="$(mktemp -d /tmp/tavimor-day-tab.XXXXXX)"
shots="${TAVIMOR_SCREENSHOT_DIR:-$work/shots}"
mkdir -p "$shots"
pids=()
stop_from() { # index: stops what was started from there on, newest first
  for ((i = ${#pids[@]} - 1; i >= $1; i--)); do kill "${pids[i]}" 2>/dev/null || true; wait "${pids[i]}" 2>/dev/null || true; done
  pids=("${pids[@]:0:$1}")
}
trap 'stop_from 0; rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
has_owner() { gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
  --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true; }
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do ((SECONDS < deadline)) || return 1; sleep 0.1; done
}

# The task service, served as files (the query is ignored): two overdue tasks and one due today.
mkdir -p "$work/api/api/v1"
cat >"$work/api/api/v1/tasks" <<JSON
{"results": [
 {"id": "1", "content": "Enviar relatório <b>trimestral</b>", "project_id": "p1", "priority": 4, "due": {"date": "2024-05-01"}},
 {"id": "2", "content": "Revisar contrato", "project_id": "p2", "due": {"date": "2024-05-02"}},
 {"id": "3", "content": "Ligar para o fornecedor", "project_id": "p1", "due": {"datetime": "$(date +%Y-%m-%d)T16:30:00"}}]}
JSON
echo '[{"id": "p1", "name": "Trabalho"}, {"id": "p2", "name": "Casa"}]' >"$work/api/api/v1/projects"

# One scene: $1 name, $2 "meeting" or "empty", $3 "token" or "none", $4 appearance.
scene() {
  local name="$1" calendar="$2" token="$3" appearance="$4" base=${#pids[@]}
  local home="$work/$name-$appearance"
  export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" XDG_DATA_HOME="$home/data"
  export XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/runtime" GSETTINGS_BACKEND=memory QT_QPA_PLATFORM=xcb
  mkdir -p "$HOME" "$XDG_CONFIG_HOME/Tavimor" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  for bus in session system; do
    dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$home/$bus.pid" >"$home/$bus.address"
    pids+=("$(cat "$home/$bus.pid")")
  done
  export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$home/session.address")" DBUS_SYSTEM_BUS_ADDRESS="$(head -1 "$home/system.address")"

  if [ "$calendar" = meeting ]; then
    /usr/bin/python3 "$here/eds_calendar.py" meeting "Planejamento <i>trimestral</i>" 20 30 "https://meet.google.com/abc-defg-hij"
    /usr/bin/python3 "$here/eds_calendar.py" meeting "Revisão de design" -90 30
    /usr/bin/python3 "$here/eds_calendar.py" meeting "1:1 com Ana" 150 30
  fi
  printf "%s" "test-password" | gnome-keyring-daemon --foreground --unlock --components=secrets >"$home/keyring.log" 2>&1 &
  pids+=($!)
  wait_for 10 has_owner org.freedesktop.secrets || fail "$name: no secret service"
  [ "$token" = none ] || printf "%s" "secret-task-token" \
    | secret-tool store --label="Tavimor (todoist_token)" service com.dravo.tavimor account todoist_token
  (cd "$work/api" && exec /usr/bin/python3 -u -m http.server --bind 127.0.0.1 0 >"$home/api.log" 2>&1) &
  pids+=($!)
  wait_for 5 grep -q "port" "$home/api.log"

  echo '{"format": "tavimor-preferences", "version": 1, "values": {"tavimor.onboarding.completed": {"type": "bool",
    "value": true}, "tavimor.appearanceMode": {"type": "text", "value": "'"$appearance"'"}}}' >"$XDG_CONFIG_HOME/Tavimor/preferences.json"
  exec 5>"$home/display"
  Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp >"$home/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -s "$home/display"
  export DISPLAY=":$(head -1 "$home/display")"
  xcompmgr >/dev/null 2>&1 &
  pids+=($!)
  TAVIMOR_TODOIST_API="http://127.0.0.1:$(grep -o 'port [0-9]*' "$home/api.log" | cut -d' ' -f2)" "$bin_dir/tavimor" >"$home/tavimor.log" 2>&1 &
  pids+=($!)
  wait_for 10 xdotool search --onlyvisible --name '^Tavimor$' >/dev/null || fail "$name: no panel window"
  [ "$token" = none ] || wait_for 40 grep -q "GET /api/v1/projects" "$home/api.log" || fail "$name: no task fetch"
  [ "$calendar" = empty ] || wait_for 40 has_owner org.gnome.evolution.dataserver.Calendar8 || fail "$name: no calendar"
  sleep 2
  import -window root -crop 1920x40+0+0 "$shots/$appearance-$name-compact.png"
  xdotool mousemove 960 20
  sleep 1.5
  import -window root -crop 1000x360+460+0 "$shots/$appearance-$name-open.png"
  ! grep -q "secret-task-token" "$home/tavimor.log" "$XDG_STATE_HOME"/Tavimor/*.log || fail "$name: token in a log"
  grep -E "QML|qrc:/" "$home/tavimor.log" && fail "$name: QML warnings"
  stop_from "$base"
}

for appearance in liquid dark; do
  scene meeting meeting token "$appearance"
  scene empty empty none "$appearance"
  for part in compact open; do
    difference="$(compare -metric AE "$shots/$appearance-meeting-$part.png" "$shots/$appearance-empty-$part.png" null: 2>&1 || true)"
    [ "${difference%% *}" -gt 50 ] 2>/dev/null && echo "ok: $appearance: the $part view shows the day" \
      || fail "$appearance: the $part view is the same for the meeting and the empty day ($difference)"
  done
done
[ "$failures" -eq 0 ]
