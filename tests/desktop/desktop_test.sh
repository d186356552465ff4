#!/bin/bash
# The real program on a real X display: Xvfb with a tray host (trayer), a
# session manager (xsm), a session bus of its own with the accessibility bus
# and a stand-in for the notification service. The program's own windows are
# driven through the accessibility bus, by role and name, as a screen reader
# drives them; xdotool only clicks what is not the program's (the tray icon
# its host draws). The session manager is asked for its checkpoint and its
# shutdown as a script asks it, through its signals: its dialogs draw their
# texts with whatever fonts the machine has.
# Usage: desktop_test.sh <Pendulix executable> <folder for screenshots>
# Exits 77 (skipped) only when the X server itself cannot start.
#
# Every step waits for the state the next one needs (a window mapped and at
# rest, a control on the bus, a file or a journal row written) instead of sleeping:
# on a loaded machine each of those can take seconds, and a click sent too
# early lands on nothing. The bounds are generous for the same reason; when
# one runs out, the step, the logs and a screenshot say where it stopped.
set -u
EXE=$1
SHOTS=$2
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/steps.sh"
STEP="setting up"
step() {
    STEP=$*
    echo "${SECONDS}s: $STEP" >> "$WORK/steps.log"
}
fail() {
    echo "FAIL: $*"
    echo "  at the step \"$STEP\", ${SECONDS}s into the test"
    import -window root "$SHOTS/failure.png" 2>/dev/null && echo "  screenshot: $SHOTS/failure.png"
    echo "---- steps"
    cat "$WORK/steps.log" 2>/dev/null
    echo "---- xsm's output"
    cat "$WORK/xsm.log" 2>/dev/null
    echo "---- the program's output"
    cat "$WORK/pendulix.log" 2>/dev/null
    for journal in "$PROG"/[0-9]*.log; do
        [ -e "$journal" ] && echo "---- the program's journal ${journal##*/}" && cat "$journal"
    done
    echo "---- the windows"
    xwininfo -root -tree 2>&1 | grep -v '(has no name): ()  1x1+' | head -n 60
    exit 1
}
# Waits as waitfor does, and fails with the message $2 when the time is out.
await() {
    local seconds=$1 message=$2
    shift 2
    waitfor "$seconds" "$@" || fail "$message (nothing after ${seconds}s)"
}
for tool in Xvfb trayer xsm xdotool xwininfo xprop xev xset import iceauth dbus-daemon; do
    command -v "$tool" >/dev/null || fail "$tool is missing (the setup script installs it)"
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "python3-pyatspi is missing (the setup script installs it)"

# ---- The program's controls on the accessibility bus ----------------------

# Every showing control of the program can be announced by its name.
all_named() {
    local missing
    missing=$(ui unnamed 2>&1) || fail "the accessibility tree cannot be read: $missing"
    [ -z "$missing" ] || fail "controls without a name $1: $missing"
}

# ---- What the screen shows -------------------------------------------------

# Prints "x y width height" of a window in root coordinates; fails once it is gone.
geometry() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)"
    [ -n "${X:-}" ] && echo "$X $Y $WIDTH $HEIGHT"
}
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
# Mapped and no longer moving: clicks computed from its place then hit it.
settled() {
    local before after
    viewable "$1" || return 1
    before=$(geometry "$1") || return 1
    sleep 0.3
    after=$(geometry "$1") || return 1
    [ "$before" = "$after" ] && viewable "$1"
}
hexid() { printf '0x%x' "$1"; }

# ---- The X server, on the first free display it finds ----------------------

exec 3> "$WORK/display"
# Without auto repeat (-r): a key held longer than the repeat delay, as
# xdotool's are when it waits for the CPU between a press and its release,
# would be typed again and again.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -r >/dev/null 2>&1 &
XVFB=$!
PIDS+=($XVFB)
# A server that cannot start here ends at once; a slow one is waited for, not
# skipped.
display_named() { test -s "$WORK/display" || ended "$XVFB"; }
waitfor 120 display_named
test -s "$WORK/display" || { echo "SKIP: Xvfb cannot start here"; exit 77; }
export DISPLAY=:$(head -n1 "$WORK/display")
waitfor 120 xwininfo -root >/dev/null 2>&1 || { echo "SKIP: Xvfb cannot start here"; exit 77; }
xset q | grep -q 'auto repeat: *off' || fail "the X server repeats held keys"

