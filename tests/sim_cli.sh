#!/usr/bin/env bash
# The simulator's command-line contract: the title and game-start screens, key tokens and
# comments, the error path, PNG output and byte-identical repeat runs.
# Usage: bash tests/sim_cli.sh BUILD_DIR   (from the repository root; exit 77 = skipped)
set -u

cd "$(dirname "$0")/.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
use_build "${1:?usage: sim_cli.sh BUILD_DIR}" || exit 1
if [[ ! -x $sim ]]; then echo "skipped: no $sim"; exit 77; fi

make_work
# Screenshots to look at stay in the build folder.
shots=$build/screenshots
mkdir -p "$shots"

# run NAME KEYS [ARGS...]: KEYS on stdin, stdout to $work/NAME.out, stderr to NAME.err, the
# exit status in $status.
run() {
  local name=$1 keys=$2
  shift 2
  printf '%b' "$keys" | "$sim" "$@" >"$work/$name.out" 2>"$work/$name.err"
  status=${PIPESTATUS[1]}
}

# expect_block NAME: the lines on stdin must appear, in order and contiguously, in NAME.out.
expect_block() {
  local name=$1 want
  want=$(cat)
  local got
  got=$'\n'$(cat "$work/$name.out")$'\n'
  if [[ $got != *$'\n'"$want"$'\n'* ]]; then
    fail "$name: missing block"
    printf '  expected:\n%s\n  got:\n' "$want"
    sed 's/^/  /' "$work/$name.out"
  fi
}

# --- The title screen: no keys at all --------------------------------------------------------
run title "\n" --png "$shots/title.png"
[[ $status == 0 ]] || fail "title: status $status"
[[ ! -s $work/title.err ]] || fail "title: stderr $(cat "$work/title.err")"
# The title screen as the simulator prints it.
expect_block title <tests/lib/title_screen.txt
expect_block title <<'TXT'
cursor: none
clock: 20
TXT
[[ $(wc -l <"$work/title.out") == 18 ]] || fail "title: $(wc -l <"$work/title.out") lines"

# --- The start of a game as Black -------------------------------------------------------------
run start "1\n" --png "$shots/game-start.png"
[[ $status == 0 ]] || fail "start: status $status"
expect_block start <<'TXT'
board:
........
........
........
...OX...
...XO...
........
........
........
cursor: 1 1
clock: 660
TXT
row0=$(sed -n 2p "$work/start.out")
[[ ${row0:10:11} == "YOU (BLACK)" ]] || fail "start: row 0 is '$row0'"
[[ $(sed -n 5,6p "$work/start.out" | cut -c12-13 | tr '\n' ,) == " 2, 2," ]] ||
  fail "start: counts $(sed -n 5,6p "$work/start.out")"

# --- Equivalent spellings, comments and layout of the key input --------------------------------
run spelled 'vk49   # the digit one\n\tRight\tDown # Up Foo (ignored)\n#Enter\n'
run plain "1 Right Down\n"
cmp -s "$work/spelled.out" "$work/plain.out" || fail "spelled keys differ from plain ones"
# Ctrl+Z is the code the key maps give for it.
run ctrlz "1 Right Right Right Down Down Enter Ctrl+Z\n"
run ctrlz_vk "1 Right Right Right Down Down Enter vk151\n"
[[ $status == 0 ]] && cmp -s "$work/ctrlz.out" "$work/ctrlz_vk.out" ||
  fail "Ctrl+Z differs from its code"
grep -qx "cursor: 2 2" "$work/plain.out" || fail "plain: $(grep cursor "$work/plain.out")"

# A move: from (1, 1) to (4, 3) and Enter, then the CPU answers.
run move "1 Right Right Right Down Down Enter\n" --png "$shots/first-move.png"
expect_block move <<'TXT'
board:
........
........
..OX....
...OX...
...XO...
........
........
........
TXT
grep -qx "clock: 2640" "$work/move.out" || fail "move: $(grep clock "$work/move.out")"

# A whole game (the replay kept beside the README screenshots) to the result, and one more key
# back to the title.
if [[ -f docs/result.keys ]]; then
  result_keys=$(cat docs/result.keys)
  run result "$result_keys\n"
  expect_block result <<'TXT'
|?????????YOU LOSE       |
|?????????               |
|??????????21            |
|??????????43            |
TXT
  grep -qx "cursor: none" "$work/result.out" || fail "result: $(grep cursor "$work/result.out")"
  run again_title "$result_keys\nSpace\n"
  grep -qx "|      1:YOU VS CPU      |" "$work/again_title.out" || fail "no title after the result"
fi

