#!/usr/bin/env bash
# The usage quota's figure: the seeded fuzzing of the endpoint's JSON reader, the token extraction and the reset
# time reader, FUZZ_INPUTS inputs (1,000,000 by default). Usage: usage.sh <build-dir>
set -euo pipefail
build_dir="${1:?usage: usage.sh <build-dir>}"
inputs="${FUZZ_INPUTS:-1000000}"
start=$(date +%s%N)
output="$(TAVIMOR_FUZZ_ITERATIONS="$inputs" ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen \
  "$build_dir/tests/tst_UsageService" fuzzReaders 2>&1)" || { echo "$output"; echo "usage fuzz: FAILED"; exit 1; }
echo "usage fuzz: $(grep -o 'fuzzed .*' <<<"$output"), no crash, $((($(date +%s%N) - start) / 1000000)) ms"
