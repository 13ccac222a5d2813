#!/usr/bin/env bash
# Builds the optimised preset and runs the benchmarks: Google Benchmark's output, then a
# summary table (median and p99 per operation, allocations, Host calls, bytes sent to the
# surface, and whether each meets its target).
# Usage: tools/run-benchmarks.sh [Google Benchmark flags, e.g. --benchmark_filter=OnShortMsg]
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-dependencies
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target korvane_bench -j "$(nproc)"
echo "(The \"Library was built as DEBUG\" warning below is about Debian's build of Google" \
    "Benchmark, not about this code, and does not touch the table's figures: docs/benchmarks.md)"
exec build/linux-release/bench/korvane_bench "$@"
