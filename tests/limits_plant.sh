#!/bin/bash
# The limits check itself: it passes on the tree as it is, fails naming the file on a short limit
# planted in each kind of place it reads, and fails on a reviewed exception that no longer
# matches. Runs on a copy of what it reads.
# Usage: bash tests/limits_plant.sh   (from the repository root)
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tools/xclient" "$work/fuzz" "$work/cmake"
cp -r tests "$work/"
cp tools/xclient/xclient.sh "$work/tools/xclient/"
cp tools/test.sh "$work/tools/"
cp fuzz/run.sh "$work/fuzz/"
cp cmake/Packaging.cmake "$work/cmake/"
status=0
if ! python3 tests/limits_check.py "$work" >/dev/null 2>&1; then
  echo "limits_plant: the unchanged tree fails the check" >&2
  status=1
fi
# plant FILE LINE: FILE with LINE added must fail the check, and the report must name FILE.
plant() {
  local file=$1 line=$2
  cp "$work/$file" "$work/$file.kept"
  printf '%s\n' "$line" >>"$work/$file"
  if python3 tests/limits_check.py "$work" 2>"$work/report" >/dev/null; then
    echo "limits_plant: $file with '$line' passed the check" >&2
    status=1
  elif ! grep -q "^limits_check: $file:" "$work/report"; then
    echo "limits_plant: $file with '$line': the report does not name it" >&2
    status=1
  fi
  mv "$work/$file.kept" "$work/$file"
}
plant tests/xvfb_e2e.sh 'timeout 10 "$game"'
plant tests/sdl_close.sh 'sleep 2; xc_close "$window"'
plant tests/gtp_cli.sh 'python3 tools/gtp_referee.py --first-move-timeout 5 --first x --second y'
plant tests/lib/common.sh 'exit_hang_limit_ms=10000'
plant tests/wine/wine_game.sh '"$XCLIENT" settle "$window" a.png --quiet 300 --timeout 5000'
plant tests/start_up_xvfb.sh 'xc_settle "$window" a.png 700 20000'
plant tests/CMakeLists.txt 'set_tests_properties(x PROPERTIES TIMEOUT 20)'
plant tests/web/page_driver.py 'HANG_LIMIT_S = 10'
plant tests/web/browser_test.py '    run = subprocess.run(args, timeout=5)'
plant fuzz/run.sh 'read -r -t 5 line'
# A reviewed exception whose line was mended must leave the list.
sed -i 's/-timeout=2 /-timeout=30 /' "$work/fuzz/run.sh"
if python3 tests/limits_check.py "$work" 2>"$work/report" >/dev/null ||
  ! grep -q "exception for fuzz/run.sh" "$work/report"; then
  echo "limits_plant: a stale exception passed the check" >&2
  status=1
fi
[ $status -eq 0 ] && echo "limits_plant: ok"
exit $status
