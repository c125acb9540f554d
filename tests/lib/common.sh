# shellcheck shell=bash disable=SC2034,SC2154  # variables set for and by the scripts that source this
# Sourced by the script tests and the benchmarks, which run from the repository root:
#
#   use_build DIR       build=DIR made absolute, its programs game, sim and XCLIENT, and the
#                       build's geometry.sh read: the window title BRELVOXAN_TITLE and the
#                       display's sizes (BRELVOXAN_CLIENT_WIDTH, ...) as the game has them;
#                       returns 1 (saying why) when it is missing
#   abs_path PATH       PATH made absolute (relative paths are taken from the current folder)
#   fail WHAT...        "FAIL: WHAT" and one more in $failures
#   finish WHERE [OK]   the summary: "N failure(s); WHERE" and exit 1, or OK (if given) and exit 0
#   make_work           work=a fresh temporary folder, removed on exit
#   glyph_folder DIR CODE=FILE...
#                       DIR/res/bmp: the committed glyphs, with FILE (from fuzz/corpus unless
#                       absolute, or a FIFO for "fifo") in place of glyph CODE ("all": every
#                       code)
#   stray_folder DIR CODE=FILE...
#                       DIR/bin: a copy of $sim beside the committed glyphs; DIR/res/bmp holds
#                       only the files given. Run it with sim=DIR/bin/brelvoxan-sim.
#   sim_in_folder DIR ARGS...
#                       runs $sim in DIR with ARGS and no keys (60 s at most, a hang): its output in
#                       DIR/out and DIR/err, "SECONDS PEAK_KB" in the last line of DIR/time;
#                       returns its status (124 when it timed out)
#   expect_exit_zero NAME
#                       the game in $game_pid must end with code 0; one still running after
#                       $exit_hang_limit_ms is a failure (the script's on_still_running, if it
#                       has one, looks at it first) and is killed
#   check_state NAME KEYS QUIET_MS
#                       waits until $window shows $sim's picture after KEYS (a minute at most),
#                       then until it has not changed for QUIET_MS, keeps it as $out/NAME.png and
#                       compares it (only its part $client_region "X,Y,W,H" when the script sets
#                       one) with that picture
#   start_x_test OUT_DIR WIDTHxHEIGHT
#                       a fresh OUT_DIR and a private Xvfb; on exit the game in $game_pid (if
#                       any) and the Xvfb are ended. Returns 1 with the reason when Xvfb cannot
#                       start.
#   start_xvfb OUT_DIR WIDTHxHEIGHT
#                       a private Xvfb on a free display number, with one connection held open
#                       so that it never starts afresh: exports DISPLAY, sets xvfb_pid; returns
#                       1 (with the reason on stdout) when it cannot. stop_xvfb ends it.

