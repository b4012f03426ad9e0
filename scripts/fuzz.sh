#!/usr/bin/env bash
# Runs every fuzz target of tests/fuzz on its seed corpus for a set time (docs/fuzzing.md).
#   scripts/fuzz.sh [--build DIR] [--time SECONDS] [TARGET...]
# Builds the sanitized build first when it is missing (build/sanitize, clang, -DTOLM_FUZZ=ON). New
# inputs go to DIR/fuzz-corpus/TARGET (the seeds in the tree stay as they are); an input that
# crashes, leaks, runs out of memory or time is kept as DIR/fuzz-findings/TARGET-... and the script
# fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=build/sanitize
seconds=${TOLM_FUZZ_SECONDS:-60}
# 0: a new random seed each run; CI gives a fixed one, so that a run shows the same inputs again.
seed=${TOLM_FUZZ_SEED:-0}
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --time) seconds=$2; shift 2 ;;
    -h|--help) sed -n '2,7p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done

if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" \
    -DTOLM_SANITIZE=address,undefined -DTOLM_FUZZ=ON -DTOLM_BUILD_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$build" --target fuzz_targets -j "$(nproc)"

if [ ${#targets[@]} -eq 0 ]; then
  for corpus in tests/fuzz/corpus/*/; do targets+=("$(basename "$corpus")"); done
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=suppressions=$root/tests/sanitize/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1
mkdir -p "$build/fuzz-findings"
failed=()
for target in "${targets[@]}"; do
  work="$build/fuzz-corpus/$target"
  mkdir -p "$work"
  echo "== $target: ${seconds} s"
  # One process, at most 25 s an input and 2 GB: a reader that hangs or swells is a finding too.
  if ! "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -seed="$seed" -timeout=25 -rss_limit_mb=2048 \
       -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/fuzz-findings/$target-" \
       "$work" "tests/fuzz/corpus/$target" >"$build/fuzz-findings/$target.log" 2>&1; then
    failed+=("$target")
    tail -40 "$build/fuzz-findings/$target.log"
  else
    grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$build/fuzz-findings/$target.log" | tail -2 || true
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: findings in ${failed[*]} (inputs in $build/fuzz-findings)" >&2
  exit 1
fi
