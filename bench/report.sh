#!/bin/bash
# Builds in Release with the benchmarks and prints one table of figures, for
# README: launch latency (with and without silent web addresses), one pass
# over 10,000 entries, the resident program's memory and idle wake-ups beside
# Debian's cron, start-up to the window shown, the journal viewer on
# 1,000,000 lines and the purge of 10,000 journals.
# Usage: bench/report.sh [minutes of latency measurement, default 3; 0 skips it]
set -eu
cd "$(dirname "$0")/.."
MINUTES=${1:-3}
sh scripts/setup-debian.sh --bench
BUILD=build-bench
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DPENDULIX_BENCH=ON >/dev/null
cmake --build "$BUILD" --parallel "$(nproc)" >/dev/null
WORK=$(mktemp -d)
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done; sleep 0.3; rm -rf "$WORK" || true' EXIT

row() { printf '| %s | %s |\n' "$1" "$2"; }
# Memory and wake-ups of a process: RSS and PSS from smaps_rollup, and the
# times its main thread (the one with the timers) went to sleep and woke, over
# one idle minute. Helper threads that come and go would make a sum over all
# threads meaningless.
rss_pss() { awk '/^Rss:/ { r = $2 } /^Pss:/ { p = $2 } END { printf "%d KiB / %d KiB", r, p }' "/proc/$1/smaps_rollup"; }
switches() { awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$1/status"; }
wakeups() {
    local before after
    before=$(switches "$1")
    sleep 60
    after=$(switches "$1")
    echo $((after - before))
}

echo "Machine: $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), $(uname -sr), measured $(date -u +%Y-%m-%d)"
echo
echo "| What | Figure |"
echo "|---|---|"
if [ "$MINUTES" -gt 0 ]; then
    row "launch latency after the minute (median, worst)" \
        "$(bash bench/launch_latency.sh "$BUILD" "$MINUTES" 0 | sed 's/.*: //')"
    row "the same, 25 silent web addresses listed before it" \
        "$(bash bench/launch_latency.sh "$BUILD" "$MINUTES" 25 | sed 's/.*: //')"
fi
row "one pass over 10,000 entries, none due" \
    "$("$BUILD/bench/bench_scheduler" | awk -F': ' '/none due/ { print $2 }' | sed 's/ per pass.*//')"

# A terminal's list of 10,000 entries, from its start to its end: the
# median of 5 starts.
mkdir -p "$WORK/l/run"
chmod 700 "$WORK/l/run"
cp "$BUILD/Pendulix" "$BUILD/sourcelang.ini" "$WORK/l/"
awk 'BEGIN { printf "\r\n"; for (i = 0; i < 10000; i++)
    printf "%d|%d|0|1|0|0|0|0|0|/srv/job%d.sh|nom=job%d|\r\n", i % 60, i % 24, i, i }' > "$WORK/l/cron-bat.dat"
list_ms=()
for _ in 1 2 3 4 5; do
    t0=$(date +%s%N)
    XDG_RUNTIME_DIR="$WORK/l/run" "$WORK/l/Pendulix" --list > "$WORK/l/listed"
    list_ms+=($((($(date +%s%N) - t0) / 1000000)))
done
[ "$(wc -l < "$WORK/l/listed")" -eq 10000 ] || echo "the list does not have 10,000 lines" >&2
row "\`Pendulix --list\` of 10,000 entries, start to end (median of 5)" \
    "$(printf '%s\n' "${list_ms[@]}" | sort -n | sed -n 3p) ms"

# The program hidden in the tray, idle, on the offscreen platform.
mkdir -p "$WORK/p/run"
chmod 700 "$WORK/p/run"
cp "$BUILD/Pendulix" "$BUILD/sourcelang.ini" "$WORK/p/"
printf '\r\n30|14|0|1|0|0|0|0|0|/srv/backup.sh|\r\n' > "$WORK/p/cron-bat.dat"
START=$(date +%s%N)
XDG_RUNTIME_DIR="$WORK/p/run" QT_QPA_PLATFORM=offscreen "$WORK/p/Pendulix" >/dev/null 2>&1 &
APP=$!
PIDS+=($APP)
# The start-up's last file: the settings, saved as the window goes to the tray.
while [ ! -s "$WORK/p/serie.ini" ]; do sleep 0.01; done
READY=$(date +%s%N)
# Qt's thread pool retires its start-up threads after 30 idle seconds, which
# wakes the main thread once; idle begins when the main thread is alone.
for _ in $(seq 450); do
    [ "$(ls "/proc/$APP/task" | wc -l)" -eq 1 ] && break
    sleep 0.1
done
sleep 2
row "Pendulix hidden in the tray: RSS / PSS" "$(rss_pss $APP)"
row "Pendulix idle: wake-ups in one minute" "$(wakeups $APP)"
kill $APP

# Debian's cron, in the foreground, stopped by its PID; where the system's
# own cron already runs (it holds cron's lock), that one is measured.
if command -v cron >/dev/null; then
    CRON=$(pgrep -x cron | head -n1 || true)
    OWN=""
    if [ -z "$CRON" ]; then
        cron -f -L 0 >/dev/null 2>&1 &
        CRON=$!
        OWN=$CRON
        PIDS+=($CRON)
        sleep 5
    fi
    row "Debian's cron beside it: RSS / PSS" "$(rss_pss "$CRON")"
    row "Debian's cron idle: wake-ups in one minute" "$(wakeups "$CRON")"
    [ -z "$OWN" ] || kill "$OWN"
fi

# Process start to the window shown, on a real X server when there is one.
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
    exec 3> "$WORK/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    PIDS+=($!)
    while [ ! -s "$WORK/display" ]; do sleep 0.05; done
    export DISPLAY=:$(head -n1 "$WORK/display")
    rm -f "$WORK/p/serie.ini"
    START=$(date +%s%N)
    XDG_RUNTIME_DIR="$WORK/p/run" QT_QPA_PLATFORM=xcb "$WORK/p/Pendulix" >/dev/null 2>&1 &
    APP=$!
    PIDS+=($APP)
    until xdotool search --onlyvisible --name '^Pendulix$' >/dev/null 2>&1; do sleep 0.01; done
    SHOWN=$(date +%s%N)
    row "process start to window shown (Xvfb)" "$(((SHOWN - START) / 1000000)) ms"
    kill $APP
else
    row "process start to start-up done (offscreen)" "$(((READY - START) / 1000000)) ms"
fi

MANY=$(QT_QPA_PLATFORM=offscreen "$BUILD/bench/bench_many_starts" 10000 /usr/bin/true hidden)
row "10,000 entries due in one minute, window hidden" \
    "$(echo "$MANY" | awk '/starts recorded/' | sed 's/^10000 //')"
row "the same count of bare spawns, the machine's floor" \
    "$(echo "$MANY" | awk '/bare spawns/' | sed 's/.*machine: //')"
row "the burst over the floor" "$(echo "$MANY" | awk '/^ratio:/ { print $2 }')"
row "journal viewer, 1,000,000 lines" \
    "$(QT_QPA_PLATFORM=offscreen "$BUILD/bench/bench_viewer" | awk '/^1000000 lines/' | sed 's/^1000000 lines, //')"
row "purge of 10,000 journals beside 10,000 other files" \
    "$(QT_QPA_PLATFORM=offscreen "$BUILD/bench/bench_purge" | sed 's/.*tree: //')"
