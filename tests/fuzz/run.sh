#!/bin/bash
# Runs each libFuzzer target for SECONDS (default 30) from its committed seeds,
# and every input that ever failed (regressions/<name>) once. Fails on the
# first crash, leak, sanitizer report or broken property; the input that did
# it is left in the build folder, to be committed under regressions/.
# Usage: tests/fuzz/run.sh <fuzz build dir> [seconds]
set -u
BUILD=$1
SECONDS_EACH=${2:-30}
HERE=$(cd "$(dirname "$0")" && pwd)
status=0
passed=0
failed=0
for name in schedule ini http journal client; do
    exe=$BUILD/tests/fuzz/fuzz_$name
    work=$BUILD/fuzz-corpus/$name
    mkdir -p "$work" "$BUILD/fuzz-artifacts"
    if [ -d "$HERE/regressions/$name" ] && [ -n "$(ls -A "$HERE/regressions/$name")" ]; then
        "$exe" -runs=0 "$HERE/regressions/$name"/* >"$BUILD/fuzz-$name-regressions.log" 2>&1 ||
            { echo "FAIL: fuzz_$name on a former failure"; tail -n 30 "$BUILD/fuzz-$name-regressions.log"; status=1; }
    fi
    if "$exe" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -artifact_prefix="$BUILD/fuzz-artifacts/$name-" "$work" "$HERE/corpus/$name" \
        >"$BUILD/fuzz-$name.log" 2>&1; then
        passed=$((passed + 1))
        echo "PASS: fuzz_$name $(grep -Eo 'Done [0-9]+ runs' "$BUILD/fuzz-$name.log" | tail -n1), $(grep -Eo 'cov: [0-9]+' "$BUILD/fuzz-$name.log" | tail -n1)"
    else
        failed=$((failed + 1))
        echo "FAIL: fuzz_$name"
        tail -n 40 "$BUILD/fuzz-$name.log"
        status=1
    fi
done
echo "$passed passed, $failed failed"
exit $status
