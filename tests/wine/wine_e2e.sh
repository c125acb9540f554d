#!/usr/bin/env bash
# The real Windows program under Wine and Xvfb, started from the unpacked release zip in a fresh
# folder: checks the program's version information and icons, the window's class, style and a
# client area of exactly the display's size (also at --scale 2); plays the opening of a game with X key events and compares the client
# area pixel for pixel with the simulator's picture of the same state; covers the window with
# another and uncovers it; presses two keys while the game is busy and expects only the last to
# act; closes the window (WM_DELETE_WINDOW, Alt+F4 and Ctrl+Q) at the title, in a sweep, in the
# computer's pause and at a key wait, each time expecting exit code 0.
# Usage: bash tests/wine/wine_e2e.sh LINUX_BUILD_DIR [WIN32_BUILD_DIR]   (exit 77 = skipped)
# Screenshots, simulator pictures and difference pictures stay in LINUX_BUILD_DIR/wine_e2e/.
set -u

cd "$(dirname "$0")/../.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
# shellcheck source=tests/wine/wine_env.sh
source tests/wine/wine_env.sh
wine_setup_with_tools "${1:?usage: wine_e2e.sh LINUX_BUILD_DIR}" "${2:-}" || exit $?
# shellcheck source=tools/xclient/xclient.sh
source tools/xclient/xclient.sh
winprobe=$win32_build/brelvoxan-winprobe.exe
out=$build/wine_e2e
rm -rf "$out"
mkdir -p "$out"

# --- The release zip, unpacked into a fresh folder ----------------------------------------------
zip=$(ls "$win32_build"/brelvoxan-*-windows-x64.zip 2>/dev/null | head -n 1)
if [[ -z $zip ]]; then
  echo "FAIL: no release zip in $win32_build; run: bash tools/build-win32.sh"
  exit 1
