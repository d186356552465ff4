#!/bin/bash
# The program with the accessibility bus of a D-Bus session of its own,
# driven by accessibility_flows.py as a screen reader drives it. Runs on the
# X display under_xvfb.sh gives it.
# Usage: under_xvfb.sh accessibility_test.sh <Pendulix executable>
set -u
EXE=$1
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
PROG=$WORK/program
mkdir -p "$PROG" "$WORK/runtime"
chmod 700 "$WORK/runtime"
cp "$EXE" "$PROG/"
trap 'rm -rf "$WORK"' EXIT
export XDG_RUNTIME_DIR=$WORK/runtime
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
