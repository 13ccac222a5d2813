#!/usr/bin/env bash
# Runs the CTest tests of a Windows build folder (default build/win64) under wine64, with a
# throw-away prefix and one persistent wineserver for the whole run.
set -euo pipefail
build=$(realpath "${1:-build/win64}")
shift || true
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
if [ ! -x "$wine" ]; then
    echo "wine64 is missing ($wine): install the wine64 package" >&2
    exit 1
fi
export WINEPREFIX="$build/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winealsa.drv=d;winedbg.exe=d"
rm -rf "$WINEPREFIX"
# Prepare the prefix, then keep one server running: each test then starts in ~0.1 s.
"$wine" wineboot -i >/dev/null 2>&1
"$wineserver" -w
"$wineserver" -p
"$wine" wineboot >/dev/null 2>&1
trap '"$wineserver" -k >/dev/null 2>&1 || true; "$wineserver" -w || true' EXIT
ctest --test-dir "$build" --output-on-failure "$@"
