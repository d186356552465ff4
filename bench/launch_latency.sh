#!/bin/sh
# Starts Pendulix with an interval entry of one minute whose target records
# the time it was started, lets it run for MINUTES minutes (default 3), and
# prints the offset of each start from its minute boundary.
# With SILENT > 0, that many web-address entries of one minute, whose server
# accepts the connection and never answers, are listed before the measured one.
# Usage: bench/launch_latency.sh [build-dir] [minutes] [silent]
set -eu
BUILD=${1:-build}
MINUTES=${2:-3}
SILENT=${3:-0}
WORK=$(mktemp -d)
PID=
SERVER=
trap 'kill $PID $SERVER 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$WORK"' EXIT
cp "$BUILD/Pendulix" "$BUILD/pendulix-run" "$WORK/"
mkdir -p "$WORK/run" && chmod 700 "$WORK/run"
# The measured target notes the time it starts and nothing else: a shell
# script would add its own start-up, and that of date, to the figure.
cat > "$WORK/stamp.c" <<'SOURCE'
#include <stdio.h>
#include <time.h>
int main(int argc, char **argv)
{
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    FILE *f = fopen(argv[1], "a");
    if (!f)
        return 1;
    fprintf(f, "%ld.%09ld\n", (long)t.tv_sec, t.tv_nsec);
    return fclose(f) != 0;
}
SOURCE
cc -O2 -o "$WORK/stamp" "$WORK/stamp.c"
printf '\r\n' > "$WORK/cron-bat.dat"
if [ "$SILENT" -gt 0 ]; then
    # Connections complete in the listen queue and are never answered.
    python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(1024)
print(s.getsockname()[1], flush=True); time.sleep(86400)' > "$WORK/port" &
    SERVER=$!
    while [ ! -s "$WORK/port" ]; do sleep 0.1; done
    PORT=$(cat "$WORK/port")
    i=0
    while [ $i -lt "$SILENT" ]; do
        printf '1|0|0|0|0|0|0|0|0|http://127.0.0.1:%s/silent%d|\r\n' "$PORT" $i >> "$WORK/cron-bat.dat"
        i=$((i + 1))
    done
fi
printf '1|0|0|0|0|0|0|0|0|%s %s|\r\n' "$WORK/stamp" "$WORK/stamps" >> "$WORK/cron-bat.dat"
XDG_RUNTIME_DIR="$WORK/run" QT_QPA_PLATFORM=offscreen "$WORK/Pendulix" 2>/dev/null &
PID=$!
sleep $((MINUTES * 60 + 62))
# The first start comes a second after launch; the others are the minute ticks.
tail -n +2 "$WORK/stamps" | awk '{ f = $1 - int($1 / 60) * 60; ms = f * 1000; print ms }' |
    sort -n | awk '{ a[NR] = $1 } END {
        if (NR == 0) { print "no starts recorded"; exit 1 }
        printf "%d minute starts: median %.1f ms, worst %.1f ms after the boundary\n", NR, a[int((NR + 1) / 2)], a[NR] }'
