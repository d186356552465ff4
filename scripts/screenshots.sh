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
mkdir -p "$OUT"

WORK=$(mktemp -d)
PIDS=""
trap 'kill $PIDS 2>/dev/null || true; rm -rf "$WORK"' EXIT
cp "$BUILD/Pendulix" "$WORK/"
[ -f "$BUILD/sourcelang.ini" ] && cp "$BUILD/sourcelang.ini" "$WORK/"
printf '\r\n30|14|0|1|0|0|0|0|0|/home/user/jobs/backup.sh|\r\n15|0|0|0|0|0|0|0|0|/home/user/jobs/poll.sh -q|\r\n\r\n0|9|1|1|1|1|1|0|0|http://intranet.example/report.php?day=1|\r\n5|1|0|0|0|0|0|0|0|/home/user/bin/sync.sh -a /data|\r\n' > "$WORK/cron-bat.dat"
mkdir -p "$WORK/run" && chmod 700 "$WORK/run"

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
import -window root "$OUT/startup-shown.png"
sleep 2
import -window root "$OUT/startup-hidden-in-tray.png"

# The tray icon: the last icon of the tray host at the bottom right.
xdotool mousemove 1012 688 click 3
sleep 1
import -window root "$OUT/tray-menu.png"
xdotool key Escape
xdotool mousemove 1012 688 click 1
sleep 1
import -window root "$OUT/page1-evenements.png"
xdotool key ctrl+Tab
sleep 0.5
import -window root "$OUT/page2-programmation.png"
xdotool key ctrl+Tab
sleep 0.5
# Enter the list and select the first row, as a user clicking it would.
xdotool mousemove 120 89 click 1
sleep 0.5
import -window root "$OUT/page3-visualisation.png"
xdotool mousemove 67 8 click 1
sleep 0.5
xdotool key Down Down Return
sleep 1
import -window root "$OUT/about.png"
echo "screenshots in $OUT"
