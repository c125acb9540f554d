# shellcheck shell=bash
# Sourced by the benchmarks, after tests/lib/common.sh:
#
#   median              the median of the numbers on standard input; nothing when there are none
#   field KEY FILE      the value after KEY on the line "KEY VALUE" of FILE
#   cpu_percent PID SECONDS
#                       waits SECONDS and prints the share of one core the process used meanwhile
#   verdict VALUE GOAL  "ok" when VALUE <= GOAL, else "MISSED"; "NO FIGURE" when VALUE is empty
#   require_figures NAME=VALUE...
#                       returns 1, naming each, when a figure is empty or not a number: a goal is
#                       never called met without a measurement

median() {
  sort -g | awk '{v[NR] = $1}
    END {if (NR) print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
field() { awk -v k="$1" '$1 == k {print $2}' "$2"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
cpu_percent() {
  local before after
  before=$(cpu_ticks "$1")
  sleep "$2"
  after=$(cpu_ticks "$1")
  awk -v d=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$2" \
    'BEGIN {printf "%.2f", 100 * d / hz / s}'
}
is_figure() { [[ $1 =~ ^-?[0-9]+([.][0-9]+)?$ ]]; }
verdict() {
  if ! is_figure "$1"; then
    echo "NO FIGURE"
  else
    awk -v a="$1" -v b="$2" 'BEGIN {print (a <= b) ? "ok" : "MISSED"}'
  fi
}
require_figures() {
  local pair missing=0
  for pair in "$@"; do
    if ! is_figure "${pair#*=}"; then
      echo "error: no figure for ${pair%%=*} (got '${pair#*=}')" >&2
      missing=1
    fi
  done
  return $missing
}
