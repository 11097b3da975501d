#!/usr/bin/env bash
# The day tab of the application under a real X server, with a private calendar server seeded with a meeting
# 20 minutes ahead, a private secret service holding the task token, and a loopback task service. Both
# appearance modes show the meeting with tasks, and the empty day without a task token: the compact bar shows
# the countdown only with the meeting, and the tasks card lists tasks only with the token.
# TAVIMOR_SCREENSHOT_DIR, when set, keeps the screenshots.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
app="${1:?usage: test_day_tab_x11.sh <directory of the tavimor binary>}/tavimor"
source "$here/lib.sh"
require_tools Xvfb xcompmgr xdotool gnome-keyring-daemon secret-tool gdbus import compare dbus-daemon
[ -x /usr/libexec/evolution-source-registry ] || { echo "SKIP: evolution-data-server is not installed"; exit 77; }
export GSETTINGS_BACKEND=memory
# Everything runs in a zone where it is now about noon, so meetings from 90 minutes ago to 150 minutes ahead
# all fall on today whatever the hour of the run.
offset=$((12 - 10#$(date -u +%H)))
case "$offset" in 0) export TZ=Etc/UTC ;; -*) export TZ="Etc/GMT+${offset#-}" ;; *) export TZ="Etc/GMT-$offset" ;; esac

shots="${TAVIMOR_SCREENSHOT_DIR:-$work/shots}"
mkdir -p "$shots"

# The task service, served as files (the query is ignored): two overdue tasks and one due today.
mkdir -p "$work/api/api/v1"
cat >"$work/api/api/v1/tasks" <<JSON
{"results": [
 {"id": "1", "content": "Enviar relatório <b>trimestral</b>", "project_id": "p1", "priority": 4, "due": {"date": "2024-05-01"}},
 {"id": "2", "content": "Revisar contrato", "project_id": "p2", "due": {"date": "2024-05-02"}},
 {"id": "3", "content": "Ligar para o fornecedor", "project_id": "p1", "due": {"datetime": "$(date +%Y-%m-%d)T16:30:00"}}]}
JSON
echo '[{"id": "p1", "name": "Trabalho"}, {"id": "p2", "name": "Casa"}]' >"$work/api/api/v1/projects"

pixels_apart() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true; }
compact_differs() { # screenshot, reference
  import -window root -crop 960x40+0+0 "$1" && test "$(pixels_apart "$1" "$2")" -gt 50
}

# One scene, in a fresh home: $1 name, $2 "meeting" or "empty", $3 "token" or "none", $4 appearance.
scene() {
  local name="$1" calendar="$2" token="$3" appearance="$4" base=${#pids[@]}
  fresh_home
  private_buses

  if [ "$calendar" = meeting ]; then
    /usr/bin/python3 "$here/eds_calendar.py" meeting "Planejamento <i>trimestral</i>" 20 30 "https://meet.google.com/abc-defg-hij"
    /usr/bin/python3 "$here/eds_calendar.py" meeting "Revisão de design" -90 30
    /usr/bin/python3 "$here/eds_calendar.py" meeting "1:1 com Ana" 150 30
  fi
  start_keyring
  [ "$token" = none ] || printf "%s" "secret-task-token" \
    | secret-tool store --label="Tavimor (todoist_token)" service com.dravo.tavimor account todoist_token
  (cd "$work/api" && exec /usr/bin/python3 -u -m http.server --bind 127.0.0.1 0 >"$work/api.log" 2>&1) &
  pids+=($!)
  wait_for 5 grep -q "port" "$work/api.log" || true

  prefs appearanceMode text "\"$appearance\""
  start_x 1920x1080
  start_compositor
  export TAVIMOR_TODOIST_API="http://127.0.0.1:$(grep -o 'port [0-9]*' "$work/api.log" | cut -d' ' -f2)"
  launch
  [ "$token" = none ] || check "$name: a task fetch" wait_for 40 grep -q "GET /api/v1/projects" "$work/api.log"
  [ "$calendar" = empty ] || check "$name: a calendar" wait_for 40 has_owner org.gnome.evolution.dataserver.Calendar8
  # The day item sits left of the notch, away from the changing figures on the right. With a meeting, wait
  # until the countdown has drawn: the empty day's bar is the reference.
  if [ "$calendar" = meeting ]; then
    wait_for 20 compact_differs "$shots/$appearance-$name-compact.png" "$shots/$appearance-empty-compact.png" || true
  else
    sleep 2
    import -window root -crop 960x40+0+0 "$shots/$appearance-$name-compact.png"
  fi
  xdotool mousemove 960 20
  sleep 1.5
  import -window root -crop 1000x360+460+0 "$shots/$appearance-$name-open.png"
  check "$name: no token in a log" not_ grep -q "secret-task-token" "$work/app.log" "$XDG_STATE_HOME"/Tavimor/*.log
  stop_from "$base"
}

for appearance in liquid dark; do
  scene empty empty none "$appearance"
  scene meeting meeting token "$appearance"
  for part in compact open; do
    difference="$(pixels_apart "$shots/$appearance-meeting-$part.png" "$shots/$appearance-empty-$part.png")"
    check "$appearance: the $part view differs between the meeting and the empty day ($difference)" \
      test "$difference" -gt 50
  done
done
finish
