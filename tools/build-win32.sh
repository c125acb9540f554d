#!/usr/bin/env bash
# Cross-compiles the Windows program with mingw-w64 into build-win32/ (a stripped release build),
# packs the release with CPack: build-win32/brelvoxan-VERSION-windows-x64.zip (one folder of that
# name with brelvoxan.exe, res\bmp, README.txt, LICENSE.txt) and, when makensis is installed, the
# installer build-win32/brelvoxan-VERSION-windows-x64.exe; unpacks the zip into build-win32/dist/.
#
#   tools/build-win32.sh [--werror] [--check]
#     --werror  warnings are errors (CI)
#     --check   then run the backend's check under Wine (tests/wine/wine_check.sh)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-win32"
dist="$build/dist"
run_check=0
werror=OFF
for arg in "$@"; do
  case "$arg" in
    --check) run_check=1 ;;
    --werror) werror=ON ;;
    *) echo "usage: $0 [--werror] [--check]" >&2; exit 2 ;;
  esac
done

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  echo "The mingw-w64 cross-compiler is missing; run: bash tools/setup.sh" >&2
  exit 1
fi

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DBRELVOXAN_BUILD_SDL=OFF -DBRELVOXAN_WERROR="$werror" >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/brelvoxan-*-windows-x64.zip "$build"/brelvoxan-*-windows-x64.exe
(cd "$build" && cpack -C Release >"$build/cpack.log") || { tail -n 20 "$build/cpack.log" >&2; exit 1; }
zip=$(ls "$build"/brelvoxan-*-windows-x64.zip)

# The program finds its glyphs in res\bmp beside it, from whatever folder it is started.
rm -rf "$dist"
mkdir -p "$dist"
(cd "$dist" && cmake -E tar xf "$zip")
echo "Windows release: $zip (unpacked in $dist)"
installer=$(ls "$build"/brelvoxan-*-windows-x64.exe 2>/dev/null || true)
[[ -n $installer ]] && echo "Windows installer: $installer"

if [ "$run_check" = 1 ]; then
  bash "$root/tests/wine/wine_check.sh" "$build" "$build"
fi
