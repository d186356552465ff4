#!/bin/sh
# Builds Pendulix with its tests and runs them all through CTest.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup-debian.sh --tests
cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DPENDULIX_TESTS=ON >/dev/null
cmake --build build-tests --parallel "$(nproc)"
cd build-tests
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 120
