#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time,
# starting from the seed corpus (copied, so that the repository is left as
# it is). Exits non-zero on the first finding; the input that shows it is
# left in fuzz/ as crash-*, leak-*, timeout-* or oom-*.
#
#   fuzz/run_fuzzers.sh [SECONDS-PER-TARGET] [TARGET...]
#
# TALK_FUZZ_CXX names the clang++ that builds them (default clang++-14).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(listing command_line d88 fat12 import)

build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER="${TALK_FUZZ_CXX:-clang++-14}" -DTALK_BUILD_FUZZERS=ON \
  -DTALK_BUILD_TESTS=OFF -DTALK_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$build" --target $(printf 'fuzz_%s ' "${targets[@]}")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
  mkdir -p "$work/$target"
  cp fuzz/corpus/"$target"/* "$work/$target/"
  options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$PWD/fuzz/")
  [ "$target" = fat12 ] && options+=(-max_len=16384)
  echo "== fuzz_$target for $seconds s"
  log="$work/$target.log"
  if ! "$build/fuzz/fuzz_$target" "${options[@]}" "$work/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz_$target found a fault; replay its input with: $build/fuzz/fuzz_$target FILE"
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log"
done
echo "no findings"
