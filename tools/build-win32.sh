#!/usr/bin/env bash
# Cross-compiles the Windows program with mingw-w64 into build-win32/ and lays out
# build-win32/dist/ (brelvoxan.exe and res/) ready to zip. For developers; CI does not run it.
#
#   tools/build-win32.sh          build
#   tools/build-win32.sh --check  build, then run the backend check under Wine when it is there
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-win32"
dist="$build/dist"
run_check=0
for arg in "$@"; do
  case "$arg" in
    --check) run_check=1 ;;
    *) echo "usage: $0 [--check]" >&2; exit 2 ;;
  esac
done

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  echo "Installing the mingw-w64 cross-compiler" >&2
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq g++-mingw-w64-x86-64-posix
fi

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DBRELVOXAN_BUILD_SDL=OFF
cmake --build "$build" -j2

# The program finds its glyphs in res\bmp beside it, from whatever folder it is started.
rm -rf "$dist"
mkdir -p "$dist"
cp "$build/brelvoxan.exe" "$dist/"
cp -r "$root/res" "$dist/"
echo "Windows program in $dist"

if [ "$run_check" = 1 ]; then
  if ! command -v wine >/dev/null; then
    echo "Wine is not installed; the check runs on Windows: $build/brelvoxan_win32_check.exe" >&2
    exit 0
  fi
  export WINEDEBUG=-all
  # A prefix of this build's own, so that parallel runs never share one.
  export WINEPREFIX="${WINEPREFIX:-$build/wine}"
  # Bitmaps need a display; use the running one or a private Xvfb.
  if [ -n "${DISPLAY:-}" ]; then
    wine "$build/brelvoxan_win32_check.exe"
  else
    xvfb-run -a -s "-screen 0 1024x768x24" wine "$build/brelvoxan_win32_check.exe"
  fi
fi
