#!/usr/bin/env bash
# Start-up time and peak memory of the simulator up to the title screen, with the committed
# glyph set and with hostile files put in place of some glyphs (from fuzz/corpus).
# Usage: bash bench/hostile_glyphs.sh BUILD_DIR   (from the repository root)
set -u
cd "$(dirname "$0")/.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
# shellcheck source=tests/lib/bench.sh
source tests/lib/bench.sh
use_build "${1:?usage: hostile_glyphs.sh BUILD_DIR}" || exit 1
[[ -x $sim ]] || { echo "no $sim"; exit 1; }
make_work

# measure NAME CODE=FILE...: FILE (from the corpus, or "fifo") as glyph CODE.
measure() {
  local name=$1 dir=$work/$1
  shift
  glyph_folder "$dir" "$@"
  sim_in_folder "$dir"
  local status=$?
  # time reports the signal of a killed child in its first line; its last line has the figures.
  read -r seconds kilobytes < <(tail -n 1 "$dir/time")
  require_figures "$name time=$seconds" "$name peak memory=$kilobytes" || missing=1
  printf '%-28s exit %3s  %6s s  %6d MB peak\n' "$name" "$status" "$seconds" \
    $(((${kilobytes:-0} + 1023) / 1024))
}
missing=0

measure plain
measure crash-jpeg 066=regress-huffman-overflow.jpg
measure huffman-23-jpeg 066=regress-huffman-23.jpg
measure huge-gif 066=regress-huge-screen.gif
measure three-huge-gifs 066=regress-huge-screen.gif 088=regress-huge-screen.gif \
  086=regress-huge-screen.gif
measure huge-bmp 066=regress-huge-header.bmp
measure huge-jpeg 066=regress-huge-frame.jpg
measure fifo 066=fifo
measure rle8 065=rle8.bmp
measure rle4 065=rle4.bmp
exit $missing