# --- Byte-identical repeat runs, PNG included -------------------------------------------------
keys="2 Left Left Down Enter Up Up Right Enter Left Enter"
run again1 "$keys\n" --png "$work/again1.png"
run again2 "$keys\n" --png "$work/again2.png"
[[ $status == 0 ]] || fail "again: status $status"
cmp -s "$work/again1.out" "$work/again2.out" || fail "repeat runs print differently"
cmp -s "$work/again1.png" "$work/again2.png" || fail "repeat runs write different PNGs"
# PNG signature, then IHDR with the display's width and height.
header=$(od -An -tx1 -N24 "$work/again1.png" | tr -d ' \n')
size=$(printf '%08x%08x' "$BRELVOXAN_CLIENT_WIDTH" "$BRELVOXAN_CLIENT_HEIGHT")
[[ $header == 89504e470d0a1a0a0000000d49484452$size ]] || fail "PNG header $header"

# --- Errors: one line on stderr naming the culprit, status 2, nothing on stdout ----------------
expect_error() {
  local name=$1 culprit=$2
  shift 2
  [[ $status == 2 ]] || fail "$name: status $status"
  [[ ! -s $work/$name.out ]] || fail "$name: printed $(head -c 200 "$work/$name.out")"
  [[ $(wc -l <"$work/$name.err") == 1 ]] || fail "$name: stderr $(cat "$work/$name.err")"
  grep -qF -- "$culprit" "$work/$name.err" || fail "$name: stderr does not name '$culprit'"
}
n=0
for token in Foo a 12 vk0 vk255 vk vkx vk1x enter UP 1: vk-1 vk0255 ctrl+z Ctrl+Y Ctrl+; do
  n=$((n + 1))
  # The bad token comes after good ones: input is checked before the game runs.
  run "bad$n" "1 Right\nDown $token Enter\n"
  expect_error "bad$n" "'$token'"
done
run badarg "1\n" --bogus
expect_error badarg "--bogus"
run nopng "1\n" --png
expect_error nopng "--png"
# A repeated option: the last one holds.
run twopng "1\n" --png "$work/a.png" --png "$work/b.png"
[[ $status == 0 && ! -e $work/a.png && -s $work/b.png ]] || fail "twopng: status $status, $(ls "$work")"

# Keys are read as the game asks for them: an endless stream costs constant memory, and a token
# longer than any key name is refused where it starts, at once.
/usr/bin/time -f %M -o "$work/zero.peak" timeout 60 "$sim" </dev/zero >"$work/zero.out" \
  2>"$work/zero.err"
status=$?
expect_error zero "line 1, column 1"
grep -qF "longer than 64 bytes" "$work/zero.err" || fail "zero: $(head -c 200 "$work/zero.err")"
# Measured against the same program reading one key, so that a sanitizer's own memory cancels.
/usr/bin/time -f %M -o "$work/one.peak" timeout 60 "$sim" <<<"1" >/dev/null 2>&1
zero_peak=$(tail -n 1 "$work/zero.peak")
one_peak=$(tail -n 1 "$work/one.peak")
((zero_peak < one_peak + 16 * 1024)) || fail "zero: peak $zero_peak kB, one key $one_peak kB"
run long "1 Right\n  $(printf 'x%.0s' {1..65}) Enter\n"
expect_error long "line 2, column 3"
run longest "1 Right\n  $(printf 'x%.0s' {1..64}) Enter\n"
expect_error longest "'$(printf 'x%.0s' {1..64})' at line 2, column 3"
# Bytes of an unknown token are shown escaped, never raw.
run escape 'Right \x1b[31mRed\x7f Enter'
expect_error escape "'\\x1B[31mRed\\x7F' at line 1, column 7"
grep -q $'\x1b' "$work/escape.err" && fail "escape: a raw escape byte on stderr"

# Good extremes of vkN.
run vkrange 'vk1 vk254 vk049 1'
[[ $status == 0 ]] || fail "vkrange: status $status $(cat "$work/vkrange.err")"

# A PNG that cannot be written is a failure, not a silent success; so is a full disk.
run badpng "\n" --png "$work/no/such/dir.png"
[[ $status != 0 ]] || fail "badpng: status 0"
run fullpng "\n" --png /dev/full
[[ $status == 1 ]] || fail "fullpng: status $status"
grep -qF "cannot write /dev/full" "$work/fullpng.err" || fail "fullpng: $(cat "$work/fullpng.err")"

