#!/usr/bin/env bash
# Learns the values of the late-position judgement again and writes engine/generated/pattern_values.cpp:
# three batches of solved positions, each from its own seed, made side by side, then one fit
# over all of them. The batches below give the committed values; about 40 minutes on two
# processors.
#
#   tools/train-eval.sh
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target brelvoxan_train_eval
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pids=()
batches=()
for batch in 11:72000 12:29382 13:25000; do
  seed=${batch%:*}
  build/brelvoxan-train-eval positions "$seed" "${batch#*:}" >"$work/$seed.txt" &
  pids+=($!)
  batches+=("$work/$seed.txt")
done
for pid in "${pids[@]}"; do wait "$pid"; done
build/brelvoxan-train-eval train "${batches[@]}" >"$work/values.cpp"
mv "$work/values.cpp" engine/generated/pattern_values.cpp