# ---- A session bus of its own: the accessibility bus is started from it, and
# the notification stand-in owns its name there.
dbus-daemon --session --fork --print-address=4 --print-pid=5 4>"$WORK/bus" 5>"$WORK/bus.pid" ||
    fail "no session bus"
PIDS+=($(cat "$WORK/bus.pid"))
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$WORK/bus")
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
NOTICES=$WORK/notices.log
/usr/bin/python3 "$HERE/notices.py" "$NOTICES" >"$WORK/notices.out" 2>&1 &
PIDS+=($!)
await 30 "the notification stand-in does not own its name" test -e "$NOTICES.ready"

# Everything mapped on the root window, and the tray host's announcement, as
# they happen: a state that lasts a moment is seen even if no poll falls in it.
xev -root -event structure -event substructure >"$WORK/root-events.log" 2>&1 &
PIDS+=($!)
EVENTS=$WORK/root-events.log
# True when the window $1 was mapped in the events after line $2.
mapped_since() { tail -n +"$(($2 + 1))" "$EVENTS" | grep -A1 '^MapNotify' | grep -q "window $(hexid "$1"),"; }

# ---- The session manager, with a home of its own, loading its default session

step "the session manager starts"
export HOME=$WORK/home
mkdir -p "$HOME"
echo true > "$HOME/.xsmstartup"
xsm >"$WORK/xsm.log" 2>&1 &
XSM=$!
PIDS+=($XSM)
# xsm's dialogs exist, unmapped, before they are first shown and after they
# are closed: only a mapped one is there to be clicked.
window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
has_window() { test -n "$(window "$1")"; }
# A home of its own holds no saved session: xsm loads its default at once.
await 60 "xsm does not load its session" has_window '^xsm: Default$'
XSMWIN=$(window '^xsm: Default$')
# The root window's events must reach the log before anything is started that
# is awaited there; moving xsm's window is the first event it must show.
configured() { grep -A1 '^ConfigureNotify' "$EVENTS" | grep -q "window $(hexid "$XSMWIN"),"; }
xev_listens() { xdotool windowmove "$XSMWIN" 700 0 2>/dev/null; configured; }
await 30 "the root window's events do not reach xev" xev_listens
# A program started before xsm listens and has written its authority file
# would run outside the session.
xsm_listens() { test -S "/tmp/.ICE-unix/$XSM" && test -s "$HOME/.ICEauthority"; }
await 30 "xsm does not listen for clients" xsm_listens
export SESSION_MANAGER="local/$(hostname):@/tmp/.ICE-unix/$XSM,unix/$(hostname):/tmp/.ICE-unix/$XSM"
export ICEAUTHORITY=$HOME/.ICEauthority

step "the tray host starts"
trayer --edge top --align right --widthtype request --height 24 --transparent false >/dev/null 2>&1 &
PIDS+=($!)
panel() { xwininfo -root -tree | grep -q '"panel"'; }
await 60 "trayer shows no panel" panel
# A program that finds no tray host minimizes its window instead of hiding it.
tray_host() { grep -q '(MANAGER)' "$EVENTS"; }
await 60 "trayer does not announce its tray" tray_host

# ---- The program in a folder of its own ------------------------------------

