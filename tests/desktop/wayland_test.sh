#!/bin/bash
# The real program on a Wayland compositor: Weston's headless backend, a
# session bus of its own with the accessibility bus, Qt's wayland platform,
# (--debug: its screenshots are allowed), and no tray host (a Wayland session has none unless its panel gives one).
# It starts, shows its window, runs an entry at its minute, stays reachable
# after "Réduire", and a second start shows it again.
# Usage: wayland_test.sh <Pendulix executable> <folder for screenshots>
# Exits 77 (skipped) only when Weston or Qt's wayland platform is missing
# or the compositor cannot start.
set -u
EXE=$1
SHOTS=$2
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/steps.sh"
fail() {
    echo "FAIL: $*"
    echo "---- weston's output"
    tail -n 20 "$WORK/weston.log" 2>/dev/null
    echo "---- the program's output"
    cat "$WORK/pendulix.log" 2>/dev/null
    echo "---- the program's windows on the accessibility bus"
    ui windows
    exit 1
}

command -v weston >/dev/null || { echo "SKIP: weston is missing (the setup script installs it)"; exit 77; }
QT_PLUGINS=$(find /usr/lib -path '*qt6/plugins/platforms/libqwayland-generic.so' 2>/dev/null | head -n1)
[ -n "$QT_PLUGINS" ] || { echo "SKIP: Qt's wayland platform is missing (qt6-wayland)"; exit 77; }

# The compositor, in a runtime folder of the test's own.
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY
weston --backend=headless-backend.so --use-pixman --debug --width=1024 --height=768 --idle-time=0 \
       --socket=wayland-pendulix >"$WORK/weston.log" 2>&1 &
PIDS+=($!)
WESTON=$!
compositor() { test -S "$XDG_RUNTIME_DIR/wayland-pendulix" || ended "$WESTON"; }
waitfor 60 compositor
test -S "$XDG_RUNTIME_DIR/wayland-pendulix" || { echo "SKIP: weston cannot start here"; exit 77; }
export WAYLAND_DISPLAY=wayland-pendulix

# The session bus, which the accessibility bus is started from.
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$WORK/bus" 4>"$WORK/bus.pid" ||
    fail "no session bus"
PIDS+=($(cat "$WORK/bus.pid"))
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$WORK/bus")
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

mkdir -p "$PROG"
cp "$EXE" "$PROG/Pendulix"
cp "$(dirname "$EXE")/pendulix-run" "$PROG/pendulix-run"
cp "$(dirname "$EXE")/sourcelang.ini" "$PROG/"
JOB=$WORK/job.sh
printf '#!/bin/sh\ntouch "$0.ran"\n' > "$JOB"
chmod +x "$JOB"
printf '\r\n1|0|0|0|0|0|0|0|0|%s|\r\n' "$JOB" > "$PROG/cron-bat.dat"
start() {
    QT_QPA_PLATFORM=wayland "$PROG/Pendulix" >>"$WORK/pendulix.log" 2>&1 &
    LAST=$!
}

start
APP=$LAST
PIDS+=($APP)
act "the window does not show on Wayland" shows "push button" "Réduire" 60
grep -q 'xcb\|offscreen' "$WORK/pendulix.log" && fail "the program did not take Qt's wayland platform"
pass "the program starts on Qt's wayland platform and shows its window"
if command -v weston-screenshooter >/dev/null; then
    (cd "$SHOTS" && timeout 20 weston-screenshooter >/dev/null 2>&1 && mv -f wayland-screenshot-*.png wayland-shown.png 2>/dev/null)
fi

ran() { test -e "$JOB.ran"; }
waitfor 150 ran || fail "the entry did not run at its minute"
pass "an entry runs at its minute"

# No tray host: "Réduire" keeps the program reachable, and a second start
# shows its window again.
touch "$WORK/pressed"
act "Réduire cannot be pressed" press "push button" "Réduire"
# Réduire saves the settings once it has put the window away.
reduced() { [ "$PROG/serie.ini" -nt "$WORK/pressed" ]; }
waitfor 30 reduced || fail "Réduire does not save the settings"
ended "$APP" && fail "Réduire ended the program"
# Hidden, with no tray to bring it back, it would be out of reach.
act "Réduire hid the window with no tray host to show it again" shows "push button" "Réduire" 5
start
SECOND=$LAST
waitfor 60 ended "$SECOND" || fail "a second start goes on running"
wait "$SECOND"
[ $? -eq 0 ] || fail "a second start ends with another code than 0"
act "the window does not show after a second start" shows "push button" "Réduire" 30
pass "without a tray host the program stays reachable, and a second start shows it"

act "Quitter cannot be pressed" press "push button" "Quitter"
act "Quitter asks no question" press "push button" "Oui"
waitfor 60 ended "$APP" || fail "Oui does not end the program"
wait "$APP"
[ $? -eq 0 ] || fail "Oui ends the program with another code than 0"
pass "Quitter, then Oui, ends the program"
echo "$PASSED passed, 0 failed"
