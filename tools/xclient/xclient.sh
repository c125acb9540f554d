# One shell function per command on an X window, for the X tests and benchmarks; source it after
# setting XCLIENT to the brelvoxan-xclient binary. xdotool finds windows and sends keys,
# ImageMagick makes and compares pictures; brelvoxan-xclient does what needs precise timing.
# shellcheck shell=bash

# xc_search_until SECONDS XDOTOOL_SEARCH_ARGS...: the first window found, asking again every
# 50 ms until one is or SECONDS have passed (each search answers at once).
xc_search_until() {
  local found="" deadline=$((SECONDS + $1))
  shift
  until [[ -n $found ]] || ((SECONDS > deadline)); do
    found=$(xdotool search "$@" 2>/dev/null | head -n 1)
    [[ -n $found ]] || sleep 0.05
  done
  echo "$found"
}
# xc_find_title TITLE: the id of the first window with exactly this title, waiting up to a minute
# (a hang: a window comes within a second or two).
xc_find_title() { xc_search_until 60 --name "^$1\$"; }
# xc_find_pid PID [TITLE]: the id of the first window of the process (with exactly this title: a
# window is shown under its first title and renamed), waiting up to a minute.
xc_find_pid() {
  if (($# > 1)); then
    xc_search_until 60 --all --pid "$1" --name "^$2\$"
  else
    xc_search_until 60 --pid "$1"
  fi
}
# xc_title WINDOW
xc_title() { xdotool getwindowname "$1"; }
# xc_geometry WINDOW: X Y WIDTH HEIGHT of the window on the screen.
xc_geometry() {
  xdotool getwindowgeometry --shell "$1" | awk -F= '{v[$1] = $2} END {print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]}'
}
# xc_keys WINDOW GAP_MS KEYSYM...: presses and releases each key (chords such as Alt_L+1), GAP_MS
# apart, sent to the window.
xc_keys() {
  local window=$1 gap=$2 status
  shift 2
  xdotool key --window "$window" --delay "$gap" "$@"
  status=$?
  # A chord that closes the window (Ctrl+Q, Alt+F4) ends xdotool before it lets go of its keys;
  # the server, which never starts afresh during a test, would keep them down and repeat them
  # into the next game. Letting go of a key that is up does nothing.
  # shellcheck disable=SC2046  # one word a key
  xdotool keyup $(printf '%s\n' "$@" | tr '+' '\n') 2>/dev/null
  return "$status"
}
# xc_keys_each WINDOW SCRATCH.png KEYSYM...: one key at a time, each once the window has been still
# for 50 ms, and the next only once the window has changed: the game keeps one key, so keys
# sent faster than a busy machine lets it take them would replace one another. Every key but the
# last must change the picture. SCRATCH.png keeps the picture before each key.
xc_keys_each() {
  local window=$1 scratch=$2 key
  shift 2
  while (($# > 0)); do
    key=$1
    shift
    xc_settle "$window" "$scratch" 50 >/dev/null || return 1
    xc_keys "$window" 0 "$key" || return 1
    if (($# > 0)) && ! xc_changed "$window" "$scratch"; then
      echo "the window did not change after $key" >&2
      return 1
    fi
  done
}
# xc_solid WIDTH HEIGHT RRGGBB OUT.png: a picture in one colour.
xc_solid() { /usr/bin/convert -size "$1x$2" "xc:#$3" "PNG24:$4"; }
# xc_compare A.png B.png DIFF.png: prints "N differing pixels" and writes the differences into
# DIFF.png; status 0 when equal, 1 when not (a different size included), 2 when unreadable.
xc_compare() {
  local count status
  count=$(/usr/bin/compare -metric AE "$1" "$2" "$3" 2>&1)
  status=$?
  echo "$count differing pixels"
  return "$status"
}
# xc_settle WINDOW OUT.png QUIET_MS [TIMEOUT_MS]: saves the window's picture once it has not
# changed for QUIET_MS; TIMEOUT_MS (default a minute) only catches a window that never settles.
xc_settle() { "$XCLIENT" settle "$1" "$2" --quiet "$3" --timeout "${4:-60000}"; }
# xc_changed WINDOW FROM.png: waits (a minute at most) until the window no longer shows FROM.png.
xc_changed() { "$XCLIENT" changed "$1" "$2"; }
# xc_shows WINDOW EXPECTED.png [X,Y]: waits (a minute at most) until the window shows the picture
# at X,Y (default its top-left corner); status 1 when it never does.
xc_shows() { "$XCLIENT" shows "$1" "$2" --at "${3:-0,0}"; }
# xc_settle_showing WINDOW OUT.png QUIET_MS EXPECTED.png [X,Y]: xc_settle once the window shows
# the expected picture, or after a minute when it never does (the comparison after says how it
# differs). A busy machine may pause a program longer than QUIET_MS between two steps of its
# drawing, so quiet alone is no sign that the drawing is done.
xc_settle_showing() {
  xc_shows "$1" "$4" "${5:-0,0}" 2>/dev/null
  xc_settle "$1" "$2" "$3"
}
# xc_cover WINDOW MS: covers the window with another for MS milliseconds.
xc_cover() { "$XCLIENT" cover "$1" --ms "$2"; }
# xc_close WINDOW: asks the window to close, as a window manager's close button does.
xc_close() { "$XCLIENT" close "$1"; }
