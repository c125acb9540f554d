# shellcheck shell=bash
# Sourced by the Wine tests that play the Windows program, after tests/lib/common.sh, wine_setup
# and tools/xclient/xclient.sh: starting the game and closing it. The sourcing script sets out,
# winprobe, game_folder (the game's current folder) and game_program (the program as wine is
# given it). start_game sets game_pid and window.

game_pid=""
window=""
client_region=""
start_game() {  # start_game [OPTION...]
  (cd "$game_folder" && exec wine "$game_program" "$@" 2>>"$out/game_stderr.txt") &
  game_pid=$!
  # This process's window: the last one's may still be on its way out of the X server.
  window=$(xc_search_until 60 --all --pid "$game_pid" --name "^$BRELVOXAN_TITLE\$")
  if [[ -z $window ]]; then
    fail "no window titled '$BRELVOXAN_TITLE' within a minute"
    kill "$game_pid" 2>/dev/null
    wait "$game_pid" 2>/dev/null
    game_pid=""
    return 1
  fi
  # The title screen, once the set-up after the first paint is over.
  xc_settle "$window" "$out/start.png" 300 >/dev/null
  # Keys go to the foreground window; a window shown while the last game's was still on its way
  # out may not have become it.
  local foreground
  foreground=$(wine "$winprobe" activate "$BRELVOXAN_TITLE" 2>>"$out/probe_stderr.txt" | tr -d '\r') ||
    fail "the game's window cannot be brought to the foreground"
  [[ $foreground == "foreground 1" ]] || echo "note: the window was not in the foreground at start"
}

# A game that outlives the close request: its picture, and whether it ends later.
# shellcheck disable=SC2317  # run by expect_exit_zero
on_still_running() {
  "$XCLIENT" settle "$window" "$out/still_running.png" --quiet 200 --timeout 2000 >/dev/null
  sleep 2
  if kill -0 "$game_pid" 2>/dev/null; then
    echo "  and still 3 s later; window: '$(xdotool getwindowname "$window" 2>/dev/null)'"
  else
    echo "  it ended later (picture in still_running.png)"
  fi
}

# close_and_expect_exit METHOD WHERE: closes the window (close = the WM_DELETE_WINDOW request,
# alt-f4 and ctrl-q = the key chords) and expects exit code 0.
close_and_expect_exit() {
  local method=$1 where=$2
  case $method in
    close) xc_close "$window" ;;
    alt-f4) xc_keys "$window" 0 Alt_L+F4 ;;
    ctrl-q) xc_keys "$window" 0 Control_L+q ;;
  esac
  expect_exit_zero "$method $where"
  # The next game gets a Wine server of its own, so that nothing one game leaves in the server
  # (input and foreground state) reaches the next: on a busy machine games started one after
  # another into the same server now and then lost a key or their window.
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}
