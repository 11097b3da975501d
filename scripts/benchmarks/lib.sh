# Sourced by the benchmark scripts: the integration tests' throw-away home, private buses, X server and panel
# tabs, and the figures every benchmark reads from /proc.
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/tests/integration/lib.sh"
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ {n += $2} END {print n}'; }
