#!/usr/bin/env bash
# brelvoxan-engine and brelvoxan-sim where their input cannot be read, their output cannot be
# written or its reader goes away: each says why in one line, or stops quietly for a reader that
# left, and ends with the status its manual gives. Then the engine through a GTP client that pairs
# every answer with its command (tests/gtp_pairing.py).
# Usage: bash tests/program_io.sh BUILD_DIR   (from the repository root; exit 77 = skipped)
set -u

cd "$(dirname "$0")/.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
use_build "${1:?usage: program_io.sh BUILD_DIR}" || exit 1
engine=$build/brelvoxan-engine
if [[ ! -x $engine || ! -x $sim ]]; then echo "skipped: no $engine or $sim"; exit 77; fi
make_work

# expect NAME STATUS WANT: the run's status is STATUS, and its standard error ($work/NAME.err) is
# exactly the line WANT, or empty when WANT is "".
expect() {
  local name=$1 want_status=$2 want=$3 got
  got=$(cat "$work/$name.err")
  [[ $status == "$want_status" ]] || fail "$name: status $status, not $want_status"
  [[ $got == "$want" ]] || fail "$name: stderr '$got', not '$want'"
}

# Input that cannot be read (a folder) is no end of input.
timeout 60 "$engine" </ >"$work/engine_folder.out" 2>"$work/engine_folder.err"
status=$?
expect engine_folder 1 "brelvoxan-engine: cannot read the commands: Is a directory"
timeout 60 "$sim" --solve </ >/dev/null 2>"$work/solve_folder.err"
status=$?
expect solve_folder 1 "brelvoxan-sim: line 1: cannot read the input: Is a directory"
timeout 60 "$sim" </ >"$work/keys_folder.out" 2>"$work/keys_folder.err"
status=$?
expect keys_folder 1 "brelvoxan-sim: cannot read the keys: Is a directory"
[[ ! -s $work/keys_folder.out ]] || fail "keys_folder: printed a screen"

# Output that cannot be written (a full disk).
echo name | timeout 60 "$engine" >/dev/full 2>"$work/engine_full.err"
status=$?
expect engine_full 1 "brelvoxan-engine: cannot write the answer: No space left on device"
echo 1 | timeout 60 "$sim" >/dev/full 2>"$work/keys_full.err"
status=$?
expect keys_full 1 "brelvoxan-sim: cannot write the output: No space left on device"
timeout 60 "$sim" --match 2 1 --games 2 >/dev/full 2>"$work/match_full.err"
status=$?
if [[ $status != 1 ]] ||
  ! grep -qx "brelvoxan-sim: cannot write the output: No space left on device" "$work/match_full.err"; then
  fail "match_full: status $status, $(cat "$work/match_full.err")"
fi

# A reader that goes away: the run stops quietly with status 1, by no signal. Far more output than
# a pipe holds, so that a write meets the closed pipe.
for _ in $(seq 20000); do echo name; done >"$work/names"
timeout 60 "$engine" <"$work/names" 2>"$work/engine_pipe.err" | head -c 1 >/dev/null
status=${PIPESTATUS[0]}
expect engine_pipe 1 ""
# One position solved, then start positions, each answered 'unknown (60 empty squares; ...)'.
{
  echo "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXO- X"
  for _ in $(seq 20000); do
    echo "---------------------------OX------XO--------------------------- X"
  done
} >"$work/positions"
timeout 60 "$sim" --solve <"$work/positions" 2>"$work/solve_pipe.err" | head -n 1 >/dev/null
status=${PIPESTATUS[0]}
[[ $status == 1 ]] || fail "solve_pipe: status $status, not 1"
# Only the positions counts of the lines answered, and not all of them: nothing about the lost
# answer, and no reading on.
! grep -v '^line [0-9]*: [0-9]* nodes, ' "$work/solve_pipe.err" ||
  fail "solve_pipe: stderr $(grep -v '^line [0-9]*: [0-9]* nodes, ' "$work/solve_pipe.err")"
(($(wc -l <"$work/solve_pipe.err") < 20001)) || fail "solve_pipe: every line answered"

# The simulator's own --help and --version.
"$sim" --help >"$work/help.out" 2>&1
status=$?
[[ $status == 0 ]] && grep -q '^Exit status: ' "$work/help.out" || fail "help: $status $(head -c 200 "$work/help.out")"
"$sim" --version >"$work/version.out" 2>&1
status=$?
[[ $status == 0 && $(cat "$work/version.out") =~ ^brelvoxan-sim\ [0-9]+\.[0-9]+\.[0-9]+$ ]] ||
  fail "version: $status $(cat "$work/version.out")"

# Without glyphs the simulator stops before reading a key, in one line under its own name: here
# its keys come from a pipe that never ends.
mkdir -p "$work/empty/bin"
cp "$sim" "$work/empty/bin/"
mkfifo "$work/keys"
exec 3<>"$work/keys"
(cd "$work/empty" && timeout 60 bin/brelvoxan-sim <&3 >"$work/noglyphs.out" 2>"$work/noglyphs.err")
status=$?
exec 3>&-
[[ $status == 1 && ! -s $work/noglyphs.out && $(wc -l <"$work/noglyphs.err") == 1 ]] &&
  grep -q '^brelvoxan-sim: no glyph file could be read in res/bmp, ' "$work/noglyphs.err" ||
  fail "noglyphs: status $status $(cat "$work/noglyphs.err")"

# A byte-order mark before the keys is skipped, as --solve skips it.
printf '\xEF\xBB\xBF1 Right\n' | "$sim" >"$work/bom.out" 2>"$work/bom.err"
status=$?
printf '1 Right\n' | "$sim" >"$work/plain.out" 2>&1
[[ $status == 0 ]] && cmp -s "$work/bom.out" "$work/plain.out" ||
  fail "bom: status $status $(cat "$work/bom.err")"

python3 tests/gtp_pairing.py "$engine" || fail "gtp_pairing"

finish "" "program_io: all passed"
