#!/usr/bin/env bash
# make-glyphs --check must accept its own output and catch a changed, shortened or missing file.
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$tool" "$dir/out" || fail "writing the glyphs"
[ "$(ls "$dir/out" | wc -l)" -eq 256 ] || fail "expected 256 files"
"$tool" --check "$dir/out" >/dev/null || fail "own output rejected"

cp -r "$dir/out" "$dir/a"
printf '\x01' | dd of="$dir/a/065.bmp" bs=1 seek=100 conv=notrunc status=none
out=$("$tool" --check "$dir/a"); rc=$?
[ $rc -eq 1 ] || fail "changed byte: exit $rc"
[[ $out == *"065.bmp"* ]] || fail "changed byte not named: $out"

cp -r "$dir/out" "$dir/b"
truncate -s -1 "$dir/b/255.bmp"
"$tool" --check "$dir/b" >/dev/null; rc=$?
[ $rc -eq 1 ] || fail "shortened file: exit $rc"

cp -r "$dir/out" "$dir/c"
rm "$dir/c/000.bmp"
out=$("$tool" --check "$dir/c"); rc=$?
[ $rc -eq 1 ] || fail "missing file: exit $rc"
[[ $out == *"000.bmp"* ]] || fail "missing file not named: $out"

"$tool" >/dev/null 2>&1; rc=$?
[ $rc -eq 2 ] || fail "no arguments: exit $rc"
echo OK
