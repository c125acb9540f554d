#!/usr/bin/env bash
# Sets up, builds and starts the game (needs a display). Installs and builds only what playing
# needs: no tests, no benchmarks, in build-play/ (build/ is the tests' folder, with other
# settings). Options go to the game: bash tools/play.sh --scale 2
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh --play
cmake -S . -B build-play -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
  -DBRELVOXAN_BUILD_BENCH=OFF >/dev/null
cmake --build build-play -j "$(nproc)" --target brelvoxan
exec ./build-play/brelvoxan "$@"
