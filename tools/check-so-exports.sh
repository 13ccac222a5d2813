#!/usr/bin/env bash
# Checks that a Linux build of the plug-in exports exactly the five entry points.
set -euo pipefail
library=${1:?usage: check-so-exports.sh libkorvane.so}
expected="CloseController ConfigureController OpenController QueryController UpdateController"
actual=$(nm -D --defined-only "$library" | awk '{print $NF}' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
    echo "exports of $library: '$actual'" >&2
    echo "expected exactly:    '$expected'" >&2
    exit 1
fi
echo "$library exports exactly: $actual"
