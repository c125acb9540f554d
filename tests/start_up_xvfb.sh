#!/usr/bin/env bash
# The real program's start: the command line answers without a window; without a display it says
# so in exactly one line of its own; and with --scale 4 in a real X server too small for it the
# scale is lowered to 2 with one line saying so: the window is twice the display's size in each
# direction at the top-left corner, its title screen the simulator's picture enlarged 2 x 2.
# Usage: bash tests/start_up_xvfb.sh BUILD_DIR (from the repository root; 77 = skipped).
# The pictures stay in BUILD_DIR/scale/.
set -u

cd "$(dirname "$0")/.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
use_build "${1:?usage: start_up_xvfb.sh BUILD_DIR}" || exit 1
out=$build/scale

if [[ ! -x $game || ! -x $XCLIENT ]]; then
  echo "skipped: this build has no SDL game or X client"
  exit 77
fi
for tool in Xvfb xdotool /usr/bin/convert /usr/bin/compare; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (tools/setup.sh)"; exit 77; }
done
rm -rf "$out"
mkdir -p "$out"

# --- The command line and no display: no window is opened, no X server is needed ---------------
expect() {  # expect CODE LINES-ON-STDERR DESCRIPTION COMMAND...
  local code=$1 lines=$2 what=$3 got
  shift 3
  "$@" >"$out/stdout.txt" 2>"$out/stderr.txt"
  got=$?
  local stderr_lines
  stderr_lines=$(wc -l <"$out/stderr.txt")
  # Every line is the game's own: nothing from a library.
  if [[ $got != "$code" || $stderr_lines != "$lines" ]] || grep -qv '^brelvoxan: ' "$out/stderr.txt"; then
    fail "$what: exit code $got, standard error: $(head -c 300 "$out/stderr.txt")"
  fi
}
expect 0 0 "--version" "$game" --version
grep -qx "brelvoxan [0-9.]*" "$out/stdout.txt" || fail "--version printed $(cat "$out/stdout.txt")"
expect 0 0 "--help" "$game" --help
# Help that cannot be written (a full disk) is a failure, said in one line.
for option in --help --version; do
  "$game" "$option" >/dev/full 2>"$out/stderr.txt"
  got=$?
  if [[ $got != 1 || $(wc -l <"$out/stderr.txt") != 1 ]]; then
    echo "FAIL: $option >/dev/full: exit code $got, standard error: $(head -c 300 "$out/stderr.txt")"
    status=1
  fi
done
expect 2 1 "an unknown option" "$game" --fullscreen
expect 2 1 "--scale 5" "$game" --scale 5
expect 1 1 "no DISPLAY" env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR "$game"
expect 1 1 "an X display nobody serves" env -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR DISPLAY=:65000 "$game"

# --- --scale 4 lowered to 2 under Xvfb ------------------------------------------------------------
# shellcheck source=tools/xclient/xclient.sh
source tools/xclient/xclient.sh
trap stop_x_test EXIT
# Wide enough for the window at twice the display's size: parts beyond the screen could not be
# captured.
start_xvfb "$out" 1920x1080 || exit 77

# --scale 4 asks for a window four times the display's size; the screen has room for twice.
"$game" --scale 4 2>"$out/stderr.txt" &
game_pid=$!
window=$(xc_find_title "$BRELVOXAN_TITLE")
if [[ -z $window ]]; then
  echo "FAIL: no game window within a minute: $(head -c 300 "$out/stderr.txt")"
  exit 1
fi
geometry=$(xc_geometry "$window")
size="$((2 * BRELVOXAN_CLIENT_WIDTH)) $((2 * BRELVOXAN_CLIENT_HEIGHT))"
[[ $geometry == "0 0 $size" ]] || fail "window at x y w h = $geometry, not 0 0 $size"
echo "" | "$sim" --png "$out/title_sim.png" >/dev/null || exit 1
/usr/bin/convert "$out/title_sim.png" -filter point -resize 200% "$out/title_sim_x2.png" || exit 1
xc_settle_showing "$window" "$out/title_scale2.png" 700 "$out/title_sim_x2.png" || exit 1
if verdict=$(xc_compare "$out/title_scale2.png" "$out/title_sim_x2.png" "$out/diff.png"); then
  echo "title screen at --scale 2: the simulator's picture enlarged 2 x 2"
else
  fail "--scale 2: $verdict (see $out/diff.png)"
fi
xc_close "$window"
wait "$game_pid"
game_status=$?
game_pid=""
[[ $game_status == 0 ]] || fail "the game ended with code $game_status"
if [[ $(wc -l <"$out/stderr.txt") != 1 ]] || ! grep -q "^brelvoxan: --scale 4 .*; using --scale 2$" "$out/stderr.txt"; then
  fail "wanted one line saying --scale 2 is used, standard error: $(head -c 300 "$out/stderr.txt")"
fi
finish "pictures in $out"
