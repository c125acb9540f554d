# Sourced by the script tests and the benchmarks, which run from the repository root:
#
#   use_build DIR       build=DIR made absolute, and the build's geometry.sh read: the window
#                       title BRELVOXAN_TITLE and the display's sizes (BRELVOXAN_CLIENT_WIDTH,
#                       ...) as the game has them; returns 1 (saying why) when it is missing
#   abs_path PATH       PATH made absolute (relative paths are taken from the current folder)
#   fail WHAT...        "FAIL: WHAT" and one more in $failures
#   finish WHERE [OK]   the summary: "N failure(s); WHERE" and exit 1, or OK (if given) and exit 0
#   glyph_folder DIR CODE=FILE...
#                       DIR/res/bmp: the committed glyphs, with FILE from fuzz/corpus (or a FIFO
#                       for "fifo") in place of glyph CODE
#   start_x_test OUT_DIR WIDTHxHEIGHT
#                       a fresh OUT_DIR and a private Xvfb; on exit the game in $game_pid (if
#                       any) and the Xvfb are ended. Returns 1 with the reason when Xvfb cannot
#                       start.
#   start_xvfb OUT_DIR WIDTHxHEIGHT
#                       a private Xvfb on a free display number: exports DISPLAY, sets xvfb_pid;
#                       returns 1 (with the reason on stdout) when it cannot. stop_xvfb ends it.

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

use_build() {
  if [[ ! -d $1 ]]; then
    echo "FAIL: no build folder $1"
    return 1
  fi
  build=$(abs_path "$1")
  if [[ ! -f $build/geometry.sh ]]; then
    echo "FAIL: $build/geometry.sh is missing; build everything first"
    return 1
  fi
  # shellcheck source=/dev/null
  source "$build/geometry.sh"
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

glyph_folder() {
  local dir=$1 pair glyph
  shift
  mkdir -p "$dir/res"
  cp -r res/bmp "$dir/res/bmp"
  for pair in "$@"; do
    glyph=$dir/res/bmp/${pair%%=*}.bmp
    rm -f "$glyph"
    if [[ ${pair#*=} == fifo ]]; then mkfifo "$glyph"; else cp "fuzz/corpus/${pair#*=}" "$glyph"; fi
  done
}

xvfb_pid=""
start_xvfb() {
  local out=$1 size=$2 number="" fifo=$1/displayfd.$$
  rm -f "$fifo"
  mkfifo "$fifo" || return 1
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$fifo" >"$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  read -r -t 10 number <"$fifo"
  rm -f "$fifo"
  if [[ -z $number ]] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "Xvfb could not start: $(tail -n 3 "$out/xvfb.log" | tr '\n' ' ')"
    return 1
  fi
  export DISPLAY=:$number
}
stop_xvfb() {
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
}

game_pid=""
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
