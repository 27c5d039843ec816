#!/usr/bin/env bash
# Builds everything once more with AddressSanitizer and UndefinedBehaviorSanitizer, in a
# second build directory, and runs the whole test suite under them, headless.
#   bash scripts/ci-sanitize.sh
# The instrumented build is optimised lightly (-O1) so that it and its tests stay quick; the
# benchmark program is left out, its timings mean nothing under the sanitizers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PELLUMO_SANITIZE_BUILD_DIR:-$root/build-asan}
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DPELLUMO_SANITIZE=ON -DPELLUMO_BENCH=OFF
cmake --build "$build" -j2
export QT_QPA_PLATFORM=offscreen
# Every error stops the test that made it, leaks included: Qt's own allocations that live
# until the process ends stay reachable and make no noise.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" -j2 --output-on-failure --timeout 600
