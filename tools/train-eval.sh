#!/usr/bin/env bash
# Learns the values of the judgements again and writes them to engine/generated/:
#   tools/train-eval.sh          the late values, pattern_values.cpp: three batches of solved
#                                positions, each from its own seed, made side by side, then one
#                                fit over all of them; about 40 minutes on two processors.
#   tools/train-eval.sh phases   the midgame phases' values, phase_values.cpp: two batches of
#                                self-played games, each position scored by the exact score of
#                                its game from 18 empty squares, then a fit for each phase;
#                                about 20 minutes on two processors.
# The batches below give the committed values.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target brelvoxan_train_eval
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [[ "${1:-}" == phases ]]; then
  command=games
  list=(21:18000 22:18000)
  output=phase_values.cpp
else
  command=positions
  list=(11:72000 12:29382 13:25000)
  output=pattern_values.cpp
fi
pids=()
batches=()
for batch in "${list[@]}"; do
  seed=${batch%:*}
  build/brelvoxan-train-eval "$command" "$seed" "${batch#*:}" >"$work/$seed.txt" &
  pids+=($!)
  batches+=("$work/$seed.txt")
done
for pid in "${pids[@]}"; do wait "$pid"; done
if [[ "$command" == games ]]; then
  build/brelvoxan-train-eval phases "${batches[@]}" >"$work/values.cpp"
else
  build/brelvoxan-train-eval train "${batches[@]}" >"$work/values.cpp"
fi
mv "$work/values.cpp" "engine/generated/$output"
