#!/bin/bash
# Runs a command on an X display of its own (Xvfb), with Qt's xcb platform.
# Exits 77 (skipped) only when the X server cannot start.
set -u
WORK=$(mktemp -d)
exec 3> "$WORK/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill $XVFB 2>/dev/null; rm -rf "$WORK"' EXIT
# Xvfb names its display once it accepts clients. On a loaded machine that
# can take seconds: a short bound would skip the tests for nothing.
deadline=$((SECONDS + 120))
until [ -s "$WORK/display" ] || [ "$SECONDS" -ge "$deadline" ] || ! kill -0 $XVFB 2>/dev/null; do
    sleep 0.1
done
[ -s "$WORK/display" ] || { echo "SKIP: Xvfb cannot start here"; exit 77; }
export DISPLAY=:$(head -n1 "$WORK/display")
export QT_QPA_PLATFORM=xcb
"$@"
