#!/usr/bin/env bash
# Checks the tables of a Windows build of the plug-in: PE format and machine, the DLL's own
# name, exactly the five undecorated exports, and imports of system DLLs only (the C and C++
# runtimes must be linked in, so the user copies one file).
set -euo pipefail
objdump=${1:?usage: check-dll.sh <cross objdump> <Korvane.cv2> <i686|x86_64>}
dll=${2:?}
processor=${3:?}
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

case "$processor" in
    i686) expected_format="pei-i386" ;;
    x86_64) expected_format="pei-x86-64" ;;
    *) echo "unknown processor $processor" >&2; exit 2 ;;
esac

format=$("$objdump" -f "$dll" | sed -n 's/.*file format \(.*\)$/\1/p')
[ "$format" = "$expected_format" ] || fail "file format '$format', expected '$expected_format'"

tables=$("$objdump" -p "$dll")

name=$(awk '/^Name[ \t]/ {print $NF; exit}' <<<"$tables")
[ "$name" = "Korvane.cv2" ] || fail "export table names the DLL '$name', expected 'Korvane.cv2'"

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && NF==0 {on=0} on {print $NF}' \
    <<<"$tables" | sort | tr '\n' ' ' | sed 's/ $//')
expected_exports="CloseController ConfigureController OpenController QueryController UpdateController"
[ "$exports" = "$expected_exports" ] || fail "exports '$exports', expected '$expected_exports'"

imports=$(sed -n 's/^[ \t]*DLL Name: //p' <<<"$tables" | sort -f | tr '\n' ' ' | sed 's/ $//')
for import in $imports; do
    case "${import,,}" in
        kernel32.dll | user32.dll | winmm.dll | advapi32.dll | msvcrt.dll) ;;
        *) fail "imports $import, which is not a system DLL" ;;
    esac
done

if [ "$failed" -ne 0 ]; then
    exit 1
fi
echo "$dll: $format, named $name, exports: $exports; imports: $imports"
