#!/bin/bash
# The real program on a Wayland compositor: Weston's headless backend, a
# session bus of its own with the accessibility bus, Qt's wayland platform,
# (--debug: its screenshots are allowed), and no tray host (a Wayland session has none unless its panel gives one).
# It starts and puts its window away (unmapped: a Wayland client cannot bring
# itself back from minimized), a second start shows it on the compositor's
# screen, it runs an entry at its minute, and after "Réduire" a second start
# shows it again. Believed from the compositor's screenshots, not the bus.
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

# What the compositor shows, against the desktop it showed before the program
# started: the number of pixels that differ. The panel's clock may change a
# few hundred between two shots; the window changes hundreds of thousands.
shot() {
    rm -f "$SHOTS"/wayland-screenshot-*.png
    (cd "$SHOTS" && timeout 20 weston-screenshooter >/dev/null 2>&1) || return 1
    mv -f "$SHOTS"/wayland-screenshot-*.png "$SHOTS/$1.png" 2>/dev/null
}
differing() { compare -metric AE "$SHOTS/$1.png" "$SHOTS/$2.png" null: 2>&1 | awk '{ printf "%d", $1 }'; }
changed() { differing desktop "$1"; }
on_screen() { shot "$1" && [ "$(changed "$1")" -gt 50000 ]; }
off_screen() { shot "$1" && [ "$(changed "$1")" -lt 5000 ]; }
command -v weston-screenshooter >/dev/null || fail "weston-screenshooter is missing (the setup script installs weston)"
# The desktop as it stays once the shell has drawn it: two shots alike.
settled() {
    shot desktop || return 1
    [ -e "$SHOTS/drawing.png" ] && [ "$(differing drawing desktop)" -lt 5000 ] && return 0
    mv -f "$SHOTS/desktop.png" "$SHOTS/drawing.png"
    return 1
}
rm -f "$SHOTS/drawing.png"
waitfor 30 settled || fail "the compositor's screen does not settle, or it takes no screenshot"

start
APP=$LAST
PIDS+=($APP)
# The start-up reduction saves the settings once it has put the window away.
reduced() { test -e "$PROG/serie.ini"; }
waitfor 60 reduced || fail "the start-up reduction did not come"
grep -q 'xcb\|offscreen' "$WORK/pendulix.log" && fail "the program did not take Qt's wayland platform"
ended "$APP" && fail "the program ended at its start-up reduction"
waitfor 30 off_screen reduced || fail "the reduced window is still on the compositor's screen ($(changed reduced) pixels)"
pass "the program starts on Qt's wayland platform and puts its window away, with no tray host"

# No tray host: a second start shows the window again, as a new window the
# compositor draws.
start
SECOND=$LAST
waitfor 60 ended "$SECOND" || fail "a second start goes on running"
wait "$SECOND"
[ $? -eq 0 ] || fail "a second start ends with another code than 0"
act "the window is not on the bus after a second start" shows "push button" "Réduire" 30
waitfor 30 on_screen shown || fail "the window is not on the compositor's screen after a second start ($(changed shown) pixels)"
pass "a second start brings the window back on screen"

ran() { test -e "$JOB.ran"; }
waitfor 150 ran || fail "the entry did not run at its minute"
pass "an entry runs at its minute"

# "Réduire" takes it off the screen without ending the program; a second
# start brings it back again.
act "Réduire cannot be pressed" press "push button" "Réduire"
waitfor 30 off_screen hidden || fail "Réduire left the window on the compositor's screen ($(changed hidden) pixels)"
ended "$APP" && fail "Réduire ended the program"
start
THIRD=$LAST
waitfor 60 ended "$THIRD" || fail "a third start goes on running"
waitfor 30 on_screen back || fail "the window did not come back after Réduire and a second start ($(changed back) pixels)"
act "the window is not on the bus after Réduire and a second start" shows "push button" "Quitter" 30
pass "Réduire unmaps the window, and a second start shows it again"

act "Quitter cannot be pressed" press "push button" "Quitter"
act "Quitter asks no question" press "push button" "Oui"
waitfor 60 ended "$APP" || fail "Oui does not end the program"
wait "$APP"
[ $? -eq 0 ] || fail "Oui ends the program with another code than 0"
pass "Quitter, then Oui, ends the program"
echo "$PASSED passed, 0 failed"
