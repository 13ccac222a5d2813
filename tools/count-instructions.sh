#!/usr/bin/env bash
# Counts the instructions of one plug-in operation at a time under callgrind: a button click
# (press and release), a turn of encoder 3, a move of the touched fader with its echo, a slow
# refresh of an unchanged page, and the composition of that page. Counts are the same on a busy
# machine and a quiet one. Builds the linux-release preset's korvane_instruction_counts.
# Usage: tools/count-instructions.sh
set -euo pipefail
cd "$(dirname "$0")/.."
command -v valgrind >/dev/null || { echo "valgrind is missing: apt-get install valgrind" >&2; exit 1; }
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target korvane_instruction_counts >/dev/null
program=build/linux-release/bench/korvane_instruction_counts
count=2000
out=$(mktemp)
trap 'rm -f "$out"' EXIT

# measure <operation> <function whose inclusive cost counts> <calls per operation>
measure() {
    valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect="$2" \
        "$program" "$1" "$count" >/dev/null 2>&1
    local total
    total=$(sed -n 's/^summary: *//p; s/^totals: *//p' "$out" | head -1)
    echo $((total / count))
}

printf '| operation | instructions |\n|---|---:|\n'
printf '| button click (press and release) | %s |\n' "$(measure button-click 'Korvane::OnShortMsg*')"
printf '| encoder 3 turn, track mode | %s |\n' "$(measure encoder-turn 'Korvane::OnShortMsg*')"
printf '| fader move with echo | %s |\n' "$(measure fader-move 'Korvane::OnShortMsg*')"
printf '| slow refresh, nothing changed | %s |\n' "$(measure slow-refresh 'Korvane::Tick*')"
printf '| page composition, track mode | %s |\n' "$(measure slow-refresh "${KORVANE_COMPOSE_FUNCTION:-ComposePage*}")"
