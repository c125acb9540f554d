#!/usr/bin/env bash
# The game on SDL2 under Xvfb, side by side with a bare SDL2 window of the same settings: first
# paint, peak memory, CPU while waiting for a key, the wall time of a stone sweep and of the
# CPU's pause, and the way from a key press to the cursor box on the screen. Prints each figure
# with its goal. Not a test: it takes about a minute and the figures depend on the machine.
# Usage: bash bench/sdl_bench.sh BUILD_DIR [RUNS]   (from the repository root)
set -u

runs=${2:-7}
cd "$(dirname "$0")/.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
# shellcheck source=tests/lib/bench.sh
source tests/lib/bench.sh
use_build "${1:?usage: sdl_bench.sh BUILD_DIR [RUNS]}" >&2 || exit 1
traced=$build/bench/brelvoxan-traced
bare=$build/bench/brelvoxan-bare-window
for tool in "$game" "$traced" "$bare" "$XCLIENT" "$sim"; do
  [[ -x $tool ]] || { echo "missing $tool; build everything first" >&2; exit 1; }
done
for program in Xvfb xdotool /usr/bin/convert; do
  command -v "$program" >/dev/null || { echo "$program is not installed" >&2; exit 1; }
done
# shellcheck source=tools/xclient/xclient.sh
source tools/xclient/xclient.sh

work=$build/sdl_bench
start_x_test "$work" 1280x1024 >&2 || exit 1

echo "SDL2 backend under Xvfb ($DISPLAY, 1280x1024x24), $runs runs each where repeated; $(nproc) cores"

# --- First paint and peak memory: game and bare window taken in turns --------------------------
echo "" | "$sim" --png "$work/title.png" >/dev/null
xc_solid "$BRELVOXAN_CLIENT_WIDTH" "$BRELVOXAN_CLIENT_HEIGHT" 9CB07A "$work/bare.png"
for f in game_paint bare_paint game_rss bare_rss; do : >"$work/$f"; done
for ((i = 0; i < runs; i++)); do
  "$XCLIENT" firstpaint --expect "$work/title.png" --hold 300 -- "$game" >"$work/g.txt" \
    2>>"$work/game_stderr.txt"
  "$XCLIENT" firstpaint --expect "$work/bare.png" --hold 300 -- "$bare" >"$work/b.txt" \
    2>>"$work/bare_stderr.txt"
  field first_paint_ms "$work/g.txt" >>"$work/game_paint"
  field first_paint_ms "$work/b.txt" >>"$work/bare_paint"
  field peak_rss_kib "$work/g.txt" >>"$work/game_rss"
  field peak_rss_kib "$work/b.txt" >>"$work/bare_rss"
done
game_paint=$(median <"$work/game_paint")
bare_paint=$(median <"$work/bare_paint")
game_rss=$(median <"$work/game_rss")
bare_rss=$(median <"$work/bare_rss")

# --- CPU while the title screen waits 20 s for a key --------------------------------------------
"$game" 2>>"$work/game_stderr.txt" &
game_pid=$!
window=$(xc_find_title "$BRELVOXAN_TITLE")
xc_settle "$window" "$work/wait_title.png" 300 >/dev/null
cpu_percent=$(cpu_percent "$game_pid" 20)

# --- Key press to cursor box on the screen, in the same game ------------------------------------
xc_keys "$window" 100 1
xc_settle "$window" "$work/game_start.png" 1500 >/dev/null
# Right and Left in turns move the box between (1,1) and (2,1); only the board is watched.
"$XCLIENT" latency "$window" --count 50 \
  --region "0,0,$BRELVOXAN_BOARD_WIDTH,$BRELVOXAN_CLIENT_HEIGHT" Right Left >"$work/latency.txt"
latency_p95=$(field key_latency_p95_ms "$work/latency.txt")
latency_p50=$(field key_latency_p50_ms "$work/latency.txt")
latency_max=$(field key_latency_max_ms "$work/latency.txt")
# A whole move with the CPU's reply, then the peak memory of a game in progress.
xc_keys "$window" 80 Right Right Right Down Down Return
xc_settle "$window" "$work/cpu_reply.png" 2500 30000 >/dev/null
played_rss=$(awk '/^VmHWM:/ {print $2}' "/proc/$game_pid/status")
xc_close "$window"
wait "$game_pid"
game_status=$?
game_pid=""

# CPU of the bare window over the same 20 s, for scale.
"$bare" 2>>"$work/bare_stderr.txt" &
game_pid=$!
bare_window=$(xc_find_pid "$game_pid")
sleep 1
bare_cpu=$(cpu_percent "$game_pid" 20)
xc_close "$bare_window"
wait "$game_pid"
game_pid=""