mkdir -p "$PROG/run"
chmod 700 "$PROG/run"
cp "$EXE" "$PROG/Pendulix"
cp "$(dirname "$EXE")/pendulix-run" "$PROG/pendulix-run"
cp "$(dirname "$EXE")/sourcelang.ini" "$PROG/"
# The last entry fails every minute, to be told while the window is hidden.
printf '\r\n30|14|0|1|0|0|0|0|0|/srv/backup.sh|\r\n15|0|0|0|0|0|0|0|0|/srv/poll.sh -q|\r\n1|0|0|0|0|0|0|0|0|/srv/absent.sh|\r\n' > "$PROG/cron-bat.dat"
start() {
    XDG_RUNTIME_DIR=$PROG/run QT_QPA_PLATFORM=xcb "$PROG/Pendulix" >>"$WORK/pendulix.log" 2>&1 &
    LAST=$!
}
# The tray icon's window bears the program's name too: the main window is the wide one.
mainwindow() {
    local w width
    for w in $(xdotool search ${1:-} --name '^Pendulix$' 2>/dev/null); do
        read -r _ _ width _ <<< "$(geometry "$w")"
        [ "${width:-0}" -gt 600 ] && echo "$w" && return
    done
}
visible() { test -n "$(mainwindow --onlyvisible)"; }
hidden() { ! visible; }
# The window is shown for a second or so before it goes to the tray: the
# events tell whether it was, however long a poll takes.
shown_at_start() {
    local w
    w=$(mainwindow)
    [ -n "$w" ] && { viewable "$w" || mapped_since "$w" "$1"; }
}
trayicon() { xwininfo -root -tree | awk '/"panel"/ { p = 1; next } p && /"Pendulix"/ { print $1; exit }'; }
has_trayicon() { local icon; icon=$(trayicon); [ -n "$icon" ] && settled "$icon"; }
no_trayicon() { test -z "$(trayicon)"; }
# The main window at rest.
main_settled() {
    local w
    w=$(mainwindow --onlyvisible)
    [ -n "$w" ] && settled "$w" && MAIN=$w
}
click_trayicon() {
    local x y width height
    read -r x y width height <<< "$(geometry "$(trayicon)")"
    xdotool mousemove $((x + width / 2)) $((y + height / 2)) click "$1"
}
step "the first start"
MARK=$(wc -l < "$EVENTS")
start
APP=$LAST
PIDS+=($APP)
await 60 "the window does not show at start-up" shown_at_start "$MARK"
import -window root "$SHOTS/desktop-startup.png"
await 60 "no tray icon" has_trayicon
pass "the tray icon appears"
await 60 "the window does not go to the tray" hidden
pass "the window hides into the tray"

step "a second start"
start
SECOND=$LAST
await 60 "a second start goes on running" ended "$SECOND"
wait "$SECOND"
[ $? -eq 0 ] || fail "a second start ends with another code than 0"
pass "a second start ends at once with code 0"
await 60 "a second start does not show the running window" visible
pass "a second start shows the running instance's window"
all_named "on the events page"
act "Réduire cannot be pressed" press "push button" "Réduire"
await 60 "Réduire does not hide the window" hidden

