#!/usr/bin/env bash
# The usage quota of the running application under Xvfb, with the usage endpoint on loopback, in both appearances:
# the token comes from the assistant's credentials file (liquid), then from its item in a private gnome-keyring,
# stored as hexadecimal text (dark). The compact bar shows the session figure, the usage tab both bars; after a
# 401 and a refresh the tab shows the expired-session text. Screenshots go to $TAVIMOR_SCREENSHOT_DIR when set.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
app="${1:?usage: test_usage_app_x11.sh <directory of the tavimor binary>}/tavimor"
source "$here/lib.sh"
require_tools Xvfb xcompmgr xdotool convert import dbus-daemon gnome-keyring-daemon secret-tool gdbus /usr/bin/python3
unset CLAUDE_CONFIG_DIR
mkdir -p "$HOME/.claude"

# Takes the screenshot named $1 and compares the pixels of the rectangle $2 close to the colour $3 with $4 $5.
shows() {
  import -window root "$work/shot.png"
  [ -z "${TAVIMOR_SCREENSHOT_DIR:-}" ] || cp "$work/shot.png" "$TAVIMOR_SCREENSHOT_DIR/usage-$appearance-$1.png"
  test "$(convert "$work/shot.png" -crop "$2" +repage -fuzz 12% -fill black +opaque "$3" -fill white -opaque "$3" \
    -format "%[fx:round(mean*w*h)]" info:)" "$4" "$5"
}
requests() { grep -c "^/api/oauth/usage" "$work/requests.log" || true; }
more_requests_than() { test "$(requests)" -gt "$1"; }
not_in_logs() { ! grep -rq "$1" "$XDG_STATE_HOME" "$work/app.log"; }
answer() { printf '%s\n%s' "$1" "$2" >"$work/answer"; }
accent="#E4FC00" danger="#FF4444" compact="300x32+660+0" card="490x200+715+90"

for appearance in liquid dark; do
  first="${#pids[@]}"
  desktop 1920x1080 # fresh buses: the liquid run's lookup may have activated a locked keyring
  credentials="{\"claudeAiOauth\": {\"accessToken\": \"e2e-token-$appearance\"}}"
  prefs appearanceMode text "\"$appearance\""
  if [ "$appearance" = liquid ]; then
    printf '%s' "$credentials" >"$HOME/.claude/.credentials.json"
  else
    rm "$HOME/.claude/.credentials.json"
    start_keyring
    printf '0x%s\n' "$(printf '%s' "$credentials" | od -An -v -tx1 | tr -d ' \n')" \
      | secret-tool store --label=credentials service "Claude Code-credentials" account someone
  fi

  # 20 % of the session left (accent), 10 % of the week (danger).
  answer 200 "{\"five_hour\": {\"utilization\": 80, \"resets_at\": \"$(date -u -d '+2 hours' +%Y-%m-%dT%H:%M:%S.000Z)\"},
    \"seven_day\": {\"utilization\": 90.0, \"resets_at\": \"$(date -u -d '+3 days' +%Y-%m-%dT%H:%M:%S+00:00)\"}}"
  : >"$work/requests.log"
  rm -f "$work/port"
  /usr/bin/python3 "$here/usage_server.py" "$work/port" "$work/answer" "$work/requests.log" &
  pids+=($!)
  wait_for 10 test -s "$work/port" || fail "the usage server did not start"
  export TAVIMOR_TEST_USAGE_BASE_URL="http://127.0.0.1:$(cat "$work/port")"
  launch

  check "$appearance: the usage endpoint is asked at start" wait_for 15 more_requests_than 0
  check "$appearance: with the assistant's token and the endpoint's headers" \
    grep -qzP "Authorization: Bearer e2e-token-$appearance\nAccept: application/json\nanthropic-beta: oauth-2025-04-20\nUser-Agent: claude-code/2.1.69\n" "$work/requests.log"
  check "$appearance: the compact bar shows the session figure in accent" wait_for 10 shows closed "$compact" "$accent" -gt 20
  open_panel
  click_tab usage
  check "$appearance: the usage tab shows the session bar (accent)" wait_for 10 shows open "$card" "$accent" -gt 250
  check "$appearance: and the low weekly bar (danger)" shows open "$card" "$danger" -gt 150
  answer 401 '{"error": "expired"}'
  before="$(requests)"
  xdotool mousemove 1191 104 click 1
  check "$appearance: the refresh button fetches again" wait_for 5 more_requests_than "$before"
  check "$appearance: after a 401 the rows give way to the error text" wait_for 10 shows expired "$card" "$danger" -lt 20
  check "$appearance: with no second request" test "$(requests)" -eq $((before + 1))
  stop_from "$first"
done
check "the token appears in no log" not_in_logs "e2e-token"
finish
