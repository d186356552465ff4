#!/bin/bash
# The program on a real X display with the accessibility bus of a D-Bus
# session of its own, driven by accessibility_flows.py as a screen reader
# drives it. Usage: accessibility_test.sh <Pendulix executable>
# Exits 77 (skipped) only when the X server cannot start.
set -u
EXE=$1
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
PROG=$WORK/program
mkdir -p "$PROG" "$WORK/runtime"
chmod 700 "$WORK/runtime"
cp "$EXE" "$PROG/"
exec 3> "$WORK/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill $XVFB 2>/dev/null; rm -rf "$WORK"' EXIT
deadline=$((SECONDS + 120))
until [ -s "$WORK/display" ] || [ "$SECONDS" -ge "$deadline" ] || ! kill -0 $XVFB 2>/dev/null; do
    sleep 0.1
done
[ -s "$WORK/display" ] || { echo "SKIP: Xvfb cannot start here"; exit 77; }
export DISPLAY=:$(head -n1 "$WORK/display")
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$WORK/runtime
# Qt speaks to the accessibility bus whether or not a screen reader asked for it.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The system's Python, which has the bindings of the bus.
PYTHON=/usr/bin/python3
"$PYTHON" "$HERE/accessibility_flows.py" write "$PROG" || exit 1
dbus-run-session -- bash -c '
    "$1" > "$2/pendulix.log" 2>&1 &
    program=$!
    "$3" "$4" run "$5"
    status=$?
    kill $program 2>/dev/null
    wait $program 2>/dev/null
    [ $status -eq 0 ] || { echo "---- the program'"'"'s output"; cat "$2/pendulix.log"; }
    exit $status
' flows "$PROG/$(basename "$EXE")" "$WORK" "$PYTHON" "$HERE/accessibility_flows.py" "$PROG" 2>&1 |
    grep -v 'fd limit\|dbus-daemon\[\|SpiRegistry daemon'
exit "${PIPESTATUS[0]}"
