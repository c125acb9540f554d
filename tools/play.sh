#!/usr/bin/env bash
# Sets up, builds and starts the game (needs a display). Installs and builds only what playing
# needs: no tests, no benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh --play
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
  -DBRELVOXAN_BUILD_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)" --target brelvoxan
# The game reads its glyphs from res/bmp below the current directory.
exec ./build/brelvoxan
