#!/usr/bin/env bash
# The Windows program under Wine and Xvfb: start to the title's pixels, CPU while waiting for a
# key, the way from a key press to the cursor box on the screen, and (from the traced build of
# the same program) the wall time of the stone sweeps and of the computer's pause. Prints each
# figure with its goal. Not a test: it takes about a minute and the figures depend on the machine.
# Usage: bash bench/wine_bench.sh LINUX_BUILD_DIR [WIN32_BUILD_DIR] [RUNS]
#   (from the repository root; the Linux build gives the X probe, the Windows build comes from
#   tools/build-win32.sh and is run from its unpacked release in dist/brelvoxan-VERSION-windows-x64/)
set -u

runs=${3:-5}
# Both build folders as given, relative to where the script was started, before leaving it.
# shellcheck source=tests/lib/common.sh
source "$(dirname "$0")/../tests/lib/common.sh"
use_build "${1:?usage: wine_bench.sh LINUX_BUILD_DIR [WIN32_BUILD_DIR] [RUNS]}" >&2 || exit 1
win32_dir=""
[[ -n ${2:-} ]] && win32_dir=$(abs_path "$2")
cd "$(dirname "$0")/.." || exit 1
# shellcheck source=tests/lib/bench.sh
source tests/lib/bench.sh
# shellcheck source=tests/wine/wine_env.sh
source tests/wine/wine_env.sh
# shellcheck source=tools/xclient/xclient.sh
source tools/xclient/xclient.sh
[[ -x $XCLIENT ]] || { echo "missing $XCLIENT; build everything first" >&2; exit 1; }
wine_setup "$build" "$win32_dir" || exit 1
dist=$(ls -d "$win32_build"/dist/brelvoxan-*-windows-x64 2>/dev/null | head -n 1)
for f in "$dist/brelvoxan.exe" "$win32_build/brelvoxan-traced.exe" \
  "$win32_build/brelvoxan-winprobe.exe"; do
  [[ -f $f ]] || { echo "missing $f; run tools/build-win32.sh" >&2; exit 1; }
done
work=$build/wine_bench
rm -rf "$work"
mkdir -p "$work"
game_pid=""
# shellcheck disable=SC2317  # run by the trap
cleanup() {
  [[ -n $game_pid ]] && kill "$game_pid" 2>/dev/null
  wine_teardown
}
trap cleanup EXIT

now_ms() { date +%s%3N; }
# The window of the game just started (the last one's may still be on its way out).
find_window() {
  timeout 20 xdotool search --all --sync --pid "$game_pid" --name "^$BRELVOXAN_TITLE\$" 2>/dev/null |
    head -n 1
}

echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Windows program under $(wine --version 2>/dev/null) on Xvfb $DISPLAY, $(nproc) cores"

# --- CPU while the title screen waits 20 s for a key ------------------------------------------
(cd "$dist" && exec wine brelvoxan.exe 2>>"$work/game_stderr.txt") &
game_pid=$!
window=$(find_window)
"$XCLIENT" settle "$window" "$work/title.png" --quiet 500 --timeout 20000 >/dev/null
read -r cx cy _ <<<"$(wine "$win32_build/brelvoxan-winprobe.exe" info "$BRELVOXAN_TITLE" 2>/dev/null |
  tr -d '\r' | awk '$1 == "client" {print $2, $3}')"
cpu_percent=$(cpu_percent "$game_pid" 20)

xc_close "$window"
wait "$game_pid"
game_pid=""

# --- Start to the title's pixels, beside a bare console program's start and exit ------------------
: >"$work/starts"
: >"$work/bare_starts"
for ((i = 0; i < runs; i++)); do
  (cd "$dist" && "$XCLIENT" firstpaint --expect "$work/title.png" --hold 200 -- wine brelvoxan.exe \
    >"$work/firstpaint.txt" 2>>"$work/game_stderr.txt")
  field first_paint_ms "$work/firstpaint.txt" >>"$work/starts"
  start=$(now_ms)
  wine "$win32_build/brelvoxan-winprobe.exe" >/dev/null 2>&1
  echo $(($(now_ms) - start)) >>"$work/bare_starts"
done
start_median=$(median <"$work/starts")
bare_median=$(median <"$work/bare_starts")

# --- Sweeps and the computer's pause, timed by the traced build -----------------------------------
: >"$work/trace.txt"
for ((i = 0; i < runs; i++)); do
  (cd "$dist" && exec wine "$win32_build/brelvoxan-traced.exe" 2>>"$work/trace.txt") &
  game_pid=$!
  window=$(find_window)
  "$XCLIENT" settle "$window" "$work/traced_title.png" --quiet 300 >/dev/null
  xc_keys "$window" 0 1
  "$XCLIENT" settle "$window" "$work/traced_start.png" --quiet 1500 >/dev/null
  if ((i == 0)); then
    # Key press to cursor box: Right and Left in turns move the box between (1,1) and (2,1);
    # only the board is watched.
    "$XCLIENT" latency "$window" --count 50 --region "${cx:-5},${cy:-24},$BRELVOXAN_BOARD_WIDTH,$BRELVOXAN_CLIENT_HEIGHT" Right Left \
      >"$work/latency.txt"
    "$XCLIENT" settle "$window" "$work/traced_back.png" --quiet 300 >/dev/null
  fi
  xc_keys "$window" 80 Right Right Right Down Down Return
  "$XCLIENT" settle "$window" "$work/traced_reply.png" --quiet 2500 --timeout 30000 >/dev/null
  xc_close "$window"
  wait "$game_pid"
  game_pid=""
