#!/bin/sh
# Builds Pendulix with its tests and runs them all through CTest; then the
# Windows layer's primitives, cross-built and run under Wine; then the
# whole suite again built with AddressSanitizer and UndefinedBehaviorSanitizer;
# then each libFuzzer target for a while (FUZZ_SECONDS, default 30).
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup-debian.sh --tests
JOBS=$(nproc)

# The benchmarks are built, not run, so that they keep up with the code.
cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DPENDULIX_TESTS=ON -DPENDULIX_BENCH=ON >/dev/null
cmake --build build-tests --parallel "$JOBS"
(cd build-tests && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 180 -LE minute)

# The faults that wait for the program's minute checks mostly wait: they run
# beside the next stages and are reported before the fuzzing.
(cd build-tests && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -L minute) \
    > build-tests/minute-faults.log 2>&1 &
MINUTE_FAULTS=$!
# A stage that fails ends the script: the faults beside it end with it.
trap 'kill "$MINUTE_FAULTS" 2>/dev/null || true' EXIT

echo "== the Windows layer, cross-built with MinGW-w64 and run under Wine"
if sh scripts/setup-debian.sh --windows; then
    bash tests/windows/run.sh build-windows
else
    echo "Windows layer: SKIPPED, its Debian packages could not be installed here"
fi

echo "== the suite with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPENDULIX_TESTS=ON -DPENDULIX_SANITIZE=ON >/dev/null
cmake --build build-asan --parallel "$JOBS"
# Mesa's GL driver, which Qt's wayland client loads for GL windows we never
# make, leaks at exit once libEGL has unloaded it, where LSan can no longer
# name it to suppress: here the wayland client draws through shared memory
# only, as our windows do anyway (the first run above keeps the driver).
(cd build-asan &&
    QT_WAYLAND_CLIENT_BUFFER_INTEGRATION=none \
    ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$(pwd)/../tests/sanitizers/lsan.supp" \
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -LE minute)

echo "== the faults that wait for the minute checks"
minute_status=0
wait "$MINUTE_FAULTS" || minute_status=$?
cat build-tests/minute-faults.log
[ "$minute_status" -eq 0 ]

echo "== fuzzing"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPENDULIX_FUZZ=ON >/dev/null
cmake --build build-fuzz --parallel "$JOBS" --target fuzz_schedule fuzz_ini fuzz_http fuzz_journal fuzz_client
bash tests/fuzz/run.sh build-fuzz "${FUZZ_SECONDS:-30}"
