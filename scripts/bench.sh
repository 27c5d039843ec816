#!/usr/bin/env bash
# Builds the benchmark program in Release mode (its own build directory) and runs it.
# Arguments go to pellumo-bench: record counts (default 10000 100000), --only name,name.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PELLUMO_BENCH_BUILD_DIR:-$root/build-release}
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELLUMO_TESTS=OFF
cmake --build "$build" -j2 --target pellumo-bench
QT_QPA_PLATFORM=offscreen "$build/bench/pellumo-bench" "$@"
