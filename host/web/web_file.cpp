// Reading a whole file for the page: its only files are the glyph files, which the page unpacks
// into memory before the game starts (Module.glyphFiles, a map from each file's path to its
// bytes; glyphs.js). A pause for the page every few milliseconds of reading, so that the start-up,
// which reads all 256 glyph files, never keeps a slow phone's page from answering for long. The
// same contract: at most maxBytes bytes.
#include <emscripten.h>

#include <cstdlib>
#include <new>

#include "host/platform.h"

// clang-format off
// A copy of the file's bytes in memory from malloc, its size in *size; or 0 and *size -1 for a
// missing file, -2 for one larger than maxBytes, -3 for memory refused.
EM_JS(uint8_t*, jsReadRegularFile, (const char* path, double maxBytes, double* size), {
  const data = Module.glyphFiles ? Module.glyphFiles.get(UTF8ToString(path)) : undefined;
  if (!data) {
    HEAPF64[size >> 3] = -1;
    return 0;
  }
  if (data.length > maxBytes) {
    HEAPF64[size >> 3] = -2;
    return 0;
  }
  const copy = _malloc(Math.max(data.length, 1));
  if (!copy) {
    HEAPF64[size >> 3] = -3;
    return 0;
  }
  HEAPU8.set(data, copy);
  HEAPF64[size >> 3] = data.length;
  return copy;
});
// Gives the page its turn when reading has gone on for a few milliseconds since the last one
// (a task of more than 50 ms counts as keeping the page from answering, and a slow phone is
// several times slower than this machine). A message to itself, which, unlike a timer, is not
// held back when many follow one another.
EM_ASYNC_JS(void, jsGivePageItsTurn, (), {
  await new Promise(resolve => {
    const channel = new MessageChannel();
    channel.port1.onmessage = resolve;
    channel.port2.postMessage(0);
  });
});

EM_JS(bool, jsPageWantsTurn, (), {
  const now = performance.now();
  if (Module.readingSince === undefined || now - Module.readingSince > 100) {
    Module.readingSince = now;  // the first read after a pause of the game's
    return false;
  }
  if (now - Module.readingSince < 4) return false;
  Module.readingSince = undefined;
  return true;
});
// clang-format on

namespace host {

FileRead readRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes) {
  if (path == nullptr || bytes == nullptr) return FileRead::kNotOpened;
  bytes->clear();
  if (jsPageWantsTurn()) jsGivePageItsTurn();
  double size = 0;
  uint8_t* data = jsReadRegularFile(path, static_cast<double>(maxBytes), &size);
  if (data == nullptr) {
    return size == -2 ? FileRead::kTooLarge : size == -3 ? FileRead::kFailed : FileRead::kNotOpened;
  }
  FileRead result = FileRead::kRead;
  try {
    bytes->assign(data, data + static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    bytes->clear();
    result = FileRead::kFailed;
  }
  std::free(data);
  return result;
}

}  // namespace host
