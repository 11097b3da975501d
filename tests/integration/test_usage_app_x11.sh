#!/usr/bin/env bash
# The usage quota of the running application under Xvfb, with the usage endpoint on loopback and the assistant's
# credentials file in a throw-away home, in the liquid and the dark appearance: the compact bar shows the session
# figure, the usage tab both bars; after a 401 and a refresh the tab shows the expired-session text. Screenshots
# go to $TAVIMOR_SCREENSHOT_DIR when it is set.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin_dir="${1:?usage: test_usage_app_x11.sh <directory of the tavimor binary>}"
for tool in Xvfb xcompmgr xdotool convert import dbus-daemon /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
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
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# Pixels of the screenshot $1 within the rectangle $2 (WxH+X+Y) close to the colour $3.
pixels_like() {
  convert "$1" -crop "$2" +repage -fuzz 12% -fill black +opaque "$3" -fill white -opaque "$3" \
    -format "%[fx:round(mean*w*h)]" info:
}
accent="#E4FC00" danger="#FF4444"
compact_area="300x32+660+0" card_area="490x200+715+90"

answer() { printf '%s\n%s' "$1" "$2" >"$work/answer"; }
requests() { grep -c "^/api/oauth/usage" "$work/requests.log" 2>/dev/null || true; }
more_requests_than() { test "$(requests)" -gt "$1"; }
shot() {
  import -window root "$work/shot.png"
  [ -z "${TAVIMOR_SCREENSHOT_DIR:-}" ] || cp "$work/shot.png" "$TAVIMOR_SCREENSHOT_DIR/usage-$appearance-$1.png"
}

run_appearance() {
  appearance="$1"
  local root="$work/$appearance"
  export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_STATE_HOME="$root/state" XDG_DATA_HOME="$root/data"
  export XDG_CACHE_HOME="$root/cache" XDG_RUNTIME_DIR="$root/runtime"
  mkdir -p "$HOME/.claude" "$XDG_CONFIG_HOME/Tavimor" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset CLAUDE_CONFIG_DIR
  printf '{"claudeAiOauth": {"accessToken": "e2e-token-%s", "refreshToken": "x"}}' "$appearance" \
    >"$HOME/.claude/.credentials.json"
  chmod 600 "$HOME/.claude/.credentials.json"
  cat >"$XDG_CONFIG_HOME/Tavimor/preferences.json" <<JSON
{"format": "tavimor-preferences", "version": 1, "values": {
  "tavimor.onboarding.completed": {"type": "bool", "value": true},
  "tavimor.appearanceMode": {"type": "text", "value": "$appearance"}}}
JSON

  for bus in session system; do
    dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$root/$bus.pid" >"$root/$bus.address"
    pids+=("$(cat "$root/$bus.pid")")
  done
  export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$root/session.address")"
  export DBUS_SYSTEM_BUS_ADDRESS="$(head -1 "$root/system.address")"

  local session_reset weekly_reset
  session_reset="$(date -u -d '+2 hours' +%Y-%m-%dT%H:%M:%S.000Z)"
  weekly_reset="$(date -u -d '+3 days' +%Y-%m-%dT%H:%M:%S+00:00)"
  answer 200 "{\"five_hour\": {\"utilization\": 80, \"resets_at\": \"$session_reset\"},
    \"seven_day\": {\"utilization\": 90.0, \"resets_at\": \"$weekly_reset\"}}"
  : >"$work/requests.log"
  rm -f "$work/port"
  /usr/bin/python3 "$here/usage_server.py" "$work/port" "$work/answer" "$work/requests.log" &
  pids+=($!)
  wait_for 10 test -s "$work/port" || { echo "FAIL: the usage server did not start"; exit 1; }
  export TAVIMOR_TEST_USAGE_BASE_URL="http://127.0.0.1:$(cat "$work/port")"

  exec 5>"$root/display"
  Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp >"$root/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -s "$root/display" || { echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=":$(head -1 "$root/display")" QT_QPA_PLATFORM=xcb
  xcompmgr >/dev/null 2>&1 &
  pids+=($!)

  "$bin_dir/tavimor" >"$root/app.log" 2>&1 &
  pids+=($!)
  wait_for 15 more_requests_than 0 && pass "$appearance: the usage endpoint was asked at start" \
    || fail "$appearance: no request reached the usage endpoint"
  grep -qx "Authorization: Bearer e2e-token-$appearance" "$work/requests.log" \
    && grep -qx "anthropic-beta: oauth-2025-04-20" "$work/requests.log" \
    && pass "$appearance: the token of the credentials file was sent with the endpoint's headers" \
    || fail "$appearance: request headers: $(cat "$work/requests.log")"
  sleep 1.5

  shot closed
  (($(pixels_like "$work/shot.png" "$compact_area" "$accent") > 20)) \
    && pass "$appearance: the compact bar shows the session figure (20 % left, in accent)" \
    || fail "$appearance: no session figure beside the notch"

  xdotool mousemove 960 20
  sleep 1
  shot open
  local accent_open danger_open
  accent_open="$(pixels_like "$work/shot.png" "$card_area" "$accent")"
  danger_open="$(pixels_like "$work/shot.png" "$card_area" "$danger")"
  ((accent_open > 250 && danger_open > 150)) \
    && pass "$appearance: the usage tab shows the session bar (accent) and the low weekly bar (danger)" \
    || fail "$appearance: bars not drawn (accent $accent_open, danger $danger_open pixels)"

  answer 401 '{"error": "expired"}'
  local before
  before="$(requests)"
  xdotool mousemove 1191 104 click 1
  wait_for 5 more_requests_than "$before" && pass "$appearance: the refresh button fetches again" \
    || fail "$appearance: the refresh button sent no request"
  sleep 1
  shot expired
  local danger_expired
  danger_expired="$(pixels_like "$work/shot.png" "$card_area" "$danger")"
  test "$(requests)" -eq $((before + 1)) && ((danger_expired < 20)) \
    && pass "$appearance: after a 401 the rows give way to the error text, with no second request" \
    || fail "$appearance: after the 401: $(($(requests) - before)) request(s), $danger_expired danger pixels"

  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; wait "${pids[i]}" 2>/dev/null || true; done
  pids=()
  grep -q "e2e-token" "$XDG_STATE_HOME"/*/tavimor.log "$root/app.log" 2>/dev/null \
    && fail "$appearance: the token appears in a log" || pass "$appearance: the token appears in no log"
}

run_appearance liquid
run_appearance dark
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all usage checks passed"
