#!/bin/sh
# Takes a screenshot of each page of the main window, of the tray menu and of
# the about window, under Xvfb with a tray host, into docs/screenshots/.
# Usage: scripts/screenshots.sh [build-dir]   (LANGUAGE_CHOICE=English for English captions)
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup-debian.sh --screenshots
BUILD=${1:-build}
[ -x "$BUILD/Pendulix" ] || { cmake -S . -B "$BUILD" >/dev/null && cmake --build "$BUILD" --target Pendulix; }
OUT=$(pwd)/docs/screenshots
LANGUAGE_CHOICE=${LANGUAGE_CHOICE:-French}
SUFFIX=""
[ "$LANGUAGE_CHOICE" = French ] || SUFFIX="-$(echo "$LANGUAGE_CHOICE" | tr 'A-Z' 'a-z')"
mkdir -p "$OUT"

WORK=$(mktemp -d)
PIDS=""
trap 'kill $PIDS 2>/dev/null || true; sleep 0.5; rm -rf "$WORK"' EXIT
cp "$BUILD/Pendulix" "$WORK/"
[ -f "$BUILD/sourcelang.ini" ] && cp "$BUILD/sourcelang.ini" "$WORK/"
printf '\r\n30|14|0|1|0|0|0|0|0|/home/user/jobs/backup.sh|\r\n15|0|0|0|0|0|0|0|0|/home/user/jobs/poll.sh -q|\r\n\r\n0|9|1|1|1|1|1|0|0|http://intranet.example/report.php?day=1|\r\n5|1|0|0|0|0|0|0|0|/home/user/bin/sync.sh -a /data|\r\n' > "$WORK/cron-bat.dat"
mkdir -p "$WORK/run" && chmod 700 "$WORK/run"
printf '09:00:00;http://intranet.example/report.php?day=1\r\n09:15:00;/home/user/jobs/poll.sh -q\r\n09:30:00 Fichier inexistant;/home/user/jobs/missing.sh\r\n09:45:02 Erreur de socket # 10061\r\nConnexion refus\303\251e.;http://127.0.0.1:9/\r\n14:30:00;/home/user/jobs/backup.sh\r\n' > "$WORK/20261207.log"
touch "$WORK/20261207.log"
printf '[Form1]\r\nCheckBox_1=1\r\nSpinEdit_1=7\r\nCheckBox_9=1\r\nCheckBox_11=0\r\nCheckBox_12=0\r\nEdit_4=%s\r\n' "$LANGUAGE_CHOICE" > "$WORK/serie.ini"

export DISPLAY=:77
Xvfb :77 -screen 0 1024x700x24 >/dev/null 2>&1 &
PIDS="$PIDS $!"
sleep 1
trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
PIDS="$PIDS $!"
sleep 1
XDG_RUNTIME_DIR="$WORK/run" "$WORK/Pendulix" >/dev/null 2>&1 &
PIDS="$PIDS $!"
sleep 0.5
import -window root "$OUT/startup-shown$SUFFIX.png"
sleep 2
import -window root "$OUT/startup-hidden-in-tray$SUFFIX.png"

# The tray icon: the last icon of the tray host at the bottom right.
xdotool mousemove 1012 688 click 3
sleep 1
import -window root "$OUT/tray-menu$SUFFIX.png"
xdotool key Escape
xdotool mousemove 1012 688 click 1
sleep 1
import -window root "$OUT/page1-evenements$SUFFIX.png"
# The window opens where it was designed (220,152); clicks are made relative to it.
# The tray icon's window bears the same name: the main window is the wide one.
for w in $(xdotool search --onlyvisible --name '^Pendulix$'); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$WIDTH" -gt 300 ] && break
done
WX=$X
WY=$Y
at() {
    ax=$1
    ay=$2
    shift 2
    xdotool mousemove $((WX + ax)) $((WY + ay)) "$@"
}
# The pages by keyboard: their tabs stand elsewhere in each language.
xdotool key ctrl+Next
sleep 0.5
# Qt's own file dialog, in the interface's language.
at 626 102 click 1
sleep 2
import -window root "$OUT/file-dialog$SUFFIX.png"
xdotool key Escape
sleep 0.5
at 300 102 click 1
xdotool type --delay 20 "/home/user/jobs/report.sh"
xdotool key Tab Tab
xdotool type --delay 20 "daily"
xdotool key Tab ctrl+a
xdotool type "30"
xdotool key Tab ctrl+a
xdotool type "14"
xdotool key Tab Tab space
sleep 0.5
import -window root "$OUT/page2-programmation$SUFFIX.png"
xdotool key ctrl+Next
sleep 0.5
# The first click into the list enters the page, which reloads it; the
# second selects the row.
at 120 108 click 1
sleep 0.5
xdotool click 1
sleep 0.5
import -window root "$OUT/page3-visualisation$SUFFIX.png"
# Delete the selected row: the list shows what the file now holds.
at 640 392 click 1
sleep 1
import -window root "$OUT/page3-after-delete$SUFFIX.png"
QMARK_X=67
[ "$LANGUAGE_CHOICE" = French ] || QMARK_X=47
at $QMARK_X 8 click 1
sleep 0.5
xdotool key Down Down Return
sleep 1
import -window root "$OUT/about$SUFFIX.png"
xdotool key Escape
sleep 0.3
# The journal viewer, through the main menu and the file dialog.
at 20 8 click 1
sleep 0.5
xdotool key Down Return
sleep 1.5
xdotool type --delay 20 "20261207.log"
xdotool key Return
sleep 1.5
import -window root "$OUT/viewer$SUFFIX.png"
# The help index, in a real browser.
HELP_LANG=fr
[ "$LANGUAGE_CHOICE" = French ] || HELP_LANG=en
BROWSER=$(command -v chromium || command -v chromium-browser || true)
if [ -n "$BROWSER" ]; then
    "$BROWSER" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$WORK/browser" --window-size=1024,900 \
        --screenshot="$OUT/help-index$SUFFIX.png" "file://$(pwd)/$BUILD/aide/$HELP_LANG/index.html" \
        >/dev/null 2>&1 || echo "the browser took no screenshot of the help"
fi
echo "screenshots in $OUT"
