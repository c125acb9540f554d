#!/usr/bin/env bash
# Sets up, builds and starts the game (needs a display).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target brelvoxan
# The game reads its glyphs from res/bmp below the current directory.
exec ./build/brelvoxan
