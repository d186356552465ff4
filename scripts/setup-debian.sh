#!/bin/sh
# Installs the Debian packages Pendulix needs to build, run and test.
# Idempotent: the package lists are refreshed only when something is missing.
set -eu

PACKAGES="cmake make g++ pkg-config qt6-base-dev qt6-translations-l10n libjpeg-dev libasound2-dev python3 fp-utils musl-tools"
# The desktop tests and the screenshots: an X server, a tray host, a session
# manager (xsm, with iceauth), and the tools that click and take pictures.
DESKTOP="xvfb trayer xdotool imagemagick x11-session-utils x11-xserver-utils x11-utils"
case "${1:-}" in
# The accessibility bus the desktop tests find controls on by name, as a screen reader does.
# Weston and Qt's wayland platform for the Wayland case.
# The Debian package: dpkg-dev and file for its dependencies, lintian and
# appstream to check it.
--tests) PACKAGES="$PACKAGES $DESKTOP clang libclang-rt-14-dev openssl desktop-file-utils libglib2.0-bin dbus at-spi2-core python3-pyatspi python3-gi weston qt6-wayland dpkg-dev file lintian appstream" ;;
--screenshots) PACKAGES="$PACKAGES $DESKTOP chromium" ;;
--bench) PACKAGES="$PACKAGES $DESKTOP cron" ;;
--package) PACKAGES="$PACKAGES dpkg-dev file lintian appstream" ;;
# The Windows layer: the MinGW-w64 cross compiler (posix threads), GoogleTest's
# sources, and Wine to run what it builds; nothing of the rest.
--windows) PACKAGES="g++-mingw-w64-x86-64-posix googletest wine wine64" ;;
esac

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
