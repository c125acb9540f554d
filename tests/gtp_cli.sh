#!/usr/bin/env bash
# brelvoxan-engine as a program: its options, the end of the input, hostile input, lost answers;
# and tools/gtp_referee.py playing it against itself.
# Usage: bash tests/gtp_cli.sh BUILD_DIR   (from the repository root; exit 77 = skipped)
set -u

cd "$(dirname "$0")/.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
use_build "${1:?usage: gtp_cli.sh BUILD_DIR}" || exit 1
engine=$build/brelvoxan-engine
if [[ ! -x $engine ]]; then echo "skipped: no $engine"; exit 77; fi
make_work

# run NAME INPUT [ARGS...]: INPUT (printf %b) on stdin; NAME.out, NAME.err and $status.
run() {
  local name=$1 input=$2
  shift 2
  printf '%b' "$input" | timeout 60 "$engine" "$@" >"$work/$name.out" 2>"$work/$name.err"
  status=${PIPESTATUS[1]}
}

# A short session: answers in order, nothing after quit, nothing on stderr.
run session 'name\n\n# a comment\n2 protocol_version\nbogus\nquit\nname\n' --level 2 --seed 4
[[ $status == 0 ]] || fail "session: status $status"
[[ $(cat "$work/session.out") == $'= Brelvoxan\n\n=2 2\n\n? unknown command\n\n=' ]] ||
  fail "session: $(cat "$work/session.out")"
[[ ! -s $work/session.err ]] || fail "session: stderr $(cat "$work/session.err")"

# The end of the input ends the program as quit does, with or without a last newline.
run eof 'play black d3\ngenmove white'
[[ $status == 0 ]] || fail "eof: status $status"
[[ $(tail -n 2 "$work/eof.out" | head -n 1) =~ ^=\ [A-H][1-8]$ ]] || fail "eof: $(cat "$work/eof.out")"

# The same seed, the same moves.
moves='genmove b\ngenmove w\ngenmove b\ngenmove w\ngenmove b\ngenmove w\n'
run seeded1 "$moves" --level 3 --seed 9
run seeded2 "$moves" --level 3 --seed 9
cmp -s "$work/seeded1.out" "$work/seeded2.out" || fail "seeded: two runs differ"
# An option given again replaces what it gave, in either spelling: level 1 plays, not level 3.
run repeated "$moves" --level 3 --seed 9 --level=1
run level1 "$moves" --level 1
[[ $status == 0 ]] && cmp -s "$work/repeated.out" "$work/level1.out" ||
  fail "repeated: not level 1: $(cat "$work/repeated.out" "$work/repeated.err")"
! cmp -s "$work/level1.out" "$work/seeded1.out" || fail "repeated: levels 1 and 3 play alike"

# A line longer than any command is refused and the next one answered; a line without end stops
# the program soon, with a message, instead of being read for ever.
long=$(printf 'x%.0s' {1..5000})
run long "$long\nname\n"
[[ $status == 0 ]] || fail "long: status $status"
[[ $(cat "$work/long.out") == $'? line longer than 1000 characters\n\n= Brelvoxan' ]] ||
  fail "long: $(head -c 300 "$work/long.out")"
timeout 60 "$engine" </dev/zero >"$work/zero.out" 2>"$work/zero.err"
status=$?
[[ $status == 1 ]] || fail "zero: status $status"
grep -q 'reading stops' "$work/zero.err" || fail "zero: $(head -c 200 "$work/zero.err")"
# An answer that cannot be written ends the program with status 1.
echo name | "$engine" >/dev/full 2>"$work/full.err"
status=$?
[[ $status == 1 ]] || fail "full: status $status"

# Options.
run version "" --version
[[ $status == 0 && $(cat "$work/version.out") =~ ^brelvoxan-engine\ [0-9]+\.[0-9]+\.[0-9]+$ ]] ||
  fail "version: $status $(cat "$work/version.out")"
run help "" --help
[[ $status == 0 ]] && grep -q -- '--level N' "$work/help.out" || fail "help: $(cat "$work/help.out")"
for args in "--level 0" "--level $((BRELVOXAN_MAX_LEVEL + 1))" "--level" "--seed x" "--seed -1" "--bogus"; do
  # shellcheck disable=SC2086
  run bad "name\n" $args
  [[ $status == 2 && ! -s $work/bad.out ]] || fail "'$args': status $status $(cat "$work/bad.out")"
  grep -qF -- "${args%% *}" "$work/bad.err" || fail "'$args': stderr $(cat "$work/bad.err")"
done

# The referee: level 2 against level 1, both colours of one opening, every exchange kept.
python3 tools/gtp_referee.py --games 2 --first "$engine --level 2 --seed 1" \
  --second "$engine --level 1" --transcript "$work/transcript" >"$work/referee.out" \
  2>"$work/referee.err"
status=$?
[[ $status == 0 ]] || fail "referee: status $status $(cat "$work/referee.err")"
grep -Eq '^\| Brelvoxan [0-9.]+ \| Brelvoxan [0-9.]+ \| 2 \| [0-2] \| [0-2] \| [0-2] \| [0-9.]+% \|' \
  "$work/referee.out" || fail "referee: $(cat "$work/referee.out")"
grep -q '^game   2: d3c3b3d2c2d6 first engine white: [0-9]*-[0-9]*$' "$work/referee.err" ||
  fail "referee: $(cat "$work/referee.err")"
grep -q '^second< play black d3$' "$work/transcript" || fail "referee: no transcript"
# An engine that answers with a square it may not play loses the game.
cat >"$work/cheat.sh" <<EOF
#!/usr/bin/env bash
while read -r line; do
  case \$line in genmove*) printf '= a1\n\n' ;; *) printf '=\n\n' ;; esac
done
EOF
python3 tools/gtp_referee.py --games 2 --first "$engine --level 1" --second "bash $work/cheat.sh" \
  >"$work/cheat.out" 2>"$work/cheat.err"
grep -q '| 2 | 2 | 0 | 0 | 100.0% |' "$work/cheat.out" || fail "cheat: $(cat "$work/cheat.out")"
grep -q "forfeit by the second engine: played 'a1'" "$work/cheat.err" ||
  fail "cheat: $(cat "$work/cheat.err")"

# An engine too slow for its move loses the game and is started again, so that a late answer is
# never taken for the next one. This one never answers a move until it is killed, so its own
# short limit races nothing; the real engine has the default limit, which only catches a hang.
cat >"$work/slow.sh" <<EOF
#!/usr/bin/env bash
echo started >>$work/slow.starts
while read -r line; do
  case \$line in genmove*) exec sleep infinity ;; *) printf '=\n\n' ;; esac
done
EOF
python3 tools/gtp_referee.py --games 2 --first "$engine --level 2 --seed 1" \
  --second "bash $work/slow.sh" --second-move-timeout 1 >"$work/slow.out" 2>"$work/slow.err"
for game in 1 2; do
  grep -q "^game   $game: .*forfeit by the second engine: second gave no answer within 1 s" \
    "$work/slow.err" || fail "slow: game $game: $(cat "$work/slow.err")"
done
# Each forfeit started a fresh process, whose answers were its own.
[[ $(wc -l <"$work/slow.starts") == 3 ]] || fail "slow: $(wc -l <"$work/slow.starts") starts, not 3"
grep -q '| 2 | 2 | 0 | 0 | 100.0% |' "$work/slow.out" || fail "slow: $(cat "$work/slow.out")"

finish "" "gtp_cli: all passed"
