# One shell function per command on an X window, for the X tests and benchmarks; source it after
# setting XCLIENT to the brelvoxan-xclient binary. xdotool finds windows and sends keys,
# ImageMagick makes and compares pictures; brelvoxan-xclient does what needs precise timing.
# shellcheck shell=bash

# xc_search_until SECONDS XDOTOOL_SEARCH_ARGS...: the first window found, asking again until one
# is or SECONDS have passed: a search that cannot reach the server, or meets an error there,
# comes back empty at once rather than waiting.
xc_search_until() {
  local found="" deadline=$((SECONDS + $1))
  shift
  until [[ -n $found ]] || ((SECONDS > deadline)); do
    found=$(timeout 2 xdotool search --sync "$@" 2>/dev/null | head -n 1)
    [[ -n $found ]] || sleep 0.05
  done
  echo "$found"
}
# xc_find_title TITLE: the id of the first window with exactly this title, waiting up to 10 s.
xc_find_title() { xc_search_until 10 --name "^$1\$"; }
# xc_find_pid PID: the id of the first window of the process, waiting up to 10 s.
xc_find_pid() { xc_search_until 10 --pid "$1"; }
# xc_title WINDOW
xc_title() { xdotool getwindowname "$1"; }
# xc_geometry WINDOW: X Y WIDTH HEIGHT of the window on the screen.
xc_geometry() {
  xdotool getwindowgeometry --shell "$1" | awk -F= '{v[$1] = $2} END {print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]}'
}
# xc_keys WINDOW GAP_MS KEYSYM...: presses and releases each key (chords such as Alt_L+1), GAP_MS
# apart, sent to the window.
xc_keys() {
  local window=$1 gap=$2
  shift 2
  xdotool key --window "$window" --delay "$gap" "$@"
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
# changed for QUIET_MS.
xc_settle() { "$XCLIENT" settle "$1" "$2" --quiet "$3" --timeout "${4:-20000}"; }
# xc_cover WINDOW MS: covers the window with another for MS milliseconds.
xc_cover() { "$XCLIENT" cover "$1" --ms "$2"; }
# xc_close WINDOW: asks the window to close, as a window manager's close button does.
xc_close() { "$XCLIENT" close "$1"; }
