#!/usr/bin/env bash
# Checks the tables of a Windows build of the plug-in: PE format and machine, the DLL's own
# name, exactly the five undecorated exports, imports of system DLLs only (the C and C++
# runtimes must be linked in, so the user copies one file), and the resources the Host and the
# user see: the settings dialog template 1000 and the version record.
set -euo pipefail
usage="usage: check-dll.sh <cross objdump> <cross windres> <Korvane.cv2> <i686|x86_64>"
objdump=${1:?$usage}
windres=${2:?$usage}
dll=${3:?$usage}
processor=${4:?$usage}
root=$(cd "$(dirname "$0")/.." && pwd)
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
# The lines of the first list that are missing from the second, in order.
expect_lines() {
    local what=$1 expected=$2 actual=$3 line
    while IFS= read -r line; do
        grep -qxF -- "$line" <<<"$actual" || fail "$what: no line '$line'"
    done <<<"$expected"
}

case "$processor" in
    i686) expected_format="pei-i386" expected_magic="010b" ;;
    x86_64) expected_format="pei-x86-64" expected_magic="020b" ;;
    *) echo "unknown processor $processor" >&2; exit 2 ;;
esac

format=$("$objdump" -f "$dll" | sed -n 's/.*file format \(.*\)$/\1/p')
[ "$format" = "$expected_format" ] || fail "file format '$format', expected '$expected_format'"

tables=$("$objdump" -p "$dll")

magic=$(awk '/^Magic[ \t]/ {print $2; exit}' <<<"$tables")
[ "$magic" = "$expected_magic" ] || fail "optional header magic '$magic', expected '$expected_magic'"
grep -qx $'\tDLL' <<<"$tables" || fail "the image is not marked as a DLL"

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

# The resources as the resource compiler reads them back, one statement per line.
resources=$("$windres" -i "$dll" -O rc 2>/dev/null | sed 's/^[ \t]*//') ||
    fail "the resources cannot be read"

dialog=$(sed -n '/^1000 DIALOGEX /,/^END$/p' <<<"$resources")
if [ -z "$dialog" ]; then
    fail "no dialog template 1000"
else
    expect_lines "dialog 1000" '1000 DIALOGEX 0, 0, 377, 258
CAPTION "Korvane User Settings"
FONT 8, "MS Sans Serif"
CONTROL "OK", 1, "BUTTON", 0x50010001, 254, 237, 50, 14
CONTROL "Cancel", 2, "BUTTON", 0x50010000, 320, 237, 50, 14' "$dialog"
    # A modal frame with caption and system menu, as a popup.
    style=$(sed -n 's/^STYLE //p' <<<"$dialog")
    (((style & 0x80C80080) == 0x80C80080)) || fail "dialog 1000 style '$style'"
    # The fifteen drop-down lists in tab order: sorted, with an edit field, a vertical
    # scroll bar and a tab stop.
    lists=$(awk -F', ' '/^CONTROL "", [0-9]+, "COMBOBOX"/ {print $2 " " $4}' <<<"$dialog" |
        tr '\n' ' ' | sed 's/ $//')
    expected_lists=""
    for id in 1000 1001 1002 1003 1004 1005 1006 1007 1008 1009 1012 1013 1014 1015 1016; do
        expected_lists+="$id 0x50210102 "
    done
    [ "$lists" = "${expected_lists% }" ] || fail "dialog 1000 lists '$lists'"
fi

version=$(sed -n 's/^#define KORVANE_VERSION_TEXT "\(.*\)"$/\1/p' "$root/src/resources/version.h")
version_record=$(sed -n '/^1 VERSIONINFO$/,/^END$/p' <<<"$resources")
if [ -z "$version_record" ]; then
    fail "no version record"
else
    expect_lines "version record" "FILEVERSION ${version//./, }, 0
FILETYPE 0x2
VALUE \"FileVersion\", \"$version\"
VALUE \"OriginalFilename\", \"Korvane.cv2\"
VALUE \"ProductName\", \"Korvane\"" "$version_record"
fi

if [ "$failed" -ne 0 ]; then
    exit 1
fi
echo "$dll: $format (magic $magic), named $name, exports: $exports; imports: $imports;" \
    "dialog 1000 with 15 lists; version $version"
