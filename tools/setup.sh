#!/usr/bin/env bash
# Installs what the build, the tests and the benchmarks need on a fresh Debian or Ubuntu machine;
# with --play only what building and playing the game needs.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config libstb-dev libsdl2-dev libjpeg-dev libgif-dev)
case "${1:-}" in
  --play) ;;
  "") packages+=(
    clang-format-14 libgtest-dev libgmock-dev libbenchmark-dev
    libx11-dev xvfb xdotool imagemagick
    g++-mingw-w64-x86-64-posix wine wine64
    file desktop-file-utils appstream lintian nsis
    clang-14 libclang-rt-14-dev libfuzzer-14-dev time
    emscripten chromium chromium-driver python3-selenium
    grhino  # a second GTP engine for tools/gtp_referee.py's matches (gtp-rhino)
  )
  # npm for Lighthouse; where Node.js brings its own npm, that one.
  command -v npm >/dev/null || packages+=(npm)
  ;;
  *) echo "usage: $0 [--play]" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The page audit of the browser tests, from npm.
[ "${1:-}" = --play ] || bash "$(dirname "$0")/lighthouse.sh"
