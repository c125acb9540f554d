#!/usr/bin/env bash
# Plays seeded whole games on the simulator and keeps each final screen and PNG, so that two
# builds can be compared byte for byte (diff -r OUT_A OUT_B). The person's moves come from a
# sweep that presses Enter on every square in turn, row by row, so each move is the first legal
# square the sweep meets; the game is also cut off part way to keep screens from the middle.
# The match tool's games between levels are kept too.
# Usage: bash tools/replay_games.sh BUILD_DIR OUT_DIR [LEVELS]   (from the repository root)
set -eu

build=${1:?usage: replay_games.sh BUILD_DIR OUT_DIR [LEVELS]}
out=${2:?usage: replay_games.sh BUILD_DIR OUT_DIR [LEVELS]}
levels=${3:-1 2 3 4}
sim=$build/brelvoxan-sim
[[ -x $sim ]] || { echo "replay_games: no $sim" >&2; exit 1; }
mkdir -p "$out"

# sweep OFFSET: one pass over the board, starting OFFSET squares right of where the cursor is,
# along the rows and down, then back to the top left corner. From the top left corner with
# OFFSET 0 it presses Enter on every square.
sweep() {
  local offset=$1 row col
  for ((col = 0; col < offset; col++)); do printf 'Right '; done
  for ((row = 0; row < 8; row++)); do
    for ((col = 0; col < 7; col++)); do printf 'Enter Right '; done
    printf 'Enter Down\n'
    for ((col = 0; col < 7; col++)); do printf 'Enter Left '; done
    printf 'Enter Down\n'
  done
  for ((row = 0; row < 8; row++)); do printf 'Enter Up '; done
  for ((col = 0; col < 8; col++)); do printf 'Enter Left '; done
  printf '\n'
}

# keys SIDE OFFSET: the title choice, one sweep from OFFSET, then whole sweeps enough for a
# whole game and its result.
keys() {
  printf '%s\n' "$1"
  local i
  sweep "$2"
  for ((i = 0; i < 80; i++)); do sweep 0; done
}

# play NAME CUT: the first CUT key tokens only (the game stops at its next key wait after them);
# the screen in NAME.txt, the picture in NAME.png.
play() {
  tr -s ' \n' '\n\n' <"$out/keys" | head -n "$2" |
    "$sim" --level "$level" --seed "$seed" --png "$out/$1.png" >"$out/$1.txt"
}

# side offset seed: the person as Black and as White, two sweeps, two seeds.
for level in $levels; do
  for game in "1 0 1" "1 3 7" "2 0 7" "2 5 1"; do
    read -r side offset seed <<<"$game"
    keys "$side" "$offset" >"$out/keys"
    total=$(wc -w <"$out/keys")
    base=level$level-side$side-offset$offset-seed$seed
    # Part way through, and the whole input: the game, its result and the title screen again.
    for cut in 40 150 300 "$total"; do play "$base-cut$cut" "$cut"; done
    # The result screen: the longest cut that has not gone back to the title screen.
    low=300 high=$total
    while ((high - low > 1)); do
      mid=$(((low + high) / 2))
      play probe "$mid"
      if grep -q '1:YOU VS CPU' "$out/probe.txt"; then high=$mid; else low=$mid; fi
    done
    play "$base-result$low" "$low"
  done
done
rm -f "$out/probe.txt" "$out/probe.png"
rm -f "$out/keys"
# The match tool's games between levels (its stderr holds times, so only stdout is kept).
for pair in "1 2" "1 4" "2 3" "3 4"; do
  read -r a b <<<"$pair"
  "$sim" --match "$a" "$b" --games 4 --seed 3 >"$out/match-$a-$b.out" 2>/dev/null
done
echo "replay_games: $(ls "$out"/*.txt | wc -l) runs in $out"