# --- Levels: level 1 is the default, byte for byte; a searching level answers in the same time --
run level1 "$keys\n" --level 1 --png "$work/level1.png"
cmp -s "$work/again1.out" "$work/level1.out" || fail "level1: output differs from the default"
cmp -s "$work/again1.png" "$work/level1.png" || fail "level1: PNG differs from the default"
run level5a "2\n" --level 5 --seed 7
run level5b "2\n" --level 5 --seed 7
[[ $status == 0 ]] || fail "level5: status $status $(cat "$work/level5b.err")"
cmp -s "$work/level5a.out" "$work/level5b.out" || fail "level5: the same seed played differently"
grep -q '^clock: 2000$' "$work/level5a.out" || fail "level5: clock $(grep clock "$work/level5a.out")"
# The options are read as the game reads them: --level=N is --level N, and the last of a
# repeated option holds.
run level3 "2\n" --level 3 --seed 7
run level3eq "2\n" --level=3 --seed=7
run level3again "2\n" --level 2 --seed 7 --level 3
cmp -s "$work/level3.out" "$work/level3eq.out" || fail "--level=3 differs from --level 3"
cmp -s "$work/level3.out" "$work/level3again.out" || fail "--level 2 --level 3 differs from --level 3"
for args in "--level 0" "--level $((BRELVOXAN_MAX_LEVEL + 1))" "--level" "--seed -1" "--seed x" "--seed 18446744073709551616" \
  "--match 1" "--match 1 6" "--match 2 1 --games 3" \
  "--match 2 1 --games 202" "--games 4" "--solve --match 2 1" "--solve --level 2"; do
  n=$((n + 1))
  # shellcheck disable=SC2086
  run "badopt$n" "" $args
  expect_error "badopt$n" "${args%% *}"
done

# --- --solve: one line per position, errors named by line, the rest still solved ---------------
printf '%s\n' '% comment' \
  'XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXO- X ; black takes h8' \
  'not a position' \
  '-OOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOX X' >"$work/positions"
"$sim" --solve <"$work/positions" >"$work/solve.out" 2>"$work/solve.err"
status=$?
[[ $status == 1 ]] || fail "solve: status $status, want 1 for the bad line"
[[ $(cat "$work/solve.out") == $'h8 +64\na1 -48' ]] || fail "solve: $(cat "$work/solve.out")"
grep -q '^brelvoxan-sim: line 3: ' "$work/solve.err" || fail "solve: no error for line 3"
grep -q '^line 2: [0-9]* nodes, [0-9.]* s$' "$work/solve.err" || fail "solve: no nodes and time"
# A byte-order mark is skipped; an answer lost to a full disk fails; a line without end is
# refused once it is longer than any position could be, not read on for ever.
printf '\xEF\xBB\xBF%s\n' "$(sed -n 2p "$work/positions")" | "$sim" --solve >"$work/bom.out" 2>&1
status=$?
[[ $status == 0 && $(head -n 1 "$work/bom.out") == "h8 +64" ]] ||
  fail "solve bom: status $status, $(head -c 200 "$work/bom.out")"
"$sim" --solve <"$work/positions" >/dev/full 2>"$work/solvefull.err"
status=$?
[[ $status == 1 ]] || fail "solve full: status $status"
grep -q 'cannot write the answer' "$work/solvefull.err" || fail "solve full: $(cat "$work/solvefull.err")"
timeout 60 "$sim" --solve </dev/zero >"$work/solvezero.out" 2>"$work/solvezero.err"
status=$?
[[ $status == 1 ]] || fail "solve zero: status $status"
grep -q '^brelvoxan-sim: line 1: longer than' "$work/solvezero.err" ||
  fail "solve zero: $(head -c 200 "$work/solvezero.err")"

# --- --match: the result line --------------------------------------------------------------------
"$sim" --match 2 1 --games 4 --seed 3 >"$work/match.out" 2>"$work/match.err"
status=$?
[[ $status == 0 ]] || fail "match: status $status $(cat "$work/match.err")"
grep -Eq '^2 vs 1: wins [0-4], draws [0-4], losses [0-4], score [0-9.]+%$' "$work/match.out" ||
  fail "match: $(cat "$work/match.out")"

# --- Settings kept only in a folder given; M marks the moves ----------------------------------
kept=$work/kept
# A game played out with hints at level 2 counts on the title, and the marks stay switched on.
run keep-game "2 M $(printf 'H Enter %.0s' {1..40})" --settings "$kept" --level 2
[[ $status == 0 && ! -s $work/keep-game.err ]] || fail "keep-game: status $status"
grep -q '^results 2 ' "$kept/settings.txt" || fail "keep-game: no results kept"
grep -q '^show-moves on$' "$kept/settings.txt" || fail "keep-game: marks not kept"
run keep-title "\n" --settings "$kept" --level 2 --png "$shots/title-results.png"
grep -Eq '^\|      W [0-9]+ L [0-9]+ D [0-9]+ *\|$' "$work/keep-title.out" ||
  fail "keep-title: no results row: $(sed -n 3p "$work/keep-title.out")"
run keep-marks "1\n" --settings "$kept" --png "$shots/marks.png"
expect_block keep-marks <<'TXT'
board:
........
........
...+....
..+OX...
...XO+..
....+...
........
........
TXT
run keep-reset "\n" --settings "$kept" --reset-results
expect_block keep-reset <tests/lib/title_screen.txt
run reset-alone "\n" --reset-results
[[ $status == 2 && $(wc -l <"$work/reset-alone.err") == 1 ]] || fail "reset-alone: status $status"
# Without a folder nothing is written anywhere.
[[ -z $(ls -A "$XDG_CONFIG_HOME") ]] || fail "the simulator wrote into $XDG_CONFIG_HOME"

finish "" "sim_cli: all passed"