step "a right click on the tray icon"
# The context menu: a window of the program's, laid over the others, and no tooltip.
traymenu() {
    local w
    for w in $(xdotool search --onlyvisible --maxdepth 1 --class '^Pendulix$' 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q TOOLTIP && continue
        echo "$w"
        return
    done
}
menu_open() { test -n "$(traymenu)"; }
MAIN=$(mainwindow)
MARK=$(wc -l < "$EVENTS")
click_trayicon 3
await 30 "a right click opens no menu" menu_open
# A window shown by mistake would be shown while the click is handled, or
# by what the click queued: once the program has answered on the bus after
# that, it would be mapped.
act "the program does not answer with its tray menu open" answers
import -window root "$SHOTS/desktop-tray-menu.png"
visible && fail "a right click shows the window"
mapped_since "$MAIN" "$MARK" && fail "a right click shows the window, if only for a moment"
pass "a right click opens the menu without the window"
# Qt puts no menu of the tray on the accessibility tree (a screen reader
# follows it through its focus events): its item is taken by its mnemonic,
# as a keyboard user takes it.
xdotool key a
await 60 "the tray menu's Afficher does not show the window" visible
pass "the tray menu's Afficher shows the window"
act "Réduire cannot be pressed" press "push button" "Réduire"
await 60 "Réduire does not hide the window" hidden

step "a left click on the tray icon"
click_trayicon 1
await 60 "a left click does not show the window" visible
pass "a left click shows the window"
await 30 "the window does not come to rest" main_settled
import -window root "$SHOTS/desktop-shown.png"
# Only now: a failure at a minute's turn would bring the window up in the
# middle of the tray's steps.
# The pop-up setting as designed, off: the notice alone tells.
act "the notice setting is not ticked as designed" checked "Notifier les erreurs au bureau" yes
act "the pop-up setting is not unticked as designed" checked "Fenêtre surgissante si erreur" no
act "Réduire cannot be pressed" press "push button" "Réduire"
await 60 "Réduire does not hide the window" hidden
pass "Réduire hides the window into the tray"

# A failure while hidden reaches the notification service; a click on the
# notice shows the window.
step "a failure told while hidden"
told() {
    /usr/bin/python3 - "$NOTICES" <<'CHECK'
import json, sys
for line in open(sys.argv[1]):
    notice = json.loads(line)
    if (notice["app"] == "Pendulix" and "Fichier inexistant" in notice["summary"]
            and "/srv/absent.sh" in notice["body"] and notice["actions"][:2] == ["default", "Afficher"]):
        sys.exit(0)
sys.exit(1)
CHECK
}
waitfor 100 test -s "$NOTICES" || fail "no notice reached the notification service"
waitfor 10 told || fail "the notice does not tell the failure: $(cat "$NOTICES")"
hidden || fail "the failure brought the window up, the pop-up setting off"
pass "a failure while hidden is told through the notification service, the window left hidden"
touch "$NOTICES.click"
await 60 "a click on the notice does not show the window" visible
pass "a click on the notice shows the window"

# An entry made on the new-entry page lands in the file byte for byte and
# runs at its minute; deleted on the view page, it leaves the file.
step "the new-entry page"
await 30 "the window does not come to rest" main_settled
JOB=$WORK/job.sh
printf '#!/bin/sh\ntouch "$0.ran"\n' > "$JOB"
chmod +x "$JOB"
act "the new-entry page does not show" press "page tab" "Programmation Répétitive"
act "the source field takes no path" text "Sélectionner votre fichier" "$JOB"
act "the minutes cannot be set" value "Minutes" 1
all_named "on the new-entry page"
import -window root "$SHOTS/desktop-new-entry.png"
act "Enregistrer cannot be pressed" press "push button" "Enregistrer"
last_line() { tail -c +3 "$PROG/cron-bat.dat" | tail -n 1; }
entry_written() { [ "$(last_line)" = "1|0|0|0|0|0|0|0|0|$JOB|"$'\r' ]; }
waitfor 30 entry_written ||
    fail "the new entry is not the file's last line: $(tail -n 1 "$PROG/cron-bat.dat" | od -c | head -3)"
pass "an entry made on the page lands in the file as typed"

step "the new entry's minute"
ran() { test -e "$JOB.ran"; }
await 150 "the new entry did not run at its minute" ran
pass "the new entry runs at its minute"

step "a delete on the view page"
act "the view page does not show" press "page tab" "Visualisation des programmations"
all_named "on the view page"
# The fourth row: 002, 003 and 004 are the entries before it.
act "the new entry's row cannot be selected" select "Visualisation des programmations" 3
act "Suppimer cannot be pressed" press "push button" "Suppimer"
entry_gone() { ! grep -q "job.sh" "$PROG/cron-bat.dat"; }
waitfor 30 entry_gone || fail "the deleted entry is still in the file"
import -window root "$SHOTS/desktop-after-delete.png"
[ "$(wc -l < "$PROG/cron-bat.dat")" -eq 4 ] || fail "the delete took more than its line"
pass "a row deleted on the view page leaves the file"

# Today's journal in the viewer, then English and back to French with the
# viewer open: every window follows every switch.
step "the journal viewer"
JOURNAL=$(cd "$PROG" && ls [0-9]*.log 2>/dev/null | head -n1)
[ -n "$JOURNAL" ] || fail "no journal was written"
act "the File menu does not open" press "menu item" "Fichier"
act "Voir les fichiers journaux cannot be pressed" press "menu item" "Voir les fichiers journaux"
act "the file name cannot be typed in the open dialog" --in Ouvrir text "Nom de fichier :" "$JOURNAL"
act "the open dialog's Ouvrir cannot be pressed" --in Ouvrir press "push button" "Ouvrir"
VIEWER="$JOURNAL - Pendulix"
act "the viewer does not show the journal" --in "$VIEWER" shows "push button" "Fermer"
all_named "with the viewer open"
import -window root "$SHOTS/desktop-viewer.png"
pass "the viewer shows the journal chosen, its title naming the file"

step "a switch to English"
act "the Language menu does not open" press "menu item" "Langue"
act "English cannot be chosen" press "menu item" "English"
act "the main window does not switch to English" shows "push button" "Minimize"
act "the viewer does not switch to English" --in "$VIEWER" shows "push button" "Close"
all_named "in English"
import -window root "$SHOTS/desktop-english.png"
act "Quit cannot be pressed" press "push button" "Quit"
act "the exit question is not in English" shows "push button" "Yes"
act "No cannot be pressed" press "push button" "No"
await 60 "No does not put the window in the tray" hidden
pass "the windows and the exit question follow the switch to English"
click_trayicon 1
await 60 "a left click does not show the window in English" visible

step "back to French with the viewer open"
act "the Language menu does not open in English" press "menu item" "Language"
act "Francais cannot be chosen" press "menu item" "Francais"
act "the main window does not switch back to French" shows "push button" "Réduire"
act "the viewer does not switch back to French" --in "$VIEWER" shows "push button" "Fermer"
act "the viewer's Fermer cannot be pressed" --in "$VIEWER" press "push button" "Fermer"
act "the viewer does not close" gone "push button" "Fermer"
pass "back in French, the viewer follows too and closes"

# "Quitter" asks; "Non" keeps it, in the tray.
step "Quitter, then Non"
act "Quitter cannot be pressed" press "push button" "Quitter"
act "Quitter asks no question" shows "push button" "Non"
all_named "in the exit question"
import -window root "$SHOTS/desktop-exit-question.png"
act "Non cannot be pressed" press "push button" "Non"
await 60 "Non does not put the window in the tray" hidden
kill -0 "$APP" 2>/dev/null || fail "Non ended the program"
pass "Quitter asks, and Non keeps the program in the tray"

# Every line the journals hold for the entry that fails every minute.
failures_told() { cat "$PROG"/[0-9]*.log 2>/dev/null | grep -c ';/srv/absent.sh'; }
# The program goes on scheduling: the next minute's failure is journalled.
scheduling() { [ "$(failures_told)" -gt "$1" ]; }

# A checkpoint of the session saves the settings and leaves the program
# running. SIGUSR1 is xsm's remote checkpoint: each client saves its local
# state, without interaction.
step "a checkpoint"
registered() {
    local leader
    leader=$(xprop -id "$MAIN" WM_CLIENT_LEADER 2>/dev/null | awk '{ print $NF }')
    [ -n "$leader" ] && xprop -id "$leader" SM_CLIENT_ID 2>/dev/null | grep -q ' = "'
}
await 30 "the program has not joined xsm's session" registered
rm -f "$PROG/serie.ini"
touch "$WORK/asked"
TOLD=$(failures_told)
kill -USR1 "$XSM" || fail "xsm is gone before the checkpoint"
# Written after the checkpoint was asked for, not by a save begun before.
saved() { [ "$PROG/serie.ini" -nt "$WORK/asked" ]; }
waitfor 60 saved || fail "the checkpoint saved no settings"
# xsm writes its session file when every client has answered.
session_written() {
    local file
    for file in "$HOME"/.XSM-*; do
        [ "$file" -nt "$WORK/asked" ] && grep -q "$PROG/Pendulix" "$file" && return 0
    done
    return 1
}
await 60 "xsm does not finish the checkpoint" session_written
await 90 "the program does not go on scheduling after a checkpoint" scheduling "$TOLD"
kill -0 "$APP" 2>/dev/null || fail "a checkpoint ended the program"
pass "a checkpoint saves and leaves the program running and scheduling"

# The end of the session ends it, without the question, its settings saved.
# SIGTERM is xsm's remote shutdown: the clients save, then are told to die.
step "the end of the session"
rm -f "$PROG/serie.ini"
touch "$WORK/asked"
kill -TERM "$XSM" || fail "xsm is gone before the end of the session"
await 60 "the end of the session does not end the program" ended "$APP"
wait "$APP"
CODE=$?
[ $CODE -eq 0 ] || fail "the end of the session ends the program with code $CODE"
saved || fail "the end of the session saved no settings"
pass "the end of the session ends the program, without the question, its settings saved"

# Outside a session: "Quitter", then "Oui", ends it and the tray icon goes.
step "a start outside a session, Quitter, then Oui"
unset SESSION_MANAGER
start
APP=$LAST
PIDS+=($APP)
await 60 "no tray icon at the next start" has_trayicon
await 60 "the window does not go to the tray at the next start" hidden
click_trayicon 1
await 60 "the window does not show at the next start" visible
act "Quitter cannot be pressed at the next start" press "push button" "Quitter"
act "Oui cannot be pressed" press "push button" "Oui"
await 60 "Oui does not end the program" ended "$APP"
wait "$APP"
[ $? -eq 0 ] || fail "Oui ends the program with another code than 0"
await 30 "the tray icon stays after the end" no_trayicon
pass "Oui ends the program and the tray icon goes"
echo "$PASSED passed, 0 failed"