fi
mkdir -p "$out/unpacked"
(cd "$out/unpacked" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
# One folder, named as the zip.
top=$(ls "$out/unpacked")
[[ $top == "$(basename "$zip" .zip)" ]] || fail "the zip unpacks into '$top', not one folder named as the zip"
unpacked=$out/unpacked/$top
for f in brelvoxan.exe brelvoxan-engine.exe README.txt LICENSE.txt res/bmp/000.bmp \
  res/bmp/255.bmp; do
  [[ -f $unpacked/$f ]] || fail "the zip has no $f"
done
grep -q "Ctrl+Q" "$unpacked/README.txt" || fail "README.txt does not tell the keys"
glyphs=$(find "$unpacked/res/bmp" -name '*.bmp' | wc -l)
[[ $glyphs == 256 ]] || fail "the zip has $glyphs glyph files, not 256"
echo "unpacked $(basename "$zip"): $(find "$unpacked" -type f | wc -l) files"
# The engine program beside the game answers on its console.
engine_answer=$(printf 'name\nquit\n' | timeout 60 wine "$unpacked/brelvoxan-engine.exe" 2>/dev/null |
  tr -d '\r')
[[ $engine_answer == $'= Brelvoxan\n\n=' ]] || fail "brelvoxan-engine.exe answered '$engine_answer'"
# The program file names itself with the project's version and carries both icons.
version=$(sed -n 's/^project(Brelvoxan VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
resources=$(wine "$winprobe" resources "$unpacked/brelvoxan.exe" 2>>"$out/probe_stderr.txt" |
  tr -d '\r' | tr '\n' ';')
[[ $resources == "product Brelvoxan;version $version;icons 1 1;" ]] ||
  fail "version information and icons of brelvoxan.exe: '$resources', wanted Brelvoxan $version, icons 101 and 102"

# shellcheck source=tests/wine/wine_game.sh
source tests/wine/wine_game.sh
game_folder=$unpacked
game_program=brelvoxan.exe

# --- The window, and one game's opening -------------------------------------------------------------
moves="Right Right Right Down Down"
if start_game; then
  info=$(wine "$winprobe" info "$BRELVOXAN_TITLE" 2>>"$out/probe_stderr.txt" | tr -d '\r')
  echo "$info" >"$out/window_info.txt"
  field() { awk -v k="$1" '$1 == k {$1 = ""; sub(/^ /, ""); print}' <<<"$info"; }
  [[ $(field class) == ROZOVU ]] || fail "window class '$(field class)', not ROZOVU"
  read -r wx wy _ _ <<<"$(field window)"
  [[ "$wx $wy" == "0 0" ]] || fail "window at '$wx $wy', not at the top-left corner"
  [[ $(field style) == *"sizing 0 minimize 0 maximize 0 caption 1 sysmenu 1" ]] ||
    fail "style '$(field style)': wanted a caption and a close box, no sizing, no minimise or maximise"
  (($(field exstyle) & 0x200)) || fail "no client edge: extended style $(field exstyle)"
  read -r cx cy cw ch <<<"$(field client)"
  # The whole display, no pixel cut by the frame.
  w=$BRELVOXAN_CLIENT_WIDTH h=$BRELVOXAN_CLIENT_HEIGHT
  [[ "$cw $ch" == "$w $h" ]] || fail "client area ${cw:-?} x ${ch:-?}, not $w x $h"
  client_region="${cx:-0},${cy:-0},$w,$h"
  echo "window: $(field class), $(field window), client $(field client)"

  check_state title "" 700
  # The keypad's 1 (End with Num Lock off) is taken and ignored; only the main row's 1 chooses.
  xc_keys "$window" 0 KP_1
  check_state title_after_keypad "" 500
  xc_keys "$window" 0 1
  check_state game_start "1" 1500
  # M marks the squares where the person may move, and takes the marks away again.
  xc_keys "$window" 0 m
  check_state marks_on "1 M" 500
  xc_keys "$window" 0 m
  check_state marks_off "1 M M" 500
  # shellcheck disable=SC2086
  xc_keys_each "$window" "$out/before_key.png" $moves || fail "cursor_moved: a key did nothing"
  check_state cursor_moved "1 $moves" 500

  # Enter plays (4,3); once the window shows it, Left and then Down are pressed during the sweep
  # and the computer's pause that follow: the slot keeps only Down, which answers the first wait
  # after the reply.
  xc_keys "$window" 0 Return
  xc_changed "$window" "$out/cursor_moved.png" || fail "last_key_only: Enter changed nothing"
  xc_keys "$window" 50 Left Down
  echo "1 $moves Enter Left Down" | "$sim" --png "$out/both_keys_sim_full.png" >/dev/null
  check_state last_key_only "1 $moves Enter Down" 2500
  xc_compare "$out/both_keys_sim_full.png" "$out/last_key_only_sim_full.png" \
    "$out/both_keys_vs_last_diff.png" >/dev/null &&
    fail "last_key_only: Left then Down ends where Down alone does; the check proves nothing"

  # Covered by another window and uncovered, with the client area invalidated and erased: the
  # paint from the back buffer must bring back the last picture.
  wine "$winprobe" cover "$BRELVOXAN_TITLE" 300 >>"$out/probe_stderr.txt" 2>&1 || fail "cannot cover the window"
  if xc_settle_showing "$window" "$out/uncovered.png" 300 "$out/last_key_only_client.png" \
    "$(cut -d, -f1,2 <<<"$client_region")" &&
    crop "$out/uncovered.png" "$client_region" "$out/uncovered_client.png"; then
    if verdict=$(xc_compare "$out/uncovered_client.png" "$out/last_key_only_client.png" \
      "$out/uncovered_diff.png"); then
      echo "uncovered: the last picture is back"
    else
      fail "uncovered: $verdict"
    fi
  else
    fail "uncovered: no capture"
  fi
  close_and_expect_exit close "at a key wait"
fi

# --- Twice the size ---------------------------------------------------------------------------------
if [[ -n $client_region ]] && start_game --scale 2; then
  info=$(wine "$winprobe" info "$BRELVOXAN_TITLE" 2>>"$out/probe_stderr.txt" | tr -d '\r')
  read -r cx cy cw ch <<<"$(field client)"
  w=$((2 * BRELVOXAN_CLIENT_WIDTH)) h=$((2 * BRELVOXAN_CLIENT_HEIGHT))
  if [[ "$cw $ch" != "$w $h" ]]; then
    fail "--scale 2: client area ${cw:-?} x ${ch:-?}, not $w x $h"
  elif /usr/bin/convert "$out/title_sim.png" -sample 200% "PNG24:$out/scale2_sim.png" &&
    xc_settle_showing "$window" "$out/scale2.png" 700 "$out/scale2_sim.png" "$cx,$cy" >/dev/null &&
    crop "$out/scale2.png" "$cx,$cy,$w,$h" "$out/scale2_client.png"; then
    if verdict=$(xc_compare "$out/scale2_client.png" "$out/scale2_sim.png" "$out/scale2_diff.png"); then
      echo "--scale 2: client $w x $h, the simulator's title enlarged 2 x 2"
    else
      fail "--scale 2: $verdict (see $out/scale2_diff.png)"
    fi
  else
    fail "--scale 2: no capture"
  fi
  close_and_expect_exit ctrl-q "at the title at --scale 2"
fi

# --- Closing everywhere -----------------------------------------------------------------------------
if [[ -n $client_region ]]; then
  if start_game; then
    xc_keys "$window" 0 1
    xc_settle "$window" "$out/reply_start.png" 1500 >/dev/null
    # shellcheck disable=SC2086
    xc_keys_each "$window" "$out/before_key.png" $moves Return || fail "cpu_reply: a key did nothing"
    check_state cpu_reply "1 $moves Enter" 2500
    close_and_expect_exit alt-f4 "at a key wait"
  fi
  if start_game; then
    xc_keys "$window" 0 1
    xc_settle "$window" "$out/ctrl_q_start.png" 1500 >/dev/null
    close_and_expect_exit ctrl-q "at a key wait"
  fi
  for method in close alt-f4 ctrl-q; do
    if start_game; then
      close_and_expect_exit "$method" "at the title"
    fi
    if start_game; then
      # The board is drawn, then swept for 640 ms.
      xc_keys "$window" 0 1
      sleep 0.5
      close_and_expect_exit "$method" "in a sweep"
    fi
    if start_game; then
      xc_keys "$window" 0 1
      xc_settle "$window" "$out/pause_start.png" 1500 >/dev/null
      # shellcheck disable=SC2086
      xc_keys_each "$window" "$out/before_key.png" $moves Return
      # 640 ms of sweep, then 700 ms of the computer's pause.
      sleep 1
      close_and_expect_exit "$method" "in the computer's pause"
    fi
  done
fi

# The game prints nothing; anything here is Wine's complaint.
if [[ -s $out/game_stderr.txt ]]; then
  echo "note: standard error of the game under Wine: $(head -c 400 "$out/game_stderr.txt")"
fi
finish "pictures in $out" "all Wine end-to-end checks passed; pictures in $out"
