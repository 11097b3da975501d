#!/usr/bin/env bash
# The usage quota's token sources against a real gnome-keyring on a private session bus with a temporary home:
# the assistant's credentials item, stored by another program as hexadecimal text, gives the token.
set -euo pipefail
build_dir="${TAVIMOR_BUILD_DIR:?TAVIMOR_BUILD_DIR must name the build directory}"
test_binary="$build_dir/tests/tst_UsageTokenSources"
[ -x "$test_binary" ] || { echo "FAIL: $test_binary is not built" >&2; exit 1; }
for tool in dbus-run-session gnome-keyring-daemon secret-tool gdbus timeout; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
done

if [ -z "${TAVIMOR_PRIVATE_SESSION:-}" ]; then
  work="$(mktemp -d /tmp/tavimor-usage-tokens.XXXXXX)"
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/data" "$work/config" "$work/cache" "$work/runtime" && chmod 700 "$work/runtime"
  HOME="$work" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
    XDG_RUNTIME_DIR="$work/runtime" TAVIMOR_PRIVATE_SESSION=1 \
    timeout --kill-after=10 180 dbus-run-session -- bash "$0" "$@"
  exit $?
fi

printf "%s" "tavimor-test-password" \
  | gnome-keyring-daemon --foreground --unlock --components=secrets >"$HOME/keyring.out" 2>&1 &
keyring_pid=$!
trap 'kill "$keyring_pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner org.freedesktop.secrets 2>/dev/null | grep -q true && break
  sleep 0.1
done
credentials='{"claudeAiOauth": {"accessToken": "keyring-token", "refreshToken": "r"}}'
printf "0x%s\n" "$(printf "%s" "$credentials" | od -An -v -tx1 | tr -d ' \n')" \
  | secret-tool store --label="Claude Code-credentials" service "Claude Code-credentials" account someone
TAVIMOR_USAGE_KEYRING_TEST=1 QT_QPA_PLATFORM=offscreen "$test_binary" realKeyring
