#!/usr/bin/env bash
# Runs the fuzz target for a bounded time in each of its two modes (default 30 s each):
# - threaded, with the bus and the devices' workers on threads of their own as on the
#   platform, built with the address and undefined-behaviour sanitizers (build/fuzz);
# - single-threaded, with the bus and the workers on the fuzzer's own thread, the same way every
#   time, built with the undefined-behaviour sanitizer only (build/fuzz-fast): without the
#   address sanitizer's allocator a session costs a fraction, so this mode covers many more
#   sessions a second.
# Both start from the seed corpus fuzz/corpus plus what earlier runs found (build/fuzz/corpus).
# Prints the figures of each mode and fails when a run finds anything: a crash, a sanitizer
# report, a leak, a time-out or one of the target's own checks (a finding is kept in
# build/fuzz/findings).
# Usage: tools/run-fuzz.sh [seconds per mode]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
found=build/fuzz/corpus
findings=build/fuzz/findings

# build <folder> <sanitizers>
build() {
    CC=clang CXX=clang++ cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKORVANE_FUZZ=ON -DKORVANE_FUZZ_SANITIZERS="$2" -DKORVANE_TESTS=OFF \
        -DKORVANE_WERROR=ON >/dev/null
    cmake --build "$1" --target korvane_fuzz -j "$(nproc)"
}
build build/fuzz address,undefined
build build/fuzz-fast undefined

mkdir -p "$found"
rm -rf "$findings"
mkdir -p "$findings"
summary=build/fuzz/fuzz.summary
rm -f "$summary"

# run <mode name> <KORVANE_FUZZ_SINGLE_THREADED value> <build folder> <sanitizers>
run() {
    local mode=$1 log=build/fuzz/fuzz-$1.log status=0
    # New inputs go into the first folder only: the seeds in the repository stay as they are.
    KORVANE_FUZZ_SINGLE_THREADED=$2 "$3/korvane_fuzz" "$found" fuzz/corpus \
        -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?
    stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -1; }
    local finding_count last
    finding_count=$(find "$findings" -type f | wc -l)
    # The last status line: coverage and the corpus as libFuzzer keeps it (seeds and finds).
    last=$(grep -a -E '^#[0-9]+' "$log" | tail -1)
    field() { sed -n "s/.* $1: \([^ ]*\).*/\1/p" <<<"$last"; }
    echo "fuzz ($mode, $4): $(stat number_of_executed_units) executions in $seconds s" \
         "($(stat average_exec_per_sec) per second), corpus $(field corp) (inputs/bytes)," \
         "coverage $(field cov) edges, peak $(stat peak_rss_mb) MB, findings $finding_count" |
        tee -a "$summary"
    if [ "$status" -ne 0 ] || [ "$finding_count" -ne 0 ]; then
        echo "fuzz: FINDING in the $mode mode (exit status $status); the end of $log:" >&2
        tail -40 "$log" >&2
        exit 1
    fi
}

run threaded 0 build/fuzz address+undefined
run single-threaded 1 build/fuzz-fast undefined
