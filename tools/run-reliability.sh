#!/usr/bin/env bash
# The reliability runs, with their figures: the whole unit and integration suite under the
# address and undefined-behaviour sanitizers (the fault cases among them), the thread stress
# and the Hosts with threads of their own under the thread sanitizer, and a bounded fuzz run of
# each fuzz mode. Fails when any of them does.
# Usage: tools/run-reliability.sh [fuzz seconds per mode, default 30]
# KORVANE_STRESS_MESSAGES (default 1000000) and KORVANE_STRESS_CYCLES (100) scale the stress.
set -euo pipefail
cd "$(dirname "$0")/.."
fuzz_seconds=${1:-30}
jobs=$(nproc)
section() { printf '\n==== %s ====\n' "$*"; }
build_preset() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$jobs"
}

section "Unit and integration suite under the address and undefined-behaviour sanitizers"
build_preset linux-asan
ctest --preset linux-asan -j "$jobs"
faults=$(build/linux-asan/tests/controller/reliability_tests --gtest_brief=1 2>&1 |
    sed -n 's/^\[==========\] \([0-9]*\) tests.*ran.*/\1/p')

section "Thread stress under the thread sanitizer"
build_preset linux-tsan
stress_log=build/linux-tsan/stress.log
status=0
KORVANE_STRESS_MESSAGES=${KORVANE_STRESS_MESSAGES:-1000000} \
    KORVANE_STRESS_CYCLES=${KORVANE_STRESS_CYCLES:-100} \
    build/linux-tsan/tests/controller/stress_tests >"$stress_log" 2>&1 || status=$?
# The Hosts as real ones behave, at a larger scale than in the suite.
KORVANE_HOST_FLOOD_PRESSES=${KORVANE_HOST_FLOOD_PRESSES:-3000} \
    KORVANE_HOST_CLOSE_CYCLES=${KORVANE_HOST_CLOSE_CYCLES:-100} \
    build/linux-tsan/tests/controller/host_threads_tests >>"$stress_log" 2>&1 || status=$?
races=$(grep -c "WARNING: ThreadSanitizer" "$stress_log" || true)
grep "^stress\|^host" "$stress_log"
echo "stress: race reports $races"
if [ "$status" -ne 0 ] || [ "$races" -ne 0 ]; then
    echo "stress: FAILED (exit status $status); the end of $stress_log:" >&2
    tail -60 "$stress_log" >&2
    exit 1
fi

section "Bounded fuzz run"
tools/run-fuzz.sh "$fuzz_seconds"

section "Reliability figures"
echo "fault cases tried and survived (address/undefined build): $faults"
grep "^stress\|^host" "$stress_log"
echo "stress: race reports $races"
cat build/fuzz/fuzz.summary
