// The glyph files, packed and compressed into one file by the build (host/web/pack_glyphs.py):
// fetched at once, unpacked by the browser's own decoder while the program loads, and read by the
// game from memory (host/web/web_file.cpp). A promise of a Map from each file's name to its bytes;
// if they cannot be had, the map is empty and the game starts without them and says that its
// glyphs could not be read, as the desktop game does.
function loadGlyphs(withRelease, fromFile) {
  if (fromFile) return Promise.resolve(new Map());
  return unpackGlyphs(withRelease).catch(error => {
    console.warn("the glyph files could not be loaded: " + error);
    return new Map();
  });
}

// The files in pack_glyphs.py's format; a file cut short ends the list.
async function unpackGlyphs(withRelease) {
  const files = new Map();
  if (typeof DecompressionStream !== "function") return files;
  const response = await fetch(withRelease("brelvoxan.glyphs"));
  if (!response.ok) throw new Error("HTTP " + response.status);
  const bytes = new Uint8Array(
      await new Response(response.body.pipeThrough(new DecompressionStream("gzip"))).arrayBuffer());
  const view = new DataView(bytes.buffer);
  const names = new TextDecoder();
  for (let at = 0; at + 2 <= bytes.length;) {
    const nameLength = view.getUint16(at, true);
    const name = names.decode(bytes.subarray(at + 2, at + 2 + nameLength));
    at += 2 + nameLength;
    if (at + 4 > bytes.length) break;
    const size = view.getUint32(at, true);
    at += 4;
    if (at + size > bytes.length) break;
    files.set(name, bytes.subarray(at, at + size));
    at += size;
  }
  return files;
}
