#!/usr/bin/env bash
# The Win32 backend's own check (bitmaps, picture readers, mirror drawing) under Wine, and the
# program's messages printed to the console of the command prompt that started it: --help on
# standard output, a refusal as one line on standard error with exit code 2.
# Usage: bash tests/wine/wine_check.sh LINUX_BUILD_DIR [WIN32_BUILD_DIR]   (exit 77 = skipped)
set -u
cd "$(dirname "$0")/../.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
# shellcheck source=tests/wine/wine_env.sh
source tests/wine/wine_env.sh
use_build "${1:?usage: wine_check.sh LINUX_BUILD_DIR}" || exit 1
wine_setup "$build" "${2:-}" || exit $?
wine "$win32_build/brelvoxan_win32_check.exe" 2>"$wine_dir/check_stderr.txt" | tr -d '\r'
status=${PIPESTATUS[0]}
[[ -s $wine_dir/check_stderr.txt ]] && head -c 400 "$wine_dir/check_stderr.txt"

# A windowed program gets no console of its own; it writes into the one it was started from
# (a message box instead would wait for a click: the timeout ends it).
cd "$win32_build" || exit 1
timeout 120 wine cmd /c "brelvoxan.exe --help" </dev/null >"$wine_dir/help.txt" 2>/dev/null
code=$?
help=$(tr -d '\r' <"$wine_dir/help.txt")
if [[ $code != 0 || $help != "Usage: brelvoxan"*"Ctrl+Q "*" quit"* || $help == *"/usr"* ]]; then
  echo "FAIL: --help from a command prompt: exit code $code, printed: $(head -c 300 <<<"$help")"
  status=1
fi
timeout 120 wine cmd /c "brelvoxan.exe --fullscreen" </dev/null >/dev/null 2>"$wine_dir/refusal.txt"
code=$?
refusal=$(tr -d '\r' <"$wine_dir/refusal.txt")
if [[ $code != 2 || $refusal != "brelvoxan: unknown option '--fullscreen' (try 'brelvoxan --help')" ]]; then
  echo "FAIL: a refused option from a command prompt: exit code $code, printed: $refusal"
  status=1
fi
((status == 0)) && echo "--help and a refusal print to the command prompt that started the game"
exit "$status"
