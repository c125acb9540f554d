#!/usr/bin/env bash
# The Win32 backend's own check (bitmaps, picture readers, mirror drawing) under Wine.
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
exit "$status"
