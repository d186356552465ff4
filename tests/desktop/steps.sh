# What the desktop tests share, sourced by them after they define fail():
# counting passes, polling, and steps on the accessibility bus.
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
