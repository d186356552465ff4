#!/bin/bash
# The Debian package as a user of the machine gets it: made from the build,
# checked by lintian, installed with apt, run by an ordinary user with a home
# of the test's own, whose files land in that user's data folder and whose
# due entry runs; then removed, leaving the machine as it was.
# Usage: package_test.sh <build folder>
set -u
BUILD=$1
SKIP=77
skip() { echo "SKIPPED: $*"; exit $SKIP; }
command -v dpkg >/dev/null || skip "dpkg is missing here: no Debian package to install"
command -v apt-get >/dev/null || skip "apt-get is missing here: no Debian package to install"
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root (CI runs as root)"
if dpkg-query -W -f='${Status}' pendulix 2>/dev/null | grep -q 'install ok installed'; then
    skip "pendulix is installed on this machine: the test leaves it alone"
fi

WORK=$(mktemp -d)
chmod 755 "$WORK"
USER_HOME="$WORK/home"
RUNTIME="$WORK/run"
DATA="$USER_HOME/.local/share/pendulix"
INSTALLED=0
cleanup() {
    pkill -u nobody -f '^/usr/bin/Pendulix' 2>/dev/null
    for _ in $(seq 50); do pgrep -u nobody -f '^/usr/bin/Pendulix' >/dev/null || break; sleep 0.1; done
    if [ "$INSTALLED" -eq 1 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o DPkg::Lock::Timeout=300 pendulix >/dev/null 2>&1
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Waits up to $1 tenths of a second for the command that follows to succeed.
wait_for() {
    local tenths=$1
    shift
    for _ in $(seq "$tenths"); do "$@" && return 0; sleep 0.1; done
    "$@"
}
as_user() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -i HOME="$USER_HOME" XDG_RUNTIME_DIR="$RUNTIME" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        QT_QPA_PLATFORM=offscreen "$@"
}

(cd "$BUILD" && cpack -G DEB -B "$WORK/package" >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; fail "cpack made no package"; }
deb=$(ls "$WORK"/package/pendulix_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no pendulix_*.deb"

contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/Pendulix ./usr/bin/pendulix ./usr/bin/pendulix-run ./usr/share/pendulix/sourcelang.ini \
    ./usr/share/pendulix/aide/fr/index.html ./usr/share/applications/pendulix.desktop \
    ./usr/share/metainfo/example.pendulix.Pendulix.metainfo.xml ./usr/share/man/man1/pendulix.1.gz \
    ./usr/share/man/fr/man1/pendulix.1.gz ./usr/share/icons/hicolor/256x256/apps/pendulix.png \
    ./usr/share/icons/hicolor/16x16/apps/pendulix.png ./usr/share/doc/pendulix/copyright; do
    grep -q " $path\( \|$\)" <<<"$contents" || fail "the package holds no $path"
done
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "the dependencies were not computed from the libraries: $(dpkg-deb -f "$deb" Depends)"

if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "$deb" >"$WORK/lintian.txt" 2>&1
    if grep -q '^E:' "$WORK/lintian.txt"; then
        cat "$WORK/lintian.txt"
        fail "lintian reports errors"
    fi
    echo "lintian: $(grep -c '^W:' "$WORK/lintian.txt") warnings, no error"
else
    echo "lintian is not installed: the package's lint is not checked"
fi

selections_before=$(dpkg --get-selections)
INSTALLED=1
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$deb" >"$WORK/apt.log" 2>&1 \
    || { cat "$WORK/apt.log"; fail "apt-get could not install the package"; }
desktop-file-validate /usr/share/applications/pendulix.desktop | grep -v ': hint: ' && fail "the desktop entry is not valid"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net /usr/share/metainfo/example.pendulix.Pendulix.metainfo.xml >"$WORK/appstream.txt" 2>&1 \
        || { cat "$WORK/appstream.txt"; fail "the metainfo file is not valid"; }
fi
grep -q '^Exec="/usr/bin/Pendulix"' /usr/share/applications/pendulix.desktop || fail "the menu entry does not name /usr/bin/Pendulix"

mkdir -p "$USER_HOME" && mkdir -m 700 "$RUNTIME"
chown nobody:nogroup "$USER_HOME" "$RUNTIME"
cat >"$WORK/job.sh" <<'JOB'
#!/bin/sh
echo ran >> "$HOME/job.ran"
JOB
chmod 755 "$WORK/job.sh"

# Not running yet: the terminal's list is empty, a request finds nobody.
out=$(as_user /usr/bin/pendulix --list) || fail "--list without an instance ended with $?"
[ -z "$out" ] || fail "--list of a user without a schedule said: $out"
as_user /usr/bin/pendulix --run-now 1 2>/dev/null
[ $? -eq 3 ] || fail "--run-now without an instance does not end with 3"
[ ! -e "$DATA" ] || fail "the terminal made the user's folder"

as_user /usr/bin/Pendulix >"$WORK/first.log" 2>&1 &
wait_for 200 test -s "$DATA/serie.ini" || fail "the first start left no settings in $DATA: $(cat "$WORK/first.log")"
[ -e "$DATA/cron-bat.dat" ] || fail "no schedule in $DATA"
[ "$(stat -c %a "$DATA")" = 700 ] || fail "$DATA is $(stat -c %a "$DATA"), not 700"
[ "$(stat -c %U "$DATA")" = nobody ] || fail "$DATA is not the user's"

# An entry of every minute, typed into the schedule as an editor would.
printf '1|0|0|0|0|0|0|0|0|%s|\r\n' "$WORK/job.sh" | as_user sh -c "cat >> '$DATA/cron-bat.dat'"
wait_for 1500 test -s "$USER_HOME/job.ran" || fail "the due entry did not run within 150 s"
journal="$DATA/$(date +%Y%m%d).log"
wait_for 50 grep -q "job.sh" "$journal" || fail "the start is not in the user's journal $journal"

out=$(as_user /usr/bin/pendulix --list) || fail "--list ended with $?"
grep -q '^001  -  .*job.sh$' <<<"$out" || fail "--list does not list the entry: $out"
runs=$(wc -l <"$USER_HOME/job.ran")
as_user /usr/bin/pendulix --run-now 1 >/dev/null || fail "--run-now 1 ended with $?"
wait_for 100 sh -c "[ \$(wc -l < '$USER_HOME/job.ran') -gt $runs ]" || fail "--run-now did not run the entry"

# Nothing the package installed was changed, and nothing was written beside it.
verify=$(dpkg -V pendulix)
[ -z "$verify" ] || fail "dpkg -V pendulix: $verify"
[ -z "$(find /usr/bin /usr/share/pendulix -newer "$deb" -name 'cron-bat*' 2>/dev/null)" ] || fail "files were written beside the program"

pkill -u nobody -f '^/usr/bin/Pendulix'
wait_for 100 sh -c '! pgrep -u nobody -f "^/usr/bin/Pendulix" >/dev/null' || fail "the program did not end on SIGTERM"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o DPkg::Lock::Timeout=300 pendulix >/dev/null 2>&1 || fail "the package could not be removed"
INSTALLED=0
[ ! -e /usr/bin/Pendulix ] || fail "/usr/bin/Pendulix is still there"
[ "$(dpkg --get-selections)" = "$selections_before" ] || fail "the machine's packages are not as they were"
echo "PASS: the package installs, runs as an ordinary user in ~/.local/share/pendulix and goes"
