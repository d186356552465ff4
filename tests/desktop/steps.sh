# What the desktop tests share, sourced once SHOTS and HERE are set: a work
# folder and the processes to end with it, counting passes, polling, and
# steps on the accessibility bus (act calls the test's own fail()).
mkdir -p "$SHOTS"
WORK=$(mktemp -d)
PROG=$WORK/program
PIDS=()
all_ended() {
    local pid
    for pid in "${PIDS[@]}"; do kill -0 "$pid" 2>/dev/null && return 1; done
    return 0
}
# What they still write must not land in a folder being removed.
cleanup() {
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    waitfor 10 all_ended
    rm -rf "$WORK"
}
trap cleanup EXIT
PASSED=0
pass() {
    echo "PASS: $*"
    PASSED=$((PASSED + 1))
}
# Polls a condition, evaluated anew at every try, for up to $1 seconds.
waitfor() {
    local deadline=$((SECONDS + $1))
    shift
    while :; do
        "$@" && return 0
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.2
    done
}
ended() { ! kill -0 "$1" 2>/dev/null; }
ui() { /usr/bin/python3 "$HERE/ui.py" "$@"; }
# A step on the bus, or the reason it could not be done.
act() {
    local what=$1 why
    shift
    why=$(ui "$@" 2>&1) || fail "$what: $why"
}
