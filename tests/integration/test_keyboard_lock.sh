#!/usr/bin/env bash
# The keyboard-cleaning lock on a real X server: while it is shown, keys typed into another client's window
# reach nothing; the unlock button ends it and keys arrive again. TAVIMOR_SCREENSHOTS=<dir> keeps a screenshot of
# the lock in each appearance mode.
set -euo pipefail

bin_dir="${1:?usage: test_keyboard_lock.sh <directory of the tavimor binary>}"
harness="${TAVIMOR_BUILD_DIR:-$bin_dir}/tests/keyboard_lock_harness"
[ -x "$harness" ] || harness="$bin_dir/tests/keyboard_lock_harness"
[ -x "$harness" ] || { echo "FAIL: no keyboard_lock_harness"; exit 1; }

work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work" 2>/dev/null || true
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; sed 's/^/  harness: /' "$work/harness.out" 2>/dev/null || true; exit 1; }
wait_for() {
  local tries="$1"; shift
  for _ in $(seq "$tries"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
pids+=("$!")
wait_for 100 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb

# Another client's window that prints every key it receives.
xev -geometry 200x100+10+10 -event keyboard >"$work/xev.out" 2>&1 &
pids+=("$!")
has_xev() { [ -n "$(xdotool search --name 'Event Tester' 2>/dev/null)" ]; }
wait_for 50 has_xev || fail "no xev window"
target="$(xdotool search --name 'Event Tester' | head -n1)"
typed_count() { grep -c '^KeyPress' "$work/xev.out" || true; }

for mode in liquid dark; do
  mkdir -p "$XDG_CONFIG_HOME/Tavimor"
  printf '{"format": "tavimor-preferences", "version": 1, "values": {
    "tavimor.appearanceMode": {"type": "text", "value": "%s"}}}\n' "$mode" >"$XDG_CONFIG_HOME/Tavimor/preferences.json"
  "$harness" >"$work/harness.out" 2>&1 &
  pids+=("$!")
  wait_for 100 grep -q '^button' "$work/harness.out" || fail "the lock did not come up"
  grep -q unlocked "$work/harness.out" && fail "the lock ended by itself"

  # XTEST key presses, as a user would type, into the focused xev window.
  xdotool windowfocus "$target" 2>/dev/null || true
  before="$(typed_count)"
  xdotool type --delay 20 "secret"
  sleep 0.5
  [ "$(typed_count)" -eq "$before" ] || fail "keys reached another window while locked"

  if [ -n "${TAVIMOR_SCREENSHOTS:-}" ]; then
    mkdir -p "$TAVIMOR_SCREENSHOTS" && import -window root "$TAVIMOR_SCREENSHOTS/keyboard-lock-$mode.png"
  fi
  read -r _ x y < <(grep '^button' "$work/harness.out")
  xdotool mousemove "$x" "$y" click 1
  wait_for 50 grep -q unlocked "$work/harness.out" || fail "the unlock button did not end the lock"

  xdotool windowfocus --sync "$target"
  xdotool type --delay 20 "abc"
  sleep 0.5
  [ "$(typed_count)" -gt "$before" ] || fail "keys did not arrive after unlocking"
done
echo "PASS: keys blocked while locked, delivered after the unlock button"
