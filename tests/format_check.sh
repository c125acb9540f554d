#!/usr/bin/env bash
# Every tracked C++ file is formatted as the project's .clang-format says (clang-format-14, the
# version tools/setup.sh installs). Run from the repository root; 77 means skipped.
set -u
if ! command -v clang-format-14 >/dev/null; then
  echo "skipped: clang-format-14 is not installed (tools/setup.sh installs it)"
  exit 77
fi
if ! files=$(git ls-files -- '*.cpp' '*.h' 2>/dev/null) || [[ -z $files ]]; then
  echo "skipped: not a git checkout"
  exit 77
fi
# shellcheck disable=SC2086  # file names have no spaces
clang-format-14 --dry-run --Werror $files
