#!/usr/bin/env bash
# Sets everything up and runs every test: the normal build, then the core and
# its tests once more under AddressSanitizer and UndefinedBehaviorSanitizer,
# then each fuzz target for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."

unset ZELKON_BUILD_TARGETS  # everything: programs, tests and benchmarks
scripts/setup.sh build
scripts/check-format.sh
scripts/check-layers.sh
export QT_QPA_PLATFORM=offscreen
(cd build && ctest --output-on-failure -j2 --timeout 300)

scripts/setup.sh build-sanitize -DZELKON_SANITIZE=ON -DZELKON_WITH_WIDGETS=OFF \
    -DCMAKE_BUILD_TYPE=Debug
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-sanitize && ctest --output-on-failure -j2 --timeout 600 -LE no-sanitize)

scripts/fuzz.sh 20
