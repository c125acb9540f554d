#!/bin/bash
# The layer check itself: it passes on the tree as it is and fails, naming the file, on an
# include planted upward in each layer. Runs on a copy of the core's folders.
# Usage: bash tests/layers_plant.sh   (from the repository root)
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r reversi engine cli host screen game gtp "$work/"
status=0
if ! bash tests/layers_check.sh "$work" >/dev/null 2>&1; then
  echo "layers_plant: the unchanged tree fails the check" >&2
  status=1
fi
# plant FILE HEADER: FILE including HEADER must fail the check, and the report must name FILE.
plant() {
  local file=$1 header=$2
  cp "$work/$file" "$work/$file.kept"
  printf '#include "%s"\n' "$header" >>"$work/$file"
  if bash tests/layers_check.sh "$work" 2>"$work/report" >/dev/null; then
    echo "layers_plant: $file including $header passed the check" >&2
    status=1
  elif ! grep -q "^layers_check: $file:" "$work/report"; then
    echo "layers_plant: $file including $header: the report does not name it" >&2
    status=1
  fi
  mv "$work/$file.kept" "$work/$file"
}
plant reversi/board.h engine/bitboard.h
plant engine/search.h game/game.h
plant engine/opponent.cpp game/think_job.h
plant engine/opponent.h gtp/gtp_session.h
plant cli/command_line.cpp engine/search.h
plant cli/command_line.h game/options.h
plant engine/generated/pattern_values.cpp screen/image.h
plant host/window_host.h screen/image.h
plant host/sdl/sdl_host.cpp game/game.h
plant screen/image.h game/game.h
plant game/game.h host/headless/headless.h
plant gtp/gtp_session.cpp game/think_job.h
[ $status -eq 0 ] && echo "layers_plant: ok"
exit $status
