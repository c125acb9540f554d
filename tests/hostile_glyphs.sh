#!/usr/bin/env bash
# A glyph folder as a player might have it: a JPEG that once crashed the decoder, a GIF, a BMP
# and a JPEG claiming 20000 x 20000 pixels, a FIFO, and glyphs stored as RLE8 and RLE4 BMP.
# The simulator must show the title with exactly those glyphs blank (the RLE ones drawn as the
# plain ones), name the unreadable files in one line, end normally, and stay under 64 MB (not
# checked in sanitizer builds). Pictures larger than their cell stay inside it; a folder of
# nothing but clear-code GIFs is refused at once; a folder of pictures that cost more decoding
# than a folder may (GIFs of 35 bytes on a 1024 x 1024 screen) loads only the first and names
# the rest; a stray folder in the current directory does not hide the complete set beside the
# program.
# Usage: bash tests/hostile_glyphs.sh BUILD_DIR   (from the repository root; exit 77 = skipped)
set -u

cd "$(dirname "$0")/.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
use_build "${1:?usage: hostile_glyphs.sh BUILD_DIR}" || exit 1
if [[ ! -x $sim ]]; then echo "skipped: no $sim"; exit 77; fi
sanitized=$(sed -n 's/^BRELVOXAN_SANITIZE:STRING=//p' "$build/CMakeCache.txt" 2>/dev/null)

make_work

# start NAME [--stray] CODE=FILE...: the committed glyphs with FILE (from the corpus, or
# "fifo") as glyph CODE ("all": every code); runs the simulator to the title and checks how it
# ended (exit 0, or the code in $expected_status). --stray: the glyphs lie beside a copy of the
# simulator, and the current directory's res/bmp holds only the files given.
start() {
  local name=$1 dir=$work/$1 program=$sim
  shift
  if [[ ${1:-} == --stray ]]; then
    shift
    stray_folder "$dir" "$@"
    program=$dir/bin/brelvoxan-sim
  else
    glyph_folder "$dir" "$@"
  fi
  sim=$program sim_in_folder "$dir" --png "$dir/title.png"
  local status=$? kilobytes
  [[ $status != 124 ]] || fail "$name: still starting after 20 s"
  [[ $status == "${expected_status:-0}" ]] || fail "$name: exit $status $(head -c 300 "$dir/err")"
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

# expect_err NAME: the lines on stdin are NAME's standard error.
expect_err() {
  local want
  want=$(cat)
  [[ $(cat "$work/$1/err") == "$want" ]] || fail "$1: standard error reads $(cat "$work/$1/err")"
}
expect_err hostile <<'TXT'
brelvoxan: 5 glyph files could not be read: res/bmp/066.bmp, res/bmp/080.bmp, res/bmp/086.bmp, res/bmp/088.bmp, res/bmp/090.bmp; they show as blanks
TXT

# Pictures larger than their cell: a white 200 x 100 BMP as B and as the clear dot, a 1024 x
# 1024 GIF screen as X. Each covers its own cell, or its dot, and nothing else: the screen is
# read with the glyphs the game loaded, so every cell reads as before.
start oversized 066=regress-oversized.bmp 088=regress-big-screen.gif 000=regress-oversized.bmp
expect_title oversized <tests/lib/title_screen.txt
[[ ! -s $work/oversized/err ]] || fail "oversized: standard error $(cat "$work/oversized/err")"

# A broken blank is named; a folder of nothing but clear-code GIFs takes no time and says so.
start blank 032=regress-no-scan.jpg
expect_err blank <<'TXT'
brelvoxan: 1 glyph file could not be read: res/bmp/032.bmp; they show as blanks
TXT
expected_status=1 start clear-codes all=regress-clear-codes.gif
grep -q "^brelvoxan-sim: no glyph file could be read in res/bmp" "$work/clear-codes/err" ||
  fail "clear-codes: standard error $(cat "$work/clear-codes/err")"

# Each costs a million pixels of screen to a reader that decodes it whole: one fits in what a
# folder may cost, the others are named (the simulator, without the set dot, then ends with 1).
expected_status=1 start costly all=regress-big-screen.gif
expect_err costly <<'TXT'
brelvoxan: 255 glyph files could not be read: res/bmp/001.bmp, res/bmp/002.bmp, res/bmp/003.bmp, res/bmp/004.bmp, res/bmp/005.bmp and 250 more; they show as blanks (255 were too costly to decode after the ones before)
brelvoxan-sim: cannot read the glyph pictures of the dots (run from the folder that holds res/)
TXT

# One unrelated glyph in the current directory's res/bmp: the complete set is used, and said.
start stray --stray 001=bmp24.bmp
expect_title stray <tests/lib/title_screen.txt
grep -q "^brelvoxan: the glyphs are read from $work/stray/bin/res/bmp, which has the most" \
  "$work/stray/err" || fail "stray: standard error $(cat "$work/stray/err")"

# Run-length encoded glyphs look exactly like the plain ones.
start plain
for rle in rle8 rle4; do
  start "$rle" "065=$rle.bmp"
  cmp -s "$work/plain/title.png" "$work/$rle/title.png" || fail "$rle: the title looks different"
done
expect_title rle4 <tests/lib/title_screen.txt

finish "" "hostile_glyphs: all passed"