# --- Sweeps and the CPU's pause, timed by the traced build of the same program ------------------
"$traced" 2>"$work/trace.txt" &
game_pid=$!
window=$(xc_find_title "$BRELVOXAN_TITLE")
xc_settle "$window" "$work/traced_title.png" 300 >/dev/null
xc_keys "$window" 100 1
xc_settle "$window" "$work/traced_start.png" 1500 >/dev/null
xc_keys "$window" 80 Right Right Right Down Down Return
xc_settle "$window" "$work/traced_reply.png" 2500 30000 >/dev/null
xc_close "$window"
wait "$game_pid"
game_pid=""
# A sweep is a run of 64 sleeps of 10 ms: from the first one's start to the last one's end.
awk '$1 == "trace" && $4 == 10 && $3 == "sleep" {if (n == 0) start = $2; n++}
     $1 == "trace" && $4 == 10 && $3 == "woke" && n == 64 {printf "%.1f\n", ($2 - start) / 1000; n = 0}' \
  "$work/trace.txt" >"$work/sweeps"
awk '$1 == "trace" && $3 == "sleep" && $4 == 700 {s = $2}
     $1 == "trace" && $3 == "woke" && $4 == 700 {printf "%.1f\n", ($2 - s) / 1000}' \
  "$work/trace.txt" >"$work/pauses"
# Inside the program: from a key's arrival on the window thread to the next present.
awk '$1 == "trace" && $3 == "key" {k = $2}
     $1 == "trace" && $3 == "present" && k {printf "%.2f\n", ($2 - k) / 1000; k = 0}' \
  "$work/trace.txt" >"$work/key_to_present"
sweep_max=$(sort -g "$work/sweeps" | tail -n 1)
pause_max=$(sort -g "$work/pauses" | tail -n 1)

printf '\n%-44s %12s %12s   %s\n' "figure" "game" "bare SDL2" "goal"
printf '%-44s %12s %12s   %s %s\n' "start to first paint, median (ms)" "$game_paint" "$bare_paint" \
  "<= bare + 40" "$(verdict "$game_paint" "$(awk -v b="$bare_paint" 'BEGIN {print b + 40}')")"
printf '%-44s %12s %12s   %s %s\n' "peak RSS at the title screen, median (MiB)" \
  "$(awk -v k="$game_rss" 'BEGIN {printf "%.1f", k / 1024}')" \
  "$(awk -v k="$bare_rss" 'BEGIN {printf "%.1f", k / 1024}')" "<= bare + 20" \
  "$(verdict "$game_rss" $((bare_rss + 20480)))"
printf '%-44s %12s %12s   %s %s\n' "peak RSS after a move and its reply (MiB)" \
  "$(awk -v k="$played_rss" 'BEGIN {printf "%.1f", k / 1024}')" "" "<= bare + 20" \
  "$(verdict "$played_rss" $((bare_rss + 20480)))"
printf '%-44s %12s %12s   %s %s\n' "CPU while waiting 20 s for a key (% of a core)" "$cpu_percent" \
  "$bare_cpu" "< 1" "$(awk -v c="$cpu_percent" 'BEGIN {print (c < 1) ? "ok" : "MISSED"}')"
printf '%-44s %12s %12s   %s %s\n' "stone sweep wall time, worst of $(wc -l <"$work/sweeps") (ms)" \
  "$sweep_max" "" "<= 660" "$(verdict "$sweep_max" 660)"
printf '%-44s %12s %12s   %s %s\n' "CPU's pause wall time (ms)" "$pause_max" "" "<= 721" \
  "$(verdict "$pause_max" 721)"
printf '%-44s %12s %12s   %s %s\n' "key press to cursor box on screen, p95 (ms)" "$latency_p95" "" \
  "<= 17" "$(verdict "$latency_p95" 17)"
echo
echo "key latency over 50 presses: p50 $latency_p50 ms, max $latency_max ms," \
  "$(field key_presses_unseen "$work/latency.txt") unseen;" \
  "inside the program, key to present: median $(median <"$work/key_to_present") ms"
echo "sweeps (ms): $(tr '\n' ' ' <"$work/sweeps")  pauses (ms): $(tr '\n' ' ' <"$work/pauses")"
echo "first paints (ms), game: $(sort -g "$work/game_paint" | tr '\n' ' ')"
echo "first paints (ms), bare: $(sort -g "$work/bare_paint" | tr '\n' ' ')"
echo "the game ended with code $game_status after the close request; files in $work"
for f in game_stderr bare_stderr; do
  [[ -s $work/$f.txt ]] && echo "$f.txt: $(head -c 300 "$work/$f.txt")"
done
require_figures "first paint=$game_paint" "bare first paint=$bare_paint" "peak RSS=$game_rss" \
  "bare peak RSS=$bare_rss" "peak RSS after a move=$played_rss" "CPU while waiting=$cpu_percent" \
  "sweep=$sweep_max" "pause=$pause_max" "key latency=$latency_p95"