abs_path() {
  local path=$1
  if [[ -d $path ]]; then
    (cd "$path" && pwd)
  elif [[ $path == /* ]]; then
    echo "$path"
  else
    echo "$PWD/$path"
  fi
}

# need_built PROGRAM...: each built and executable, or a FAIL line naming the first one missing
# (returns 1).
need_built() {
  local program
  for program in "$@"; do
    if [[ ! -x $program ]]; then
      echo "FAIL: $program is missing; build everything first"
      return 1
    fi
  done
}

use_build() {
  if [[ ! -d $1 ]]; then
    echo "FAIL: no build folder $1"
    return 1
  fi
  build=$(abs_path "$1")
  game=$build/brelvoxan
  sim=$build/brelvoxan-sim
  XCLIENT=$build/brelvoxan-xclient
  if [[ ! -f $build/geometry.sh ]]; then
    echo "FAIL: $build/geometry.sh is missing; build everything first"
    return 1
  fi
  # shellcheck source=/dev/null
  source "$build/geometry.sh"
  # The games a test starts keep their settings and results in a fresh folder of its own, never
  # in the person's: each starts as on its first run.
  XDG_CONFIG_HOME=$build/test-config/$$
  rm -rf "$XDG_CONFIG_HOME"
  mkdir -p "$XDG_CONFIG_HOME"
  export XDG_CONFIG_HOME
}

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

finish() {
  if ((failures > 0)); then
    echo "$failures failure(s)${1:+; $1}"
    exit 1
  fi
  [[ -n ${2:-} ]] && echo "$2"
  exit 0
}

make_work() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
}

glyph_folder() {
  local dir=$1 pair glyph codes code source
  shift
  mkdir -p "$dir/res"
  [[ -d $dir/res/bmp ]] || cp -r res/bmp "$dir/res/bmp"
  for pair in "$@"; do
    codes=${pair%%=*}
    source=${pair#*=}
    [[ $codes == all ]] && codes=$(seq -f %03g 0 255)
    [[ $source == fifo || $source == /* ]] || source=fuzz/corpus/$source
    for code in $codes; do
      glyph=$dir/res/bmp/$code.bmp
      rm -f "$glyph"
      if [[ $source == fifo ]]; then mkfifo "$glyph"; else cp "$source" "$glyph"; fi
    done
  done
}

stray_folder() {
  local dir=$1
  shift
  glyph_folder "$dir/bin"
  cp "$sim" "$dir/bin/"
  mkdir -p "$dir/res/bmp"
  glyph_folder "$dir" "$@"
}

sim_in_folder() {
  local dir=$1
  shift
  (cd "$dir" && /usr/bin/time -f "%e %M" -o "$dir/time" timeout 60 "$sim" "$@" </dev/null \
    >"$dir/out" 2>"$dir/err")
}

xvfb_pid=""
x_holder_pid=""
start_xvfb() {
  local out=$1 size=$2 number="" fifo=$1/displayfd.$$ screen=""
  rm -f "$fifo" "$fifo.held"
  mkfifo "$fifo" "$fifo.held" || return 1
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$fifo" >"$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  read -r -t 60 number <"$fifo"
  rm -f "$fifo"
  if [[ -z $number ]] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
    rm -f "$fifo.held"
    echo "Xvfb could not start: $(tail -n 3 "$out/xvfb.log" | tr '\n' ' ')"
    return 1
  fi
  export DISPLAY=:$number
  # An X server starts afresh whenever its last client leaves and refuses whoever connects
  # meanwhile: a game, a window search or a Wine program started just after another client has
  # gone. One connection held for the whole test keeps the server as it is; it says the screen's
  # size once it is connected.
  xdotool getdisplaygeometry sleep 86400 >"$fifo.held" 2>>"$out/xvfb.log" &
  x_holder_pid=$!
  read -r -t 60 screen <"$fifo.held"
  rm -f "$fifo.held"
  if [[ -z $screen ]]; then
    echo "no connection to Xvfb on $DISPLAY: $(tail -n 3 "$out/xvfb.log" | tr '\n' ' ')"
    return 1
  fi
}
stop_xvfb() {
  [[ -n $x_holder_pid ]] && kill "$x_holder_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  x_holder_pid=""
  xvfb_pid=""
}

game_pid=""
# A closed game ends at once, in a few milliseconds; the limit only catches one that hangs, and is
# far beyond that so that a busy machine never fails a test.
exit_hang_limit_ms=60000
expect_exit_zero() {
  local name=$1 limit=$exit_hang_limit_ms waited=0 status
  while kill -0 "$game_pid" 2>/dev/null && ((waited < limit)); do
    sleep 0.01
    waited=$((waited + 10))
  done
  if kill -0 "$game_pid" 2>/dev/null; then
    fail "$name: still running $limit ms after the close request"
    declare -F on_still_running >/dev/null && on_still_running
    kill -9 "$game_pid" 2>/dev/null
    wait "$game_pid" 2>/dev/null
  else
    wait "$game_pid"
    status=$?
    if [[ $status == 0 ]]; then
      echo "$name: exit code 0 after about $waited ms"
    else
      fail "$name: exit code $status, not 0"
    fi
  fi
  game_pid=""
}

# crop IN.png X,Y,W,H OUT.png
crop() {
  local x y w h
  IFS=, read -r x y w h <<<"$2"
  /usr/bin/convert "$1" -crop "${w}x${h}+${x}+${y}" +repage "PNG24:$3"
}

check_state() {
  local name=$1 keys=$2 quiet=$3 shot=$out/$1.png picture=$out/$1_sim.png verdict
  if ! echo "$keys" | "$sim" --png "$picture" >"$out/${name}_sim.txt"; then
    fail "$name: the simulator failed"
    return
  fi
  if [[ -n ${client_region:-} ]]; then
    mv "$picture" "$out/${name}_sim_full.png"
    crop "$out/${name}_sim_full.png" "0,0,${client_region#*,*,}" "$picture"
  fi
  if ! xc_settle_showing "$window" "$shot" "$quiet" "$picture" \
    "$(cut -d, -f1,2 <<<"${client_region:-0,0}")"; then
    fail "$name: the window could not be captured or never settled"
    return
  fi
  if [[ -n ${client_region:-} ]]; then
    if ! crop "$shot" "$client_region" "$out/${name}_client.png"; then
      fail "$name: cannot crop the client area $client_region"
      return
    fi
    shot=$out/${name}_client.png
  fi
  if verdict=$(xc_compare "$shot" "$picture" "$out/${name}_diff.png"); then
    echo "$name: identical to the simulator"
  else
    fail "$name: $verdict (see $out/${name}_diff.png)"
  fi
}

stop_x_test() {
  [[ -n $game_pid ]] && kill "$game_pid" 2>/dev/null
  stop_xvfb
}
start_x_test() {
  rm -rf "$1"
  mkdir -p "$1"
  trap stop_x_test EXIT
  start_xvfb "$1" "$2"
}
