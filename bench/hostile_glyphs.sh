#!/usr/bin/env bash
# Time to the title screen, peak memory and exit code of the simulator with hostile glyph
# files: single files put in place of one glyph (from bench/hostile_cases.py and fuzz/corpus),
# whole folders of 256 copies of one kind, and a stray folder in the current directory beside
# a complete set next to the program. Each figure is printed beside its goal; "title" says
# whether every cell of the title whose glyph file was left alone reads as with the plain set.
# Then the SDL game under Xvfb in the same folders (the traced build, with Xvfb, xdotool and
# brelvoxan-xclient): time until its title waits for a key, and peak memory.
# Exit code 1 when glyph 0 or 1 is unreadable is the simulator's: it cannot read the dots
# without them, while the game itself goes on. A run is stopped after 20 s (exit 124).
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
cases=$work/cases
python3 bench/hostile_cases.py "$cases" || exit 1

goal_seconds=1
goal_megabytes=64
printf '%-24s %5s %16s %18s  %-8s %s\n' case exit "title s (<$goal_seconds)" \
  "peak MB (<$goal_megabytes)" title "first line of standard error"

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
# every code, "fifo" for a named pipe; FILE from the generated cases or the corpus). --stray:
# the glyphs lie beside a copy of the simulator, and the current directory's res/bmp holds only
# the files given.
measure() {
  local name=$1 dir=$work/$1 program=$sim changed="" pairs=() pair code codes
  shift
  if [[ ${1:-} == --stray ]]; then
    program=$dir/bin/brelvoxan-sim
    shift
  fi
  for pair in "$@"; do
    local source=${pair#*=}
    [[ -f $cases/$source ]] && source=$cases/$source
    pairs+=("${pair%%=*}=$source")
    codes=${pair%%=*}
    [[ $codes == all ]] && codes=$(seq 0 255)
    for code in $codes; do changed+="$((10#$code)),"; done
  done
  if [[ $program == "$sim" ]]; then glyph_folder "$dir" "${pairs[@]}"; else stray_folder "$dir" "${pairs[@]}"; fi
  sim=$program sim_in_folder "$dir"
  local status=$? seconds kilobytes title=-
  # time reports the signal of a killed child in its first line; its last line has the figures.
  read -r seconds kilobytes < <(tail -n 1 "$dir/time")
  require_figures "$name time=$seconds" "$name peak memory=$kilobytes" || missing=1
  if [[ $name == plain ]]; then
    cp "$dir/out" "$work/plain.out"
  elif [[ $status == 0 ]]; then
    title=$(title_check "$work/plain.out" "$dir/out" "$changed")
  fi
  # Exit 1 is the simulator's alone (no dots to read the board with): the game goes on.
  [[ ($status != 0 && $status != 1) || $program != "$sim" ]] || on_sdl+=("$name")
  printf '%-24s %5s %9s %-6s %10d %-7s  %-8s %s\n' "$name" "$status" "$seconds" \
    "$(verdict "$seconds" "$goal_seconds")" $(((${kilobytes:-0} + 1023) / 1024)) \
    "$(verdict "$(((${kilobytes:-0} + 1023) / 1024))" "$goal_megabytes")" "$title" \
    "$(head -n 1 "$dir/err" | cut -c 1-100)"
}
missing=0
on_sdl=()

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
# Time: legitimate pictures that must be decoded whole to give their top-left corner.
measure progressive-jpeg-x256 all=progressive.jpg
measure interlaced-gif-x256 all=interlaced.gif
# Broken files, named or not.
measure no-scan-jpeg-as-B 066=no-scan.jpg
measure no-scan-jpeg-x256 all=no-scan.jpg
measure truncated-as-blank 032=truncated.bmp
measure truncated-as-dots 000=truncated.bmp 001=truncated.bmp
measure truncated-x256 all=truncated.bmp
measure stray-folder --stray 001=bmp24.bmp

# sdl_measure NAME: the traced SDL game started in NAME's folder, until its title waits for a
# key (a title of blank glyphs looks like the window before it, so the trace tells); its peak
# memory then, and its exit code once its window is closed.
sdl_measure() {
  local dir=$work/$1 start title="" kilobytes="" status="" window tries=0 seconds
  : >"$dir/sdl.trace"
  start=$(python3 -c 'import time; print(int(time.monotonic() * 1e6))')  # the trace's clock
  (cd "$dir" && exec "$traced") 2>"$dir/sdl.trace" &
  local pid=$!
  while [[ -z $title ]] && ((tries++ < 4000)) && kill -0 "$pid" 2>/dev/null; do
    title=$(awk '$3 == "keywait" {print $2; exit}' "$dir/sdl.trace")
    [[ -n $title ]] || sleep 0.005
  done
  if [[ -n $title ]]; then
    kilobytes=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")
    window=$(xc_find_pid "$pid")
    [[ -n $window ]] && xc_close "$window"
  fi
  for ((tries = 0; tries < 200; tries++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.005; done
  kill -9 "$pid" 2>/dev/null
  wait "$pid"
  status=$?
  seconds=$(awk -v t="$title" -v s="$start" 'BEGIN {if (t != "") printf "%.2f", (t - s) / 1e6}')
  require_figures "$1 SDL time=$seconds" "$1 SDL peak memory=$kilobytes" || missing=1
  printf '%-24s %5s %9s %-6s %10d %-7s\n' "$1" "$status" "$seconds" \
    "$(verdict "$seconds" "$goal_seconds")" $(((${kilobytes:-0} + 1023) / 1024)) \
    "$(verdict "$(((${kilobytes:-0} + 1023) / 1024))" "$goal_megabytes")"
}

echo
traced=$build/bench/brelvoxan-traced
if [[ ! -x $traced || ! -x $XCLIENT ]] || ! command -v Xvfb xdotool >/dev/null; then
  echo "no SDL figures: needs $traced, $XCLIENT, Xvfb and xdotool"
  exit 1
fi
# shellcheck source=tools/xclient/xclient.sh
source tools/xclient/xclient.sh
start_xvfb "$work" 1280x1024 || exit 1
trap 'stop_xvfb; rm -rf "$work"' EXIT
echo "SDL2 game under Xvfb ($(nproc) cores); exit is the game's after its window is closed"
printf '%-24s %5s %16s %18s\n' case exit "title s (<$goal_seconds)" "peak MB (<$goal_megabytes)"
for name in "${on_sdl[@]}"; do sdl_measure "$name"; done
exit $missing
