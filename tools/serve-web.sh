#!/usr/bin/env bash
# Builds the browser page with Emscripten into build-web/ and serves build-web/page/ on
# 127.0.0.1 for a person to play in a browser on this machine. The folder is a plain static site:
# any static web server can serve it as it is, with no special headers.
#
#   tools/serve-web.sh [PORT]      (default 8000; Ctrl+C stops the server)
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8000}
if ! [[ $port =~ ^[0-9]+$ ]] || ((port < 1 || port > 65535)); then
  echo "usage: $0 [PORT]   (PORT 1..65535)" >&2
  exit 2
fi
command -v emcmake >/dev/null || bash tools/setup.sh
# Emscripten's JavaScript optimiser finds Debian's acorn module through NODE_PATH.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j "$(nproc)"
echo "Open http://127.0.0.1:$port/ in a browser."
exec /usr/bin/python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/page
