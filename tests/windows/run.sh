#!/bin/bash
# Builds the Windows layer's primitives and their tests with the MinGW-w64
# cross compiler and runs them under Wine, in a Wine prefix of their own.
# Usage: tests/windows/run.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${1:-build-windows}

for tool in x86_64-w64-mingw32-g++-posix wine wineserver; do
    if ! command -v "$tool" >/dev/null; then
        echo "Windows layer: SKIPPED, $tool is missing (scripts/setup-debian.sh --windows installs it)"
        exit 0
    fi
done
if [ ! -f /usr/src/googletest/CMakeLists.txt ]; then
    echo "Windows layer: SKIPPED, GoogleTest's sources are missing (Debian package googletest)"
    exit 0
fi

WORK=$(mktemp -d)
export WINEPREFIX=$WORK/prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
FULL=""
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -z "$FULL" ] || umount "$FULL" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WINEPREFIX"
# A running server makes every start after the first one cheap.
# (Its output goes nowhere: a server holding our pipe would hold a caller.)
wineserver -p >/dev/null 2>&1 </dev/null
wine wineboot --init >/dev/null 2>&1 || true
# No display here: the null driver gives the desktop window at once, where
# the X11 one waits seconds for a display that never comes.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 || true

# A 64 KiB drive for the disk-full case, where we may mount.
if [ "$(id -u)" -eq 0 ] && mkdir -p "$WORK/full" &&
   mount -t tmpfs -o size=64k tmpfs "$WORK/full" 2>/dev/null; then
    FULL=$WORK/full
    ln -s "$FULL" "$WINEPREFIX/dosdevices/f:"
    export PENDULIX_FULL_DRIVE=F:
else
    echo "Windows layer: the disk-full case is skipped (mounting a small tmpfs needs root)"
fi

# The Qt adapter itself cannot be built here (Qt for Windows is no Debian
# package), but it is compiled for syntax and warnings against Qt's own
# headers, which take the Windows side with this compiler.
QT_HEADERS=$(find /usr/include -maxdepth 2 -type d -name qt6 2>/dev/null | head -n 1)
if [ -n "$QT_HEADERS" ]; then
    x86_64-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror \
        -DUNICODE -DNOMINMAX -Isrc -isystem "$QT_HEADERS" -isystem "$QT_HEADERS/QtCore" \
        src/platform/platform_win.cpp src/platform/keptrunwatch.cpp
    echo "Windows layer: the Qt adapter compiles for Windows (syntax and warnings)"
fi

cmake -S tests/windows -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$BUILD" --parallel "$(nproc)"
(cd "$BUILD" && ctest --output-on-failure -V)
