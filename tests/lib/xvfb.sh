# Sourced by the X tests: start_xvfb OUT_DIR WIDTHxHEIGHT starts a private Xvfb on a free display
# number, exports DISPLAY and sets xvfb_pid; returns 1 (with the reason on stdout) when it
# cannot. stop_xvfb ends it.
xvfb_pid=""
start_xvfb() {
  local out=$1 size=$2 number=""
  rm -f "$out/displayfd"
  mkfifo "$out/displayfd" || return 1
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$out/displayfd" >"$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  read -r -t 10 number <"$out/displayfd"
  rm -f "$out/displayfd"
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
