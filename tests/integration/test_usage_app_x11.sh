#!/usr/bin/env bash
# The usage quota of the running application under Xvfb, with the usage endpoint on loopback, in both appearances:
# the token comes from the assistant's credentials file in a throw-away home (liquid), then from its item in a
# private gnome-keyring, stored as hexadecimal text (dark). The compact bar shows the session figure, the usage tab
# both bars; after a 401 and a refresh the tab shows the expired-session text. Screenshots go to
# $TAVIMOR_SCREENSHOT_DIR when it is set.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin_dir="${1:?usage: test_usage_app_x11.sh <directory of the tavimor binary>}"
for tool in Xvfb xcompmgr xdotool convert import dbus-daemon gnome-keyring-daemon secret-tool gdbus /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
work="$(mktemp -d)"
pids=()
stop_all() { for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; wait "${pids[i]}" 2>/dev/null || true; done; pids=(); }
trap 'stop_all; rm -rf "$work"' EXIT
failures=0
check() { # description, then the command that must succeed
  local what="$1"; shift
  if "$@"; then echo "ok: $appearance: $what"; else echo "FAIL: $appearance: $what"; failures=$((failures + 1)); fi
}
wait_for() { local deadline=$((SECONDS + $1)); shift; until "$@"; do ((SECONDS < deadline)) || return 1; sleep 0.1; done; }
# Pixels of the last screenshot within the rectangle $1 (WxH+X+Y) close to the colour $2.
pixels() { convert "$work/shot.png" -crop "$1" +repage -fuzz 12% -fill black +opaque "$2" -fill white -opaque "$2" -format "%[fx:round(mean*w*h)]" info:; }
# Takes the screenshot named $1 and compares the pixels of the rectangle $2 close to the colour $3 with $4 $5.
shows() {
  import -window root "$work/shot.png"
  [ -z "${TAVIMOR_SCREENSHOT_DIR:-}" ] || cp "$work/shot.png" "$TAVIMOR_SCREENSHOT_DIR/usage-$appearance-$1.png"
  test "$(pixels "$2" "$3")" "$4" "$5"
}
requests() { grep -c "^/api/oauth/usage" "$work/requests.log" || true; }
more_requests_than() { test "$(requests)" -gt "$1"; }
not_in_logs() { ! grep -rq "$1" "$XDG_STATE_HOME" "$root/app.log"; }
keyring_up() { gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
  --method org.freedesktop.DBus.NameHasOwner org.freedesktop.secrets 2>/dev/null | grep -q true; }
answer() { printf '%s\n%s' "$1" "$2" >"$work/answer"; }
accent="#E4FC00" danger="#FF4444" compact="300x32+660+0" card="490x200+715+90"

for appearance in liquid dark; do
  root="$work/$appearance"
  export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_STATE_HOME="$root/state" XDG_DATA_HOME="$root/data"
  export XDG_CACHE_HOME="$root/cache" XDG_RUNTIME_DIR="$root/runtime" QT_QPA_PLATFORM=xcb
  mkdir -p "$HOME/.claude" "$XDG_CONFIG_HOME/Tavimor" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset CLAUDE_CONFIG_DIR
  credentials="{\"claudeAiOauth\": {\"accessToken\": \"e2e-token-$appearance\"}}"
  printf '{"format": "tavimor-preferences", "version": 1, "values": {"tavimor.onboarding.completed": {"type": "bool", "value": true},
    "tavimor.appearanceMode": {"type": "text", "value": "%s"}}}' "$appearance" >"$XDG_CONFIG_HOME/Tavimor/preferences.json"
  for bus in session system; do
    dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$root/$bus.pid" >"$root/$bus.address"
    pids+=("$(cat "$root/$bus.pid")")
  done
  export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$root/session.address")" DBUS_SYSTEM_BUS_ADDRESS="$(head -1 "$root/system.address")"
  if [ "$appearance" = liquid ]; then
    printf '%s' "$credentials" >"$HOME/.claude/.credentials.json"
  else
    printf secret | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null 2>&1 &
    pids+=($!)
    wait_for 10 keyring_up || { echo "FAIL: gnome-keyring did not start"; exit 1; }
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
  wait_for 10 test -s "$work/port" || { echo "FAIL: the usage server did not start"; exit 1; }
  export TAVIMOR_TEST_USAGE_BASE_URL="http://127.0.0.1:$(cat "$work/port")"
  exec 5>"$root/display"
  Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  wait_for 10 test -s "$root/display" || { echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=":$(head -1 "$root/display")"
  xcompmgr >/dev/null 2>&1 &
  pids+=($!)
  "$bin_dir/tavimor" >"$root/app.log" 2>&1 &
  pids+=($!)

  check "the usage endpoint is asked at start" wait_for 15 more_requests_than 0
  check "with the assistant's token and the endpoint's headers" \
    grep -qzP "Authorization: Bearer e2e-token-$appearance\nAccept: application/json\nanthropic-beta: oauth-2025-04-20\nUser-Agent: claude-code/2.1.69\n" "$work/requests.log"
  check "the compact bar shows the session figure in accent" wait_for 10 shows closed "$compact" "$accent" -gt 20
  xdotool mousemove 960 20
  check "the usage tab shows the session bar (accent)" wait_for 10 shows open "$card" "$accent" -gt 250
  check "and the low weekly bar (danger)" shows open "$card" "$danger" -gt 150
  answer 401 '{"error": "expired"}'
  before="$(requests)"
  xdotool mousemove 1191 104 click 1
  check "the refresh button fetches again" wait_for 5 more_requests_than "$before"
  check "after a 401 the rows give way to the error text" wait_for 10 shows expired "$card" "$danger" -lt 20
  check "with no second request" test "$(requests)" -eq $((before + 1))
  stop_all
  check "the token appears in no log" not_in_logs "e2e-token"
  check "the usage views load without a QML warning" not_in_logs "Views/Usage"
done
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all usage checks passed"
