#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer)
# in their own build directory and runs each for the given number of seconds (default 60),
# two at a time, starting from the seeds in fuzz/corpus/<target>/. A finding stops the
# script with the target's report; the input that caused it is kept in the build directory.
#   bash scripts/fuzz.sh [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${PELLUMO_FUZZ_BUILD_DIR:-$root/build-fuzz}
targets=(profile listfile rtf companion vcard)

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DPELLUMO_FUZZ=ON -DPELLUMO_TESTS=OFF -DPELLUMO_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target fuzz_all

mkdir -p "$build/fuzz-logs" "$build/fuzz-artifacts"
run() {
  local target=$1
  # New inputs go to a scratch corpus; the seeds in the repository stay as they are.
  local scratch="$build/fuzz-corpus/$target"
  mkdir -p "$scratch"
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$target-" \
    "$scratch" "$root/fuzz/corpus/$target" >"$build/fuzz-logs/$target.log" 2>&1
}

failed=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pids=()
  for target in "${targets[@]:i:2}"; do
    run "$target" &
    pids+=("$!:$target")
  done
  for entry in "${pids[@]}"; do
    if ! wait "${entry%%:*}"; then
      target=${entry#*:}
      echo "fuzz_$target: FINDING" >&2
      tail -n 60 "$build/fuzz-logs/$target.log" >&2
      failed=1
    fi
  done
done

for target in "${targets[@]}"; do
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$build/fuzz-logs/$target.log" | grep -o '[0-9]*$' || echo 0)
  echo "fuzz_$target: $runs executions in ${seconds}s"
done
exit $failed