done
tr -d '\r' <"$work/trace.txt" >"$work/trace_lf.txt"
# A sweep is a run of 64 sleeps of 10 ms: from the first one's start to the last one's end; the
# time between a wake and the next sleep is the drawing of one square, and the draws reported
# before each sleep but the first are those of the square's stone centre.
awk '$1 == "trace" && $3 == "draws" {c = $4}
     $1 == "trace" && $3 == "drawus" {u = $4}
     $1 == "trace" && $3 == "sleep" && $4 == 10 {
       if (n == 0) {start = $2; drawing = 0} else {drawing += $2 - woke; draws += c; drawus += u}
       n++}
     $1 == "trace" && $3 == "woke" && $4 == 10 {woke = $2
       if (n == 64) {printf "%.1f %.2f\n", ($2 - start) / 1000, drawing / 1000; n = 0}}
     END {if (draws) printf "%d %.1f\n", draws, drawus / draws > "/dev/stderr"}' \
  "$work/trace_lf.txt" >"$work/sweeps" 2>"$work/draw_cost"
awk '$1 == "trace" && $3 == "sleep" && $4 == 700 {s = $2}
     $1 == "trace" && $3 == "woke" && $4 == 700 {printf "%.1f\n", ($2 - s) / 1000}' \
  "$work/trace_lf.txt" >"$work/pauses"
sweep_max=$(awk '{print $1}' "$work/sweeps" | sort -g | tail -n 1)
sweep_median=$(awk '{print $1}' "$work/sweeps" | median)
drawing_median=$(awk '{print $2}' "$work/sweeps" | median)
pause_max=$(sort -g "$work/pauses" | tail -n 1)
latency_p95=$(field key_latency_p95_ms "$work/latency.txt")
# Inside the program: from an arrow key's arrival on the window thread to the next key wait,
# when the cursor box has been drawn.
awk '$1 == "trace" && $3 == "key" && ($4 == 37 || $4 == 39) {k = $2}
     $1 == "trace" && $3 == "keywait" && k {printf "%.2f\n", ($2 - k) / 1000; k = 0}' \
  "$work/trace_lf.txt" | sort -g >"$work/key_to_drawn"
key_drawn_p95=$(awk '{v[NR] = $1} END {print v[int(NR * 0.95 + 0.999)]}' "$work/key_to_drawn")

printf '\n%-52s %10s   %s\n' "figure" "value" "goal"
printf '%-52s %10s   %s\n' "start to the title's pixels, median of $runs (ms)" "$start_median" \
  "none; a bare console program starts and ends in $bare_median"
printf '%-52s %10s   %s %s\n' "stone sweep wall time, median of $(wc -l <"$work/sweeps") (ms)" \
  "$sweep_median" "<= 660" "$(verdict "$sweep_median" 660)"
printf '%-52s %10s   %s %s\n' "stone sweep wall time, worst (ms)" "$sweep_max" "<= 660" \
  "$(verdict "$sweep_max" 660) (a busy machine stalls single sweeps)"
printf '%-52s %10s   %s %s\n' "computer's pause wall time, worst of $(wc -l <"$work/pauses") (ms)" \
  "$pause_max" "<= 721" "$(verdict "$pause_max" 721)"
printf '%-52s %10s   %s %s\n' "key press to cursor box on screen, p95 (ms)" "$latency_p95" "<= 17" \
  "$(verdict "$latency_p95" 17)"
printf '%-52s %10s   %s %s\n' "CPU of the game while waiting 20 s for a key (%)" "$cpu_percent" \
  "< 1" "$(awk -v c="$cpu_percent" 'BEGIN {print (c < 1) ? "ok" : "MISSED"}')"
echo
echo "sweeps (ms): median $sweep_median, of which drawing $drawing_median;" \
  "all: $(awk '{print $1}' "$work/sweeps" | tr '\n' ' ')"
read -r sweep_draws draw_us <"$work/draw_cost"
echo "image draws in the sweeps: ${sweep_draws:-0}, ${draw_us:-?} us each on average"
echo "pauses (ms): $(tr '\n' ' ' <"$work/pauses")"
echo "key latency: p50 $(field key_latency_p50_ms "$work/latency.txt") ms," \
  "max $(field key_latency_max_ms "$work/latency.txt") ms," \
  "$(field key_presses_unseen "$work/latency.txt") unseen;" \
  "inside the program, key to cursor box drawn: median $(median <"$work/key_to_drawn") ms," \
  "p95 $key_drawn_p95 ms"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "starts (ms): $(sort -g "$work/starts" | tr '\n' ' ')  bare: $(sort -g "$work/bare_starts" | tr '\n' ' ')"
echo "files in $work"
require_figures "start=$start_median" "sweep=$sweep_median" "worst sweep=$sweep_max" \
  "pause=$pause_max" "key latency=$latency_p95" "CPU while waiting=$cpu_percent"
