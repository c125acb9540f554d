#!/usr/bin/env bash
# Installs what building and playing need, builds the game alone in build-play/ and starts it
# (needs a display). Options go to the game: bash tools/play.sh --scale 2
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh --play
cmake -S . -B build-play -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
  -DBRELVOXAN_BUILD_BENCH=OFF >/dev/null
cmake --build build-play -j "$(nproc)" --target brelvoxan
exec ./build-play/brelvoxan "$@"
