# Sourced by the Wine tests that play the Windows program, from the repository root after
# wine_setup: starting it, capturing its client area and comparing it with the simulator's
# picture, closing it. The sourcing script sets build, sim and XCLIENT, calls wine_game_setup, and
# sets game_folder (the current folder for the game) and game_program (the program as wine is
# given it). start_game sets game_pid and window; the comparisons use client_region (X,Y,W,H of
# the client area in a capture of the window).
# shellcheck shell=bash

# wine_game_setup NAME: a fresh output folder build/NAME in out, the probe, the window's title,
# and fail MESSAGE, which counts failures.
wine_game_setup() {
  # shellcheck source=tools/xclient/xclient.sh
  source tools/xclient/xclient.sh
  winprobe=$win32_build/brelvoxan-winprobe.exe
  title="Brelvoxan OrvanelTaste"
  out=$build/$1
  rm -rf "$out"
  mkdir -p "$out"
  failures=0
}
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# crop IN.png X,Y,W,H OUT.png
crop() {
  local x y w h
  IFS=, read -r x y w h <<<"$2"
  /usr/bin/convert "$1" -crop "${w}x${h}+${x}+${y}" +repage "PNG24:$3"
}
game_pid=""
window=""
client_region=""
start_game() {  # start_game [OPTION...]
  (cd "$game_folder" && exec wine "$game_program" "$@" 2>>"$out/game_stderr.txt") &
  game_pid=$!
  # This process's window: the last one's may still be on its way out of the X server.
  window=$(timeout 20 xdotool search --all --sync --pid "$game_pid" --name "^$title\$" 2>/dev/null |
    head -n 1)
  if [[ -z $window ]]; then
    fail "no window titled '$title' within 20 s"
    kill "$game_pid" 2>/dev/null
    wait "$game_pid" 2>/dev/null
    game_pid=""
    return 1
  fi
  # The title screen, once the set-up after the first paint is over.
  "$XCLIENT" settle "$window" "$out/start.png" --quiet 300 --timeout 20000 >/dev/null
  # Keys go to the foreground window; a window shown while the last game's was still on its way
  # out may not have become it.
  local foreground
  foreground=$(wine "$winprobe" activate "$title" 2>>"$out/probe_stderr.txt" | tr -d '\r') ||
    fail "the game's window cannot be brought to the foreground"
  [[ $foreground == "foreground 1" ]] || echo "note: the window was not in the foreground at start"
}

# close_and_expect_exit METHOD WHERE: closes the window (close = the WM_DELETE_WINDOW request,
# alt-f4 and ctrl-q = the key chords) and expects exit code 0 within a second.
close_and_expect_exit() {
  local method=$1 where=$2 waited=0
  case $method in
    close) xc_close "$window" ;;
    alt-f4) xc_keys "$window" 0 Alt_L+F4 ;;
    ctrl-q) xc_keys "$window" 0 Control_L+q ;;
  esac
  while kill -0 "$game_pid" 2>/dev/null && ((waited < 1000)); do
    sleep 0.01
    waited=$((waited + 10))
  done
  if kill -0 "$game_pid" 2>/dev/null; then
    fail "$method $where: still running 1 s after the request (picture in still_running.png)"
    "$XCLIENT" settle "$window" "$out/still_running.png" --quiet 200 --timeout 2000 >/dev/null
    sleep 2
    if kill -0 "$game_pid" 2>/dev/null; then
      echo "  and still 3 s after it; window: '$(xdotool getwindowname "$window" 2>/dev/null)'"
    else
      echo "  it ended later"
    fi
    kill -9 "$game_pid" 2>/dev/null
    wait "$game_pid" 2>/dev/null
  else
    wait "$game_pid"
    local status=$?
    if [[ $status == 0 ]]; then
      echo "$method $where: exit code 0 within about $waited ms"
    else
      fail "$method $where: exit code $status"
    fi
  fi
  game_pid=""
  # The next game gets a Wine server of its own, so that nothing one game leaves in the server
  # (input and foreground state) reaches the next: on a busy machine games started one after
  # another into the same server now and then lost a key or their window.
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}

# check_state NAME KEYS QUIET_MS: waits until the window has not changed for QUIET_MS, keeps it as
# NAME.png, and compares its visible client area with the simulator's picture after KEYS.
check_state() {
  local name=$1 keys=$2 quiet=$3 verdict
  if ! "$XCLIENT" settle "$window" "$out/$name.png" --quiet "$quiet" --timeout 30000; then
    fail "$name: the window could not be captured or never settled"
    return
  fi
  crop "$out/$name.png" "$client_region" "$out/${name}_client.png" || {
    fail "$name: cannot crop the client area $client_region"
    return
  }
  if ! echo "$keys" | "$sim" --png "$out/${name}_sim_full.png" >"$out/${name}_sim.txt"; then
    fail "$name: the simulator failed"
    return
  fi
  crop "$out/${name}_sim_full.png" "0,0,${client_region#*,*,}" "$out/${name}_sim.png"
  if verdict=$(xc_compare "$out/${name}_client.png" "$out/${name}_sim.png" \
    "$out/${name}_diff.png"); then
    echo "$name: identical to the simulator"
  else
    fail "$name: $verdict (see $out/${name}_diff.png)"
  fi
}

