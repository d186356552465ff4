#!/bin/sh
# Starts Pendulix with an interval entry of one minute whose target records
# the time it was started, lets it run for MINUTES minutes (default 3), and
# prints the offset of each start from its minute boundary.
# Usage: bench/launch_latency.sh [build-dir] [minutes]
set -eu
BUILD=${1:-build}
MINUTES=${2:-3}
WORK=$(mktemp -d)
trap 'kill $PID 2>/dev/null || true; rm -rf "$WORK"' EXIT
cp "$BUILD/Pendulix" "$WORK/"
mkdir -p "$WORK/run" && chmod 700 "$WORK/run"
cat > "$WORK/stamp.sh" <<'SCRIPT'
#!/bin/sh
date +%s.%N >> "$(dirname "$0")/stamps"
SCRIPT
chmod +x "$WORK/stamp.sh"
printf '\r\n1|0|0|0|0|0|0|0|0|%s|\r\n' "$WORK/stamp.sh" > "$WORK/cron-bat.dat"
XDG_RUNTIME_DIR="$WORK/run" QT_QPA_PLATFORM=offscreen "$WORK/Pendulix" 2>/dev/null &
PID=$!
sleep $((MINUTES * 60 + 62))
# The first start comes a second after launch; the others are the minute ticks.
tail -n +2 "$WORK/stamps" | awk '{ f = $1 - int($1 / 60) * 60; ms = f * 1000; print ms }' |
    sort -n | awk '{ a[NR] = $1 } END {
        if (NR == 0) { print "no starts recorded"; exit 1 }
        printf "%d minute starts: median %.1f ms, worst %.1f ms after the boundary\n", NR, a[int((NR + 1) / 2)], a[NR] }'
