# Sourced by the integration scripts and the benchmarks: a throw-away home, private buses, Xvfb, the panel's
# tabs, and waiting for a condition. Everything started is recorded in `pids` and stopped, newest first, when
# the script ends.
work="$(mktemp -d)"
pids=()
stop_from() { # index of the first process to stop
  for ((i = ${#pids[@]} - 1; i >= $1; i--)); do kill "${pids[i]}" 2>/dev/null || true; wait "${pids[i]}" 2>/dev/null || true; done
  pids=("${pids[@]:0:$1}")
}
trap 'exec 7>&- 2>/dev/null || true; stop_from 0; rm -rf "$work"' EXIT

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
fresh_home() { # empty home and XDG directories, as at the start
  rm -rf "$HOME" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  mkdir -p "$HOME" "$XDG_CONFIG_HOME/Tavimor" "$XDG_STATE_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}
fresh_home
log="$XDG_STATE_HOME/Tavimor/tavimor.log"
failures=0

require_tools() { # exits 77 (skipped) unless every tool is installed
  for tool in "$@"; do command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }; done
}

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    ((SECONDS <= deadline)) || return 1
    sleep 0.05
  done
}
not_() { ! "$@"; }

check() { # description, then the command that must succeed
  local what="$1"; shift
  "$@" || { echo "FAIL: $what"; failures=$((failures + 1)); }
}
fail() { echo "FAIL: $*"; [ ! -f "$work/app.log" ] || sed 's/^/  tavimor: /' "$work/app.log"; exit 1; }
finish() { # the exit status of a script that ran its checks
  grep -q 'qrc:/Views' "$work/app.log" 2>/dev/null && check "the views load without a QML warning" false
  [ "$failures" -eq 0 ] || fail "$failures check(s) failed"
}

# Two private buses stand in for the session and the system bus; the user's own are never touched.
private_buses() {
  for bus in session system; do
    dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/$bus.pid" >"$work/$bus.address"
    pids+=("$(cat "$work/$bus.pid")")
  done
  export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$work/session.address")"
  export DBUS_SYSTEM_BUS_ADDRESS="$(head -1 "$work/system.address")"
}

start_x() { # WIDTHxHEIGHT, extra Xvfb arguments
  rm -f "$work/display"
  notch_x="$((${1%x*} / 2))" # the notch's centre: the middle of the screen, or of its first monitor
  Xvfb -displayfd 5 -screen 0 "${1}x24" -nolisten tcp "${@:2}" 5>"$work/display" 2>/dev/null &
  pids+=($!)
  wait_for 10 test -s "$work/display" || { echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=":$(head -1 "$work/display")"
}
start_compositor() { xcompmgr 2>/dev/null & compositor_pid=$!; pids+=($!); sleep 0.3; }
desktop() { private_buses; start_x "$@"; start_compositor; } # the usual set-up: buses, X screen, compositor
has_owner() { # whether the well-known name $1 is on the session bus
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}
start_keyring() { # an unlocked secret service on the session bus
  printf secret | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null 2>&1 &
  pids+=($!)
  wait_for 10 has_owner org.freedesktop.secrets || fail "gnome-keyring did not start"
}

# Preferences past onboarding, then "key type json-value" triples: prefs appearanceMode text '"dark"'.
prefs() {
  local values='"tavimor.onboarding.completed": {"type": "bool", "value": true}'
  while (($# >= 3)); do values+=", \"tavimor.$1\": {\"type\": \"$2\", \"value\": $3}"; shift 3; done
  echo "{\"format\": \"tavimor-preferences\", \"version\": 1, \"values\": {$values}}" >"$XDG_CONFIG_HOME/Tavimor/preferences.json"
}
launch() { # the application in the background, its output in $work/app.log; waits for its panel
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$app" >>"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
  wait_for 20 xdotool search --onlyvisible --name '^Tavimor$' || fail "no notch panel on screen"
  sleep 1
}
shot() { [ -z "${TAVIMOR_SCREENSHOT_DIR:-}" ] || import -window root "$TAVIMOR_SCREENSHOT_DIR/$1.png"; }

# What the application's windows show, as its accessibility tree tells: one "role<TAB>name<TAB>x y w h" line per
# object on screen. launch starts the application with accessibility on.
shown() { /usr/bin/python3 "${BASH_SOURCE[0]%/*}/a11y_tree.py" "$app_pid"; }
texts_shown() { local tree; tree="$(shown)" && cut -f2 <<<"$tree"; }
shows_text() { local texts; texts="$(texts_shown)" && grep -qxF -- "$1" <<<"$texts"; } # exactly $1 on screen
# The open panel's tabs, found by the name each shows (its tooltip and accessible name).
declare -A tab_names=([daily]=Daily [system]=Sistema [music]=Música [audio]=Áudio [devices]=Dispositivos
  [notes]=Notas [break]=Pausas [shelf]=Shelf [caffeinate]=Caffeinate [servers]=Servidores [usage]=Uso)
tab_at() { # widget id; prints the centre of its tab
  local name="${tab_names[$1]:-}"
  [ -n "$name" ] || { echo "no tab $1" >&2; return 1; }
  local tree
  tree="$(shown)" || return 1
  awk -F'\t' -v name="$name" '$1 == "page tab" && $2 == name {
    split($3, e, " "); print e[1] + int(e[3] / 2), e[2] + int(e[4] / 2); found = 1; exit } END { exit !found }' \
    <<<"$tree" || { echo "no tab shows $name" >&2; return 1; }
}
open_panel() { xdotool mousemove "$notch_x" 10; sleep 0.3; xdotool mousemove "$notch_x" 150; sleep 0.8; }
close_panel() { xdotool mousemove "$notch_x" 700; sleep 1.2; }
click_tab() { # widget id; the panel is open
  local at deadline=$((SECONDS + 5))
  until at="$(tab_at "$1" 2>/dev/null)"; do
    ((SECONDS <= deadline)) || { shown >&2 || true; fail "no tab $1 on the open panel"; }
    sleep 0.1
  done
  xdotool mousemove $at click 1
  sleep 0.6
}
