#!/usr/bin/env bash
# A glyph folder as a player might have it: a JPEG that once crashed the decoder, a GIF, a BMP
# and a JPEG claiming 20000 x 20000 pixels, a FIFO, and glyphs stored as RLE8 and RLE4 BMP.
# The simulator must show the title with exactly those glyphs blank (the RLE ones drawn as the
# plain ones), end normally, and stay under 64 MB (not checked in sanitizer builds).
# Usage: bash tests/hostile_glyphs.sh BUILD_DIR   (from the repository root; exit 77 = skipped)
set -u

cd "$(dirname "$0")/.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
use_build "${1:?usage: hostile_glyphs.sh BUILD_DIR}" || exit 1
if [[ ! -x $sim ]]; then echo "skipped: no $sim"; exit 77; fi
sanitized=$(sed -n 's/^BRELVOXAN_SANITIZE:STRING=//p' "$build/CMakeCache.txt" 2>/dev/null)

make_work

# start NAME CODE=FILE...: the committed glyphs with FILE (from the corpus, or "fifo") as glyph
# CODE; runs the simulator to the title and checks how it ended.
start() {
  local name=$1 dir=$work/$1
  shift
  glyph_folder "$dir" "$@"
  sim_in_folder "$dir" --png "$dir/title.png"
  local status=$? kilobytes
  [[ $status != 124 ]] || fail "$name: still starting after 20 s"
  [[ $status == 0 ]] || fail "$name: exit $status $(head -c 300 "$dir/err")"
  kilobytes=$(tail -n 1 "$dir/time" | cut -d' ' -f2)
  if [[ -z $sanitized ]] && ((kilobytes >= 64 * 1024)); then
    fail "$name: peak memory $((kilobytes / 1024)) MB"
  fi
}

# expect_title NAME: the lines on stdin are the screen block of NAME's report.
expect_title() {
  local want
  want=$(cat)
  if [[ $(sed -n 1,8p "$work/$1/out") != "$want" ]]; then
    fail "$1: the title reads"
    sed -n 1,8p "$work/$1/out"
  fi
}

# B: a Huffman table overflow, X: a huge GIF, Z: a huge BMP, P: a huge progressive JPEG,
# V: a FIFO; A as RLE8.
start hostile 066=regress-huffman-overflow.jpg 088=regress-huge-screen.gif \
  090=regress-huge-header.bmp 080=regress-huge-frame.jpg 086=fifo 065=rle8.bmp
expect_title hostile <<'TXT'
screen:
|   REL O AN  1.0        |
|                        |
|      1:YOU  S C U      |
|      2:C U  S YOU      |
|                        |
|   ROGRAM  Y  E LOMAR   |
board:
TXT

# Run-length encoded glyphs look exactly like the plain ones.
start plain
for rle in rle8 rle4; do
  start "$rle" "065=$rle.bmp"
  cmp -s "$work/plain/title.png" "$work/$rle/title.png" || fail "$rle: the title looks different"
done
expect_title rle4 <tests/lib/title_screen.txt

finish "" "hostile_glyphs: all passed"
