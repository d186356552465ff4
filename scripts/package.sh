#!/bin/sh
# Builds Pendulix in Release with Debian's hardening flags and makes the
# Debian package: build-package/pendulix_<version>_<arch>.deb.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup-debian.sh --package
BUILD=build-package
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now" \
    cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" --parallel "$(nproc)"
(cd "$BUILD" && cpack -G DEB)
ls "$BUILD"/pendulix_*.deb
