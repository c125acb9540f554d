#!/usr/bin/env bash
# Lighthouse, the page audit the browser tests run, from npm at a fixed version (the last release
# for Node 20), kept outside the repository in the user's cache.
#
#   tools/lighthouse.sh            installs it unless it is there
#   tools/lighthouse.sh --where    prints the path of its command line (exit 1 if missing)
set -euo pipefail
version=12.2.3
prefix=${XDG_CACHE_HOME:-$HOME/.cache}/brelvoxan/lighthouse-$version
cli=$prefix/node_modules/lighthouse/cli/index.js
case "${1:-}" in
  --where)
    [ -f "$cli" ] || exit 1
    echo "$cli"
    exit 0
    ;;
  "") ;;
  *) echo "usage: $0 [--where]" >&2; exit 2 ;;
esac
[ -f "$cli" ] && exit 0
command -v npm >/dev/null || { echo "lighthouse.sh: npm is missing (Node.js)" >&2; exit 1; }
mkdir -p "$prefix"
npm install --prefix "$prefix" --no-audit --no-fund --no-save --loglevel=error "lighthouse@$version"
[ -f "$cli" ]
