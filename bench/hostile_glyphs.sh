#!/usr/bin/env bash
# Time to the title screen, peak memory and exit code of the simulator with hostile glyph
# files: single files put in place of one glyph (from bench/hostile_cases.py and fuzz/corpus),
# whole folders of 256 copies of one kind, and a stray folder in the current directory beside
# a complete set next to the program. Each figure is printed beside its goal; "title" says
# whether every cell of the title whose glyph file was left alone reads as with the plain set.
# Exit code 1 when glyph 0 or 1 is unreadable is the simulator's: it cannot read the dots
# without them, while the game itself goes on.
# Usage: bash bench/hostile_glyphs.sh BUILD_DIR [SECONDS]   (from the repository root; SECONDS
# is the time after which one run is stopped, default 120)
set -u
build=$(cd "${1:?usage: hostile_glyphs.sh BUILD_DIR [SECONDS]}" && pwd)
limit=${2:-120}
sim=$build/brelvoxan-sim
corpus=$PWD/fuzz/corpus
[[ -x $sim ]] || { echo "no $sim"; exit 1; }
[[ -f res/bmp/000.bmp ]] || { echo "run from the repository root"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cases=$work/cases
python3 bench/hostile_cases.py "$cases" || exit 1

goal_seconds=1
goal_megabytes=64
printf '%-24s %5s %16s %18s  %-8s %s\n' case exit "title s (<$goal_seconds)" \
  "peak MB (<$goal_megabytes)" title "first line of standard error"

# file NAME: a hostile file by name, from the generated cases or the corpus.
file() { [[ -f $cases/$1 ]] && echo "$cases/$1" || echo "$corpus/$1"; }

# title_check PLAIN CASE CHANGED: "intact" when every title cell whose character is not among
# the CHANGED codes reads the same in both screen blocks, else "garbled"; "-" when the blank
# (32) is among them, as the title is then not expected to read well.
title_check() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys
plain, case = (open(p).read().splitlines()[1:7] for p in sys.argv[1:3])
changed = {chr(int(c)) for c in sys.argv[3].split(",") if c}
if " " in changed:
    print("-")
    sys.exit(0)
ok = len(case) == 6 and all(
    a == b or a in changed for pr, cr in zip(plain, case) for a, b in zip(pr, cr))
print("intact" if ok else "garbled")
PY
}

# measure NAME [--stray] CODE=FILE...: the committed glyphs with FILE as glyph CODE ("all" for
# every code, "fifo" for a named pipe). --stray: the glyphs go into res/bmp beside a copy of the
# simulator, and the current directory's res/bmp holds only the files given.
measure() {
  local name=$1 dir=$work/$1 stray=no
  shift
  if [[ ${1:-} == --stray ]]; then
    stray=yes
    shift
  fi
  mkdir -p "$dir/run/res" "$dir/bin/res"
  local glyphs=$dir/run/res/bmp program=$sim changed=""
  cp -r res/bmp "$glyphs"
  if [[ $stray == yes ]]; then
    mv "$glyphs" "$dir/bin/res/bmp"
    mkdir "$glyphs"
    cp "$sim" "$dir/bin/"
    program=$dir/bin/brelvoxan-sim
  fi
  for pair in "$@"; do
    local code=${pair%%=*} source=${pair#*=} codes
    if [[ $code == all ]]; then codes=$(seq -f %03g 0 255); else codes=$code; fi
    for c in $codes; do
      rm -f "$glyphs/$c.bmp"
      if [[ $source == fifo ]]; then mkfifo "$glyphs/$c.bmp"; else cp "$(file "$source")" "$glyphs/$c.bmp"; fi
      changed+="$((10#$c)),"
    done
  done
  (cd "$dir/run" && /usr/bin/time -f "%e %M" -o "$dir/time" timeout "$limit" "$program" \
    </dev/null >"$dir/out" 2>"$dir/err")
  local status=$?
  # time reports the signal of a killed child in its first line; its last line has the figures.
  local seconds kilobytes title=-
  read -r seconds kilobytes < <(tail -n 1 "$dir/time")
  if [[ $name == plain ]]; then
    cp "$dir/out" "$work/plain.out"
  elif [[ $status == 0 ]]; then
    title=$(title_check "$work/plain.out" "$dir/out" "$changed")
  fi
  printf '%-24s %5s %9s %-6s %10d %-7s  %-8s %s\n' "$name" "$status" "$seconds" \
    "$(awk -v s="$seconds" -v g=$goal_seconds 'BEGIN { print (s < g ? "ok" : "OVER") }')" \
    $(((kilobytes + 1023) / 1024)) \
    "$( ((kilobytes < goal_megabytes * 1024)) && echo ok || echo OVER)" "$title" \
    "$(head -n 1 "$dir/err" | cut -c 1-100)"
}

measure plain
# Kinds the reader once crashed, hung or spent its memory on (fuzz/corpus).
measure crash-jpeg 066=regress-huffman-overflow.jpg
measure huffman-23-jpeg 066=regress-huffman-23.jpg
measure huge-gif 066=regress-huge-screen.gif
measure huge-bmp 066=regress-huge-header.bmp
measure huge-jpeg 066=regress-huge-frame.jpg
measure fifo 066=fifo
measure rle8 065=rle8.bmp
measure rle4 065=rle4.bmp
# Work: LZW clear codes.
measure clear-16m-as-B 066=clear-16m.gif
measure clear-16m-as-200 200=clear-16m.gif
measure clear-glyph-as-B 066=clear-glyph.gif
measure clear-64k-x256 all=clear-64k.gif
# Memory: pictures larger than their cell.
measure big-screen-as-B 066=big-screen.gif
measure big-screen-x256 all=big-screen.gif
measure oversized-as-B 066=oversized.bmp
measure oversized-as-000 000=oversized.bmp
measure oversized-x256 all=oversized.bmp
measure huge-frame-as-B 066=huge-frame.gif
measure huge-frame-x256 all=huge-frame.gif
# Broken files, named or not.
measure no-scan-jpeg-as-B 066=no-scan.jpg
measure no-scan-jpeg-x256 all=no-scan.jpg
measure truncated-as-blank 032=truncated.bmp
measure truncated-as-dots 000=truncated.bmp 001=truncated.bmp
measure truncated-x256 all=truncated.bmp
measure stray-folder --stray 001=bmp24.bmp
