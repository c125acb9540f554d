#!/usr/bin/env bash
# Closing the SDL window, or pressing Ctrl+Q, ends the game with exit code 0
# wherever it stands: at the title, in a stone sweep, in the computer's pause (level 1, and level 5
# thinking in it) and at the person's key wait; closing it also while it still reads a folder of
# costly glyph pictures. The traced
# build of the game tells from its timestamps on standard error where it stands.
# Usage: bash tests/sdl_close.sh BUILD_DIR   (from the repository root; exit 77 = skipped)
set -u

cd "$(dirname "$0")/.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
use_build "${1:?usage: sdl_close.sh BUILD_DIR}" || exit 1
game=$build/bench/brelvoxan-traced
export XCLIENT
out=$build/sdl_close

if grep -q '^BRELVOXAN_BUILD_SDL:BOOL=OFF' "$build/CMakeCache.txt" 2>/dev/null; then
  echo "skipped: this build has no SDL game"
  exit 77
fi
# The traced game comes with the benchmarks.
[[ -x $game ]] || { echo "skipped: no $game (BRELVOXAN_BUILD_BENCH=OFF)"; exit 77; }
need_built "$XCLIENT" || exit 1
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
# shellcheck source=tools/xclient/xclient.sh
source tools/xclient/xclient.sh

start_x_test "$out" 1280x1024 || exit 77  # it says why

# wait_for_trace LOG FROM_LINE PATTERN: until a line after FROM_LINE matches (a minute at most,
# a hang).
wait_for_trace() {
  local log=$1 from=$2 pattern=$3 deadline=$((SECONDS + 60))
  until tail -n "+$((from + 1))" "$log" | grep -qE "$pattern"; do
    ((SECONDS <= deadline)) || return 1
    sleep 0.005
  done
}

# trace_end LOG: the last lines of a game's trace, to tell where it stood when a case failed.
trace_end() {
  echo "  the trace ends: $(tail -n 4 "$1" 2>/dev/null | tr '\n' '|')"
}
fail_traced() {  # NAME WHAT LOG
  fail "$1: $2"
  trace_end "$3"
}

# close_at METHOD NAME PATTERN [KEYS...]: starts the game, waits for the title's key wait, sends
# the keys, waits for a trace line matching PATTERN, asks the window to close (METHOD close) or
# presses Ctrl+Q (METHOD ctrl-q) and expects exit code 0. The game gets the arguments in
# $game_args.
game_args=()
# A game left behind by a failed case would take the next case's keys.
stop_game() {
  kill -9 "$game_pid" 2>/dev/null
  wait "$game_pid" 2>/dev/null
  game_pid=""
}
close_at() {
  local method=$1
  shift
  local name=$1 pattern=$2
  shift 2
  local log=$out/$name.trace window
  "$game" "${game_args[@]}" 2>"$log" &
  game_pid=$!
  # By process too: the window of the game before may not be gone yet on a busy machine, and
  # keys sent to it would be lost.
  window=$(xc_find_pid "$game_pid" "$BRELVOXAN_TITLE")
  # The title is drawn and its key wait has begun; keys reach a window once it is shown.
  if [[ -z $window ]] ||
    ! wait_for_trace "$log" 0 " keywait " ||
    ! xc_settle "$window" "$out/$name.png" 200 >/dev/null; then
    fail_traced "$name" "no title screen (window '$window')" "$log"
    stop_game
    return
  fi
  local from=0
  if (($# > 0)); then
    from=$(wc -l <"$log")
    xc_keys "$window" 50 "$@"
  fi
  if ! wait_for_trace "$log" "$from" "$pattern"; then
    fail_traced "$name" "never reached '$pattern'" "$log"
    stop_game
    return
  fi
  if [[ $method == close ]]; then
    xc_close "$window"
  else
    xc_keys "$window" 0 ctrl+q 2>/dev/null  # the window is gone before the keys are released
  fi
  local failed=$failures
  expect_exit_zero "$method $name"
  ((failures == failed)) || trace_end "$log"
}

for method in close ctrl-q; do
  close_at $method title " keywait "
  close_at $method sweep " sleep 10$" 1
  close_at $method cpu_pause " sleep 700$" 2
  close_at $method key_wait " keywait " 1
  # Level 5 thinks right after the first 20 ms of its pause.
  game_args=(--level 5)
  close_at $method cpu_thinking " sleep 20$" 2
  game_args=()
done

# While the glyphs load: 256 progressive 1024 x 1024 JPEGs of noise, each of which must be
# decoded whole, and the window closed as soon as it is there.
loading=$out/loading
mkdir -p "$loading"
/usr/bin/convert -seed 1 -size 1024x1024 plasma: -attenuate 0.75 +noise Gaussian \
  -interlace Plane -quality 93 "$loading/noise.jpg" || fail "loading: no picture made"
glyph_folder "$loading" "all=$loading/noise.jpg"
(cd "$loading" && exec "$game") 2>"$out/loading.trace" &
game_pid=$!
window=$(xc_find_pid "$game_pid")
if [[ -z $window ]]; then
  fail "loading: no window"
  stop_game
else
  xc_close "$window"
  expect_exit_zero "close loading"
fi
rm -rf "$loading/res"  # a quarter of a gigabyte

finish "traces in $out" "sdl_close: all passed"
