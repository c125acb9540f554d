#!/bin/bash
# The core's layers include only their own headers and those of the layers below them:
# reversi/ (rules) nothing of ours; host/ (the seam) only host/; screen/ host/ and screen/;
# game/ all of these but no backend. Run from the repository root.
set -u
status=0
check() {  # check FOLDER ALLOWED-PREFIX-REGEX
  local folder=$1 allowed=$2 line
  while IFS= read -r line; do
    echo "layers_check: $line: $folder/ may include only ${allowed//|/, }" >&2
    status=1
  done < <(grep -HnE '^#include "' "$folder"/*.h "$folder"/*.cpp 2>/dev/null |
    grep -vE "#include \"($allowed)")
}
check reversi 'reversi/'
check host 'host/'
check screen 'screen/|host/[a-z_]+\.h|build_info\.h'
check game 'game/|screen/|reversi/|host/[a-z_]+\.h|build_info\.h'
[ $status -eq 0 ] && echo "layers_check: ok"
exit $status
