#!/usr/bin/env bash
# The README says what the programs do: its list of brelvoxan-engine's commands is the one the
# engine gives for list_commands (commands), and each row of its match table is the line
# brelvoxan-sim --match prints for that match (matches: whole matches, label slow).
# Usage: bash tests/readme_check.sh BUILD_DIR commands|matches   (from the repository root)
set -u

cd "$(dirname "$0")/.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
use_build "${1:?usage: readme_check.sh BUILD_DIR commands|matches}" || exit 1
readme=README.md

# The paragraph that begins with "It answers these commands": the first word of each `quoted`
# command, sorted.
# shellcheck disable=SC2016  # the backquotes are the README's, not the shell's
readme_commands() {
  awk '/^It answers these commands/ { on = 1 } on && /^$/ { exit } on' "$readme" |
    grep -o '`[^`]*`' | tr -d '`' | cut -d' ' -f1 | sort
}

# The rows "| level A vs level B | W | D | L | S% |" as "A B W D L S".
readme_matches() {
  local n='([0-9]+)' row
  row="^\\| level $n vs level $n \\| $n \\| $n \\| $n \\| ([0-9.]+)% \\|\$"
  sed -nE "s/$row/\\1 \\2 \\3 \\4 \\5 \\6/p" "$readme"
}

case ${2:-} in
  commands)
    engine=$build/brelvoxan-engine
    need_built "$engine" || exit 1
    # The answer to list_commands: "= " and the first command, one a line, to the blank line.
    listed=$(printf 'list_commands\nquit\n' | timeout 60 "$engine" |
      awk '/^$/ { exit } { sub(/^= /, ""); print }' | sort)
    written=$(readme_commands)
    [[ -n $written ]] || fail "$readme has no paragraph \"It answers these commands\""
    [[ $written == "$listed" ]] ||
      fail "$readme's commands and list_commands differ:" \
        "$(diff <(echo "$written") <(echo "$listed") | grep '^[<>]' | tr '\n' ' ')"
    ;;
  matches)
    need_built "$sim" || exit 1
    rows=0
    while read -r a b wins draws losses score; do
      rows=$((rows + 1))
      expected="$a vs $b: wins $wins, draws $draws, losses $losses, score $score%"
      got=$("$sim" --match "$a" "$b" --games 100 --seed 1 2>/dev/null)
      [[ $got == "$expected" ]] || fail "$readme says \"$expected\", the simulator \"$got\""
    done < <(readme_matches)
    ((rows > 0)) || fail "$readme has no match table"
    ;;
  *)
    echo "usage: readme_check.sh BUILD_DIR commands|matches" >&2
    exit 2
    ;;
esac
finish "$readme against the programs" "$readme agrees with the programs ($2)"
