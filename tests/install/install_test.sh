#!/bin/bash
# cmake --install into a prefix chosen at install time, one a user may well
# have: the program in bin, its data in share/pendulix; the menu entry names
# the program installed there, and the desktop's launcher starts it, which
# keeps its user's files in that user's data folder, not beside itself.
# Usage: install_test.sh <build folder>
set -u
BUILD=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -m 700 "$WORK/run"
fail() { echo "FAIL: $*"; exit 1; }
for prefix in "$WORK/plain" "$WORK/my \$apps \`x\` 100%"; do
    cmake --install "$BUILD" --prefix "$prefix" >/dev/null || fail "the install into $prefix failed"
    entry="$prefix/share/applications/pendulix.desktop"
    [ -x "$prefix/bin/Pendulix" ] || fail "no program in $prefix"
    [ -x "$prefix/bin/pendulix-run" ] || fail "no keeper beside the program in $prefix"
    [ -f "$prefix/share/pendulix/sourcelang.ini" ] || fail "no language file in $prefix/share/pendulix"
    desktop-file-validate "$entry" | grep -v '^.*: hint: ' && fail "$entry is not valid"
    # The Exec value read back by the Desktop Entry rules names the installed program.
    exec_line=$(sed -n 's/^Exec=//p' "$entry")
    named=$(printf '%s' "$exec_line" | sed -e 's/\\\\/\\/g' -e 's/^"//' -e 's/"$//' \
            -e 's/\\\([\\"`$]\)/\1/g' -e 's/%%/%/g')
    [ "$named" = "$prefix/bin/Pendulix" ] || fail "Exec names '$named', not the program in $prefix"
done
# GLib's launcher starts the plain one (it looks a program up before it reads
# "%%", so no such launcher starts one whose path holds a '%').
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$WORK/run" XDG_DATA_HOME="$WORK/data" gio launch "$WORK/plain/share/applications/pendulix.desktop" \
    || fail "gio does not launch the entry"
for _ in $(seq 100); do
    [ -e "$WORK/data/pendulix/cron-bat.dat" ] && break
    sleep 0.1
done
pkill -f "$WORK/plain/bin/Pendulix"
[ -e "$WORK/data/pendulix/cron-bat.dat" ] || fail "the launched entry did not start the program in its user's folder"
[ "$(stat -c %a "$WORK/data/pendulix")" = 700 ] || fail "the user's folder is not 0700"
[ ! -e "$WORK/plain/bin/cron-bat.dat" ] || fail "the installed program wrote its schedule beside itself"
echo "PASS: the installed entry names and starts the installed program"
