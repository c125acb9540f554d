#!/bin/bash
# The core's layers include only their own headers and those of the layers below them, each
# folder with its subfolders: reversi/ (rules) nothing of ours; engine/ (the searches and the
# opponent every program chooses its moves through) the rules; cli/ (the programs' command line
# reader) only the levels' header; host/ (the seam and the backends) only host/ and the build's
# generated headers; screen/ the seam's headers and screen/; game/ all of these but no backend;
# gtp/ (the engine program) the engine, the rules, cli/ and the version. Run from the repository
# root, or give another root as the first argument.
set -u
cd "${1:-.}" || exit 2
status=0
check() {  # check FOLDER ALLOWED-PREFIX-REGEX
  local folder=$1 allowed=$2 line
  while IFS= read -r line; do
    echo "layers_check: $line: $folder/ may include only ${allowed//|/, }" >&2
    status=1
  done < <(grep -rHnE --include='*.h' --include='*.cpp' '^#include "' "$folder" 2>/dev/null |
    grep -vE "#include \"($allowed)")
}
check reversi 'reversi/'
check engine 'engine/|reversi/'
check cli 'cli/|engine/levels\.h'
check host 'host/|brelvoxan_[a-z]+\.h'
check screen 'screen/|host/[a-z_]+\.h|build_info\.h'
check game 'game/|cli/|screen/|engine/|reversi/|host/[a-z_]+\.h|build_info\.h'
check gtp 'gtp/|cli/|engine/|reversi/|build_info\.h'
[ $status -eq 0 ] && echo "layers_check: ok"
exit $status
