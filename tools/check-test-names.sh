#!/usr/bin/env bash
# Fails when a GoogleTest program has parameterised cases named only by their index: such a
# case has no name generator, and its CTest name carries nothing a reader could select.
# Usage: tools/check-test-names.sh PROGRAM...
set -euo pipefail
status=0
for program in "$@"; do
    # The list shows a suite per line and its tests indented; a parameterised case carries a
    # "# GetParam() = ..." comment after its name.
    unnamed=$("$program" --gtest_list_tests | awk '
        /^[^ ]/ { suite = $1 }
        /^  .*# GetParam\(\)/ && $1 ~ /\/[0-9]+$/ { print "  " suite $1 }')
    if [ -n "$unnamed" ]; then
        echo "FAIL: $(basename "$program") has parameterised cases without a name generator:"
        echo "$unnamed"
        status=1
    fi
done
if [ "$status" -eq 0 ]; then
    echo "every parameterised case of the $# test programs has a name"
fi
exit "$status"
