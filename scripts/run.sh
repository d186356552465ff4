#!/bin/sh
# Builds Pendulix and runs it; without a display it runs on the offscreen
# platform so the scheduler still works on a headless machine.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup-debian.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --parallel "$(nproc)" --target Pendulix
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    export QT_QPA_PLATFORM=offscreen
fi
exec ./build/Pendulix
