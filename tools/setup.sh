#!/usr/bin/env bash
# Installs what the project needs on a fresh Debian or Ubuntu machine.
#   tools/setup.sh          everything: building and playing, the tests, benchmarks and packages
#   tools/setup.sh --play   only what building and playing the game need
set -euo pipefail
play_packages=(
  build-essential cmake ninja-build pkg-config
  libstb-dev libsdl2-dev
)
test_packages=(
  clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev xvfb imagemagick
  file desktop-file-utils appstream
)
case "${1:-}" in
  --play) packages=("${play_packages[@]}") ;;
  "") packages=("${play_packages[@]}" "${test_packages[@]}") ;;
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
