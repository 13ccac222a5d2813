#!/usr/bin/env bash
# Builds the fuzz target with clang in build/fuzz and runs it for a bounded time (default 60 s)
# on the seed corpus fuzz/corpus plus what earlier runs found (build/fuzz/corpus). Prints the
# figures and fails when the run finds anything: a crash, a sanitizer report, a leak, a
# time-out or one of the target's own checks (a finding is kept in build/fuzz/findings).
# Usage: tools/run-fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build/fuzz
found=$build/corpus
findings=$build/findings

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORVANE_FUZZ=ON -DKORVANE_TESTS=OFF -DKORVANE_WERROR=ON >/dev/null
cmake --build "$build" --target korvane_fuzz -j "$(nproc)"

mkdir -p "$found"
rm -rf "$findings"
mkdir -p "$findings"
log=$build/fuzz.log
status=0
# New inputs go into the first folder only: the seeds in the repository stay as they are.
"$build/korvane_fuzz" "$found" fuzz/corpus -max_total_time="$seconds" -max_len=4096 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?

stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -1; }
finding_count=$(find "$findings" -type f | wc -l)
# The last status line: coverage and the corpus as libFuzzer keeps it (seeds and finds).
last=$(grep -a -E '^#[0-9]+' "$log" | tail -1)
field() { sed -n "s/.* $1: \([^ ]*\).*/\1/p" <<<"$last"; }
echo "fuzz: $(stat number_of_executed_units) executions in $seconds s" \
     "($(stat average_exec_per_sec) per second), corpus $(field corp) (inputs/bytes)," \
     "coverage $(field cov) edges, peak $(stat peak_rss_mb) MB, findings $finding_count" |
    tee "$build/fuzz.summary"
if [ "$status" -ne 0 ] || [ "$finding_count" -ne 0 ]; then
    echo "fuzz: FINDING (exit status $status); the end of $log:" >&2
    tail -40 "$log" >&2
    exit 1
fi
