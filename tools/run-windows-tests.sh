#!/usr/bin/env bash
# Runs the CTest tests of a Windows build folder (default build/win64) under wine64, with a
# throw-away prefix, one persistent wineserver for the whole run, and a virtual X display of
# its own for the settings dialog (the display exists before Wine starts: a wineserver started
# without one never shows a dialog). Extra arguments go to ctest.
# Usage: tools/run-windows-tests.sh [build folder] [ctest arguments...]
set -euo pipefail
build=$(realpath -m "${1:-build/win64}")
shift || true
if [ ! -f "$build/CTestTestfile.cmake" ]; then
    echo "no Windows build in $build: cmake --preset win64 && cmake --build --preset win64" >&2
    exit 1
fi
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
for tool in "$wine" "$wineserver" /usr/bin/xvfb-run /usr/bin/import; do
    if [ ! -x "$tool" ]; then
        echo "$tool is missing: run tools/install-dependencies (wine64, xvfb, xauth, imagemagick)" >&2
        exit 1
    fi
done

# The display is private to the run and open to every client (-ac): the X tool that the dialog
# test starts through Wine for its screenshot does not always get the display's cookie.
if [ -z "${KORVANE_WINDOWS_TESTS_DISPLAY:-}" ]; then
    export KORVANE_WINDOWS_TESTS_DISPLAY=1
    exec /usr/bin/xvfb-run -a -s "-screen 0 800x600x24 -ac" "$0" "$build" "$@"
fi

export WINEPREFIX="$build/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winealsa.drv=d;winedbg.exe=d"
# Wine wants a home; CI may run without one.
export HOME="${HOME:-$build}"
rm -rf "$WINEPREFIX"
trap '"$wineserver" -k >/dev/null 2>&1 || true; "$wineserver" -w || true' EXIT
"$wine" wineboot -i >/dev/null 2>&1
# Windows as the user sees them: drawn by Wine with their title bar, not by a window manager.
for value in Decorated Managed; do
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v "$value" /t REG_SZ /d N /f >/dev/null 2>&1
done
"$wineserver" -w
# Prepare the prefix, then keep one server running: each test then starts in ~0.1 s.
"$wineserver" -p
"$wine" wineboot >/dev/null 2>&1
ctest --test-dir "$build" --output-on-failure "$@"
