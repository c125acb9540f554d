#!/usr/bin/env bash
# Builds the picture file fuzzer with clang in BUILD_DIR, replays the committed corpus, then
# fuzzes RUNS inputs (default 100000, about 20 s of processor time) from seed 1, so that a run
# is the same work on any machine, however busy. Exit 0 only when neither found anything. New
# inputs go to BUILD_DIR/corpus, findings to BUILD_DIR/findings; fuzz/corpus is never changed.
# Usage: bash fuzz/run.sh BUILD_DIR [RUNS | --build-only]   (from the repository root)
set -euo pipefail
build=${1:?usage: run.sh BUILD_DIR [RUNS | --build-only]}
runs=${2:-100000}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRELVOXAN_WERROR=ON \
  -DCMAKE_CXX_COMPILER=clang++-14 -DBRELVOXAN_FUZZ=ON -DBRELVOXAN_BUILD_BENCH=OFF \
  -DBRELVOXAN_BUILD_SDL=OFF >/dev/null
cmake --build "$build" --target brelvoxan_fuzz_picture -j "$(nproc)"
[[ $runs == --build-only ]] && exit 0
fuzzer=$build/brelvoxan_fuzz_picture
mkdir -p "$build/corpus" "$build/findings"
# A single allocation over 64 MB, 1 GB in all or 2 s for one input are findings too.
limits=(-rss_limit_mb=1024 -malloc_limit_mb=64 -timeout=2 -max_len=16384)
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Each input goes through a file, as the decoders read files: a file in memory where the system
# has a place for them, so that a busy disk does not hold up the runs.
if [[ -d /dev/shm && -w /dev/shm ]]; then export TMPDIR=/dev/shm; fi

echo "replaying fuzz/corpus"
"$fuzzer" "${limits[@]}" -runs=0 fuzz/corpus 2>"$build/replay.log" ||
  { tail -n 40 "$build/replay.log"; exit 1; }
grep -E "^#[0-9]+[[:space:]]+DONE" "$build/replay.log" | tail -n 1

echo "fuzzing $runs inputs"
"$fuzzer" "${limits[@]}" -runs="$runs" -seed=1 -print_final_stats=1 \
  -artifact_prefix="$build/findings/" "$build/corpus" fuzz/corpus 2>"$build/fuzz.log" ||
  { tail -n 60 "$build/fuzz.log"; exit 1; }
grep -E "^stat::(number_of_executed_units|new_units_added|peak_rss_mb)" "$build/fuzz.log"
