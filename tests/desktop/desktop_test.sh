#!/bin/bash
# The real program on a real X display: Xvfb with a tray host (trayer) and a
# session manager (xsm), driven by xdotool as a user would drive it.
# Usage: desktop_test.sh <Pendulix executable> <folder for screenshots>
# Exits 77 (skipped) only when the X server itself cannot start.
set -u
EXE=$1
SHOTS=$2
mkdir -p "$SHOTS"
WORK=$(mktemp -d)
PIDS=()
cleanup() {
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    sleep 0.3
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    tail -n 5 "$WORK"/*.log 2>/dev/null
    import -window root "$SHOTS/failure.png" 2>/dev/null
    exit 1
}
PASSED=0
pass() {
    echo "PASS: $*"
    PASSED=$((PASSED + 1))
}
# Polls a condition for up to $1 tenths of a second.
waitfor() {
    local tenths=$1
    shift
    for ((i = 0; i < tenths; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
for tool in Xvfb trayer xsm xdotool xwininfo import iceauth; do
    command -v "$tool" >/dev/null || fail "$tool is missing (the setup script installs it)"
done

# The X server, on the first free display it finds.
exec 3> "$WORK/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
waitfor 50 test -s "$WORK/display" || { echo "SKIP: Xvfb cannot start here"; exit 77; }
export DISPLAY=:$(head -n1 "$WORK/display")
waitfor 50 xwininfo -root >/dev/null 2>&1 || { echo "SKIP: Xvfb cannot start here"; exit 77; }

# The session manager, with a home of its own, loading its default session.
export HOME=$WORK/home
mkdir -p "$HOME"
echo true > "$HOME/.xsmstartup"
xsm >"$WORK/xsm.log" 2>&1 &
XSM=$!
PIDS+=($XSM)
window() { xdotool search --name "$1" 2>/dev/null | head -n1; }
# Conditions for waitfor: evaluated anew at every try.
has_window() { test -n "$(window "$1")"; }
xsm_ready() { has_window '^chooseSessionPopup$' || has_window '^xsm: Default$'; }
# With saved sessions it first asks which one to load.
waitfor 100 xsm_ready || fail "xsm shows nothing"
if [ -n "$(window '^chooseSessionPopup$')" ]; then
    eval "$(xdotool getwindowgeometry --shell "$(window '^chooseSessionPopup$')")"
    xdotool mousemove $((X + 45)) $((Y + 102)) click 1
fi
waitfor 100 has_window '^xsm: Default$' || fail "xsm does not load its session"
XSMWIN=$(window '^xsm: Default$')
xdotool windowmove "$XSMWIN" 700 0
export SESSION_MANAGER="local/$(hostname):@/tmp/.ICE-unix/$XSM,unix/$(hostname):/tmp/.ICE-unix/$XSM"
export ICEAUTHORITY=$HOME/.ICEauthority

trayer --edge top --align right --widthtype request --height 24 --transparent false >/dev/null 2>&1 &
PIDS+=($!)
panel() { xwininfo -root -tree | grep -q '"panel"'; }
waitfor 50 panel || fail "trayer shows no panel"

# The program in a folder of its own.
PROG=$WORK/program
mkdir -p "$PROG/run"
chmod 700 "$PROG/run"
cp "$EXE" "$PROG/Pendulix"
cp "$(dirname "$EXE")/sourcelang.ini" "$PROG/"
printf '\r\n30|14|0|1|0|0|0|0|0|/srv/backup.sh|\r\n15|0|0|0|0|0|0|0|0|/srv/poll.sh -q|\r\n' > "$PROG/cron-bat.dat"
start() {
    XDG_RUNTIME_DIR=$PROG/run QT_QPA_PLATFORM=xcb "$PROG/Pendulix" >>"$WORK/pendulix.log" 2>&1 &
    LAST=$!
}
start
APP=$LAST
PIDS+=($APP)
# The tray icon's window bears the program's name too: the main window is the wide one.
mainwindow() {
    for w in $(xdotool search --onlyvisible --name '^Pendulix$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        [ "$WIDTH" -gt 600 ] && echo "$w" && return
    done
}
visible() { test -n "$(mainwindow)"; }
trayicon() { xwininfo -root -tree | awk '/"panel"/ { p = 1; next } p && /"Pendulix"/ { print $1; exit }'; }
has_trayicon() { test -n "$(trayicon)"; }
hidden() { ! visible; }
ended() { ! kill -0 "$1" 2>/dev/null; }
saved() { test -s "$PROG/serie.ini"; }
waitfor 50 visible || fail "the window does not show at start-up"
import -window root "$SHOTS/desktop-startup.png"
waitfor 50 has_trayicon || fail "no tray icon"
pass "the tray icon appears"
waitfor 50 hidden || fail "the window does not go to the tray"
pass "the window hides into the tray"

start
SECOND=$LAST
waitfor 100 ended "$SECOND" || fail "a second start goes on running"
wait "$SECOND"
[ $? -eq 0 ] || fail "a second start ends with another code than 0"
pass "a second start ends at once with code 0"

# Right click on the icon: the menu, not the window.
eval "$(xdotool getwindowgeometry --shell "$(trayicon)")"
ICONX=$((X + WIDTH / 2))
ICONY=$((Y + HEIGHT / 2))
xdotool mousemove $ICONX $ICONY click 3
sleep 1
import -window root "$SHOTS/desktop-tray-menu.png"
visible && fail "a right click shows the window"
xdotool key Escape
sleep 0.5
pass "a right click opens the menu without the window"
xdotool mousemove $ICONX $ICONY click 1
waitfor 50 visible || fail "a left click does not show the window"
pass "a left click shows the window"
import -window root "$SHOTS/desktop-shown.png"
# "Réduire", the first button under the pages.
eval "$(xdotool getwindowgeometry --shell "$(mainwindow)")"
xdotool mousemove $((X + 73)) $((Y + 426)) click 1
waitfor 50 hidden || fail "Réduire does not hide the window"
pass "Réduire hides the window into the tray"

# An entry made on the new-entry page lands in the file byte for byte and
# runs at its minute; deleted on the view page, it leaves the file.
xdotool mousemove $ICONX $ICONY click 1
waitfor 50 visible || fail "the window does not show again"
eval "$(xdotool getwindowgeometry --shell "$(mainwindow)")"
WX=$X
WY=$Y
at() {
    local ax=$1 ay=$2
    shift 2
    xdotool mousemove $((WX + ax)) $((WY + ay)) "$@"
}
JOB=$WORK/job.sh
printf '#!/bin/sh\ntouch "$0.ran"\n' > "$JOB"
chmod +x "$JOB"
at 198 41 click 1
sleep 0.5
at 300 102 click 1
xdotool type --delay 10 "$JOB"
at 57 241 click 1
xdotool key ctrl+a
xdotool type 1
sleep 0.5
import -window root "$SHOTS/desktop-new-entry.png"
at 638 351 click 1
sleep 1
[ "$(tail -c +3 "$PROG/cron-bat.dat" | tail -n 1)" = "1|0|0|0|0|0|0|0|0|$JOB|"$'\r' ] ||
    fail "the new entry is not the file's last line: $(tail -n 1 "$PROG/cron-bat.dat" | od -c | head -3)"
pass "an entry made on the page lands in the file as typed"
ran() { test -e "$JOB.ran"; }
waitfor 700 ran || fail "the new entry did not run at its minute"
pass "the new entry runs at its minute"
# The third row (001 and 002 are the first entries): the first click enters
# the page, which reloads it; the second selects.
at 120 116 click 1
sleep 0.5
at 120 116 click 1
sleep 0.5
at 630 392 click 1
sleep 1
import -window root "$SHOTS/desktop-after-delete.png"
grep -q "job.sh" "$PROG/cron-bat.dat" && fail "the deleted entry is still in the file"
[ "$(wc -l < "$PROG/cron-bat.dat")" -eq 3 ] || fail "the delete took more than its line"
pass "a row deleted on the view page leaves the file"

# "Quitter" asks; "Non" keeps it, in the tray.
at 208 426 click 1
question() { test -n "$(xdotool search --onlyvisible --name '^Pendulix$' 2>/dev/null | while read -r w; do
    eval "$(xdotool getwindowgeometry --shell "$w")"; [ "$WIDTH" -eq 500 ] && echo "$w"; done)"; }
waitfor 50 question || fail "Quitter asks no question"
import -window root "$SHOTS/desktop-exit-question.png"
xdotool mousemove $((WX + 32 + 448)) $((WY + 142 + 76)) click 1
waitfor 50 hidden || fail "Non does not put the window in the tray"
kill -0 "$APP" 2>/dev/null || fail "Non ended the program"
pass "Quitter asks, and Non keeps the program in the tray"

# A checkpoint of the session saves the settings and leaves the program running.
rm -f "$PROG/serie.ini"
xdotool mousemove 740 37 click 1
waitfor 50 has_window '^Checkpoint$' || fail "xsm shows no checkpoint dialog"
eval "$(xdotool getwindowgeometry --shell "$(window '^Checkpoint$')")"
xdotool mousemove $((X + 151)) $((Y + 14)) click 1
xdotool type --delay 30 Default
xdotool mousemove $((X + 38)) $((Y + 109)) click 1
waitfor 100 saved || fail "the checkpoint saved no settings"
sleep 2
kill -0 "$APP" 2>/dev/null || fail "a checkpoint ended the program"
pass "a checkpoint saves and leaves the program running"

# The end of the session ends it, without the question.
xdotool mousemove 823 37 mousedown 1 sleep 0.5 mousemove 835 57 sleep 0.3 mouseup 1
waitfor 50 has_window '^Shutdown$' || fail "xsm shows no shutdown dialog"
eval "$(xdotool getwindowgeometry --shell "$(window '^Shutdown$')")"
xdotool mousemove $((X + 151)) $((Y + 14)) click 1
xdotool type --delay 30 Default
xdotool mousemove $((X + 38)) $((Y + 109)) click 1
waitfor 100 ended "$APP" || fail "the end of the session does not end the program"
wait "$APP"
CODE=$?
[ $CODE -eq 0 ] || fail "the end of the session ends the program with code $CODE"
pass "the end of the session ends the program, without the question"

# Outside a session: "Quitter", then "Oui", ends it and the tray icon goes.
unset SESSION_MANAGER
start
APP=$LAST
PIDS+=($APP)
waitfor 50 has_trayicon || fail "no tray icon at the next start"
waitfor 50 hidden || fail "the window does not go to the tray at the next start"
eval "$(xdotool getwindowgeometry --shell "$(trayicon)")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
waitfor 50 visible || fail "the window does not show at the next start"
at 208 426 click 1
waitfor 50 question || fail "Quitter asks no question at the next start"
xdotool mousemove $((WX + 32 + 362)) $((WY + 142 + 76)) click 1
waitfor 50 ended "$APP" || fail "Oui does not end the program"
wait "$APP"
[ $? -eq 0 ] || fail "Oui ends the program with another code than 0"
no_trayicon() { ! has_trayicon; }
waitfor 30 no_trayicon || fail "the tray icon stays after the end"
pass "Oui ends the program and the tray icon goes"
echo "$PASSED passed, 0 failed"
