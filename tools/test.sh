#!/usr/bin/env bash
# Sets up, builds and runs every test: the Windows program cross-built with mingw-w64, a normal
# build (whose tests include the Windows program's under Wine, label wine), then
# address+undefined and thread sanitizer builds of the same tests (the thread one without those of
# the rules and the engine, which run on one thread).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
jobs=$(nproc)

run() {  # run BUILD_DIR CMAKE_ARGS...
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DBRELVOXAN_WERROR=ON -DBUILD_TESTING=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600
}

bash tools/build-win32.sh --werror
run build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRELVOXAN_BUILD_BENCH=ON \
  -DBRELVOXAN_WIN32_BUILD="$PWD/build-win32"
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" run build-asan -DCMAKE_BUILD_TYPE=Debug -DBRELVOXAN_SANITIZE=address,undefined \
  -DBRELVOXAN_BUILD_BENCH=OFF
TSAN_OPTIONS="halt_on_error=1" run build-tsan -DCMAKE_BUILD_TYPE=Debug \
  -DBRELVOXAN_SANITIZE=thread -DBRELVOXAN_BUILD_BENCH=OFF
# The picture file fuzzer in a clang build of its own, outside the sanitizer builds above: the
# committed corpus replayed, then about a minute of fuzzing; any finding fails.
bash fuzz/run.sh build-fuzz 60
