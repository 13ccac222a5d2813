#!/usr/bin/env bash
# Runs the CTest tests of a Windows build folder under Wine: build/win32 (the 32-bit product)
# under 32-bit Wine in a 32-bit prefix, build/win64 under wine64. The loader, the prefix and
# Wine's settings come from the build's wine-tests.env (written by CMake). The prefix is
# made afresh, one wineserver serves the whole run, and a virtual X display of its own serves
# the settings dialog (the display exists before Wine starts: a wineserver started without
# one never shows a dialog). Extra arguments go to ctest.
# Usage: tools/run-windows-tests.sh <build/win32 | build/win64> [ctest arguments...]
set -euo pipefail
usage="usage: tools/run-windows-tests.sh <build/win32 | build/win64> [ctest arguments...]"
build=$(realpath -m "${1:?$usage}")
shift
environment="$build/wine-tests.env"
if [ ! -f "$build/CTestTestfile.cmake" ] || [ ! -f "$environment" ]; then
    preset=$(basename "$build")
    echo "no Windows build in $build: cmake --preset $preset && cmake --build --preset $preset" >&2
    exit 1
fi

while IFS='=' read -r name value; do
    case "$name" in
        KORVANE_WINE_LOADER) wine=$value ;;
        WINEARCH | WINEPREFIX | WINEDEBUG | WINEDLLOVERRIDES) export "$name=$value" ;;
        '' | '#'*) ;;
        *) echo "$environment: unknown setting $name" >&2; exit 1 ;;
    esac
done <"$environment"
wineserver=/usr/lib/wine/wineserver
: "${wine:?$environment names no Wine loader}"
for tool in "$wine" "$wineserver" /usr/bin/xvfb-run /usr/bin/import; do
    if [ ! -x "$tool" ]; then
        echo "$tool is missing: run tools/install-dependencies" >&2
        exit 1
    fi
done
# The 32-bit loader is an i386 program: without the emulation it cannot even print its version.
if ! version=$("$wine" --version 2>&1); then
    echo "$wine cannot run: $version" >&2
    echo "The $WINEARCH tests need 32-bit Wine under qemu's user-mode emulator, registered with" \
        "binfmt_misc: run tools/install-wine32 as root (tools/install-dependencies calls it)." >&2
    exit 1
fi

# The display is private to the run and open to every client (-ac): the X tool that the dialog
# test starts through Wine for its screenshot does not always get the display's cookie.
if [ -z "${KORVANE_WINDOWS_TESTS_DISPLAY:-}" ]; then
    export KORVANE_WINDOWS_TESTS_DISPLAY=1
    exec /usr/bin/xvfb-run -a -s "-screen 0 800x600x24 -ac" "$0" "$build" "$@"
fi

# Wine wants a home; CI may run without one.
export HOME="${HOME:-$build}"
prefix_start=$SECONDS
rm -rf "$WINEPREFIX"
trap '"$wineserver" -k >/dev/null 2>&1 || true; "$wineserver" -w || true' EXIT
"$wine" wineboot -i >/dev/null 2>&1
# Windows as the user sees them: drawn by Wine with their title bar, not by a window manager.
for value in Decorated Managed; do
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v "$value" /t REG_SZ /d N /f >/dev/null 2>&1
done
"$wineserver" -w
# Prepare the prefix, then keep one server running: each test then starts in well under a
# second.
"$wineserver" -p
"$wine" wineboot >/dev/null 2>&1
echo "Wine prefix ($WINEARCH, $wine) ready in $((SECONDS - prefix_start)) s"
ctest --test-dir "$build" --output-on-failure "$@"
