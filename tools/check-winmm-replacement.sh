#!/usr/bin/env bash
# Checks that the replacement winmm.dll of the Windows tests exports every winmm function the
# plug-in imports. Wine binds a missing one to a stub that crashes only when it is called.
set -euo pipefail
usage="usage: check-winmm-replacement.sh <cross objdump> <Korvane.cv2> <winmm.dll>"
objdump=${1:?$usage}
plugin=${2:?$usage}
replacement=${3:?$usage}

imported=$("$objdump" -p "$plugin" |
    awk 'tolower($0) ~ /dll name: winmm\.dll/ {on=1; getline; next} on && NF==0 {on=0} on {print $NF}' |
    sort)
tables=$("$objdump" -p "$replacement")
exported=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && NF==0 {on=0} on {print $NF}' \
    <<<"$tables" | sort)
name=$(awk '/^Name[ \t]/ {print $NF; exit}' <<<"$tables")

failed=0
[ "${name,,}" = "winmm.dll" ] || { echo "FAIL: the replacement is named '$name'" >&2; failed=1; }
[ -n "$imported" ] || { echo "FAIL: $plugin imports nothing from winmm.dll" >&2; failed=1; }
missing=$(comm -23 <(echo "$imported") <(echo "$exported"))
if [ -n "$missing" ]; then
    echo "FAIL: the replacement lacks: $(echo $missing)" >&2
    failed=1
fi
[ "$failed" -eq 0 ] || exit 1
echo "$replacement exports all $(wc -l <<<"$imported") winmm functions $plugin imports"
