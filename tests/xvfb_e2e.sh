#!/usr/bin/env bash
# The real game in a real X server: starts build/brelvoxan under Xvfb, plays the opening of a
# game with real key events and compares the window pixel for pixel with the simulator's picture
# of the same state; covers and uncovers the window; closes it and expects exit code 0, also in
# the middle of a stone sweep; and expects a clear error without a display.
# Usage: bash tests/xvfb_e2e.sh BUILD_DIR   (from the repository root; exit 77 = skipped)
# Screenshots, simulator pictures and difference pictures stay in BUILD_DIR/e2e/.
set -u

cd "$(dirname "$0")/.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
use_build "${1:?usage: xvfb_e2e.sh BUILD_DIR}" || exit 1
out=$build/e2e

if grep -q '^BRELVOXAN_BUILD_SDL:BOOL=OFF' "$build/CMakeCache.txt" 2>/dev/null; then
  echo "skipped: this build has no SDL game (BRELVOXAN_BUILD_SDL=OFF)"
  exit 77
fi
need_built "$game" "$sim" "$XCLIENT" || exit 1
for program in Xvfb xdotool /usr/bin/compare; do
  if ! command -v "$program" >/dev/null; then
    echo "skipped: $program is not installed (tools/setup.sh installs it)"
    exit 77
  fi
done
# shellcheck source=tools/xclient/xclient.sh
source tools/xclient/xclient.sh

# --- An X server of our own on a free display number -------------------------------------------
start_x_test "$out" 1280x1024 || exit 77  # it says why
echo "Xvfb on $DISPLAY"

# --- Helpers ----------------------------------------------------------------------------------
start_game() {
  "$game" 2>>"$out/game_stderr.txt" &
  game_pid=$!
  window=$(xc_find_pid "$game_pid" "$BRELVOXAN_TITLE")
  if [[ -z $window ]]; then
    fail "no window titled '$BRELVOXAN_TITLE' within a minute"
    return 1
  fi
}

# --- One game's opening -------------------------------------------------------------------------
if start_game; then
  got_title=$(xc_title "$window")
  [[ $got_title == "$BRELVOXAN_TITLE" ]] || fail "window title '$got_title'"
  geometry=$(xc_geometry "$window")
  size="$BRELVOXAN_CLIENT_WIDTH $BRELVOXAN_CLIENT_HEIGHT"
  [[ $geometry == "0 0 $size" ]] || fail "window at x y w h = $geometry, not 0 0 $size"

  check_state title "" 700

  # Keys that must not choose a side: 1 with Alt held (Alt combinations never reach the game)
  # and the keypad's 1 (End with Num Lock off, a keypad digit with it on).
  xc_keys "$window" 50 Alt_L+1 KP_1 F10
  check_state title_after_other_keys "" 500

  # After "1" the board is drawn and swept once; the screen stays still during most of the
  # sweep, so the quiet time must outlast it before the arrows are sent.
  xc_keys "$window" 100 1
  check_state game_start "1" 1500
  # M marks the squares where the person may move, and takes the marks away again.
  xc_keys "$window" 100 m
  check_state marks_on "1 M" 500
  xc_keys "$window" 100 m
  check_state marks_off "1 M M" 500

  # From (1,1) to (4,3), a legal first move for Black; then the CPU's 700 ms pause, its move and
  # a second sweep. The screen may stay still for 640 + 700 ms between the two moves.
  moves="Right Right Right Down Down"
  # shellcheck disable=SC2086
  xc_keys_each "$window" "$out/before_key.png" $moves || fail "cursor_moved: a key did nothing"
  check_state cursor_moved "1 $moves" 500
  xc_keys "$window" 100 Return
  check_state cpu_reply "1 $moves Enter" 2500

  # Covering and uncovering the window repaints it from the back buffer.
  xc_cover "$window" 300
  if xc_settle_showing "$window" "$out/uncovered.png" 300 "$out/cpu_reply.png"; then
    if verdict=$(xc_compare "$out/uncovered.png" "$out/cpu_reply.png" "$out/uncovered_diff.png"); then
      echo "uncovered: the last picture is back"
    else
      fail "uncovered: $verdict"
    fi
  else
    fail "uncovered: no capture"
  fi

  xc_close "$window"
  expect_exit_zero closed
fi

# --- Closing in the middle of a sweep -----------------------------------------------------------
if start_game; then
  xc_settle "$window" "$out/second_title.png" 300 >/dev/null
  xc_keys "$window" 100 1
  sleep 0.3
  xc_close "$window"
  expect_exit_zero closed
fi

# --- No display: one clear line and a non-zero exit, not a hang -------------------------------------
no_display_status=0
DISPLAY=:65000 timeout 60 "$game" 2>"$out/no_display_stderr.txt" || no_display_status=$?
if [[ $no_display_status == 0 || $no_display_status == 124 ]]; then
  fail "without a display the game ended with status $no_display_status"
elif ! grep -q "^brelvoxan: cannot open a window" "$out/no_display_stderr.txt"; then
  fail "without a display: unexpected message: $(cat "$out/no_display_stderr.txt")"
else
  echo "no display: status $no_display_status, $(grep "^brelvoxan:" "$out/no_display_stderr.txt")"
fi

# The game prints nothing; anything here is a sanitizer's or a library's complaint.
if [[ -s $out/game_stderr.txt ]]; then
  fail "the game wrote to standard error: $(head -c 400 "$out/game_stderr.txt")"
fi

finish "pictures in $out" "all end-to-end checks passed; pictures in $out"
