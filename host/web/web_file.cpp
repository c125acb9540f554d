// Reading a whole file for the page: its files are the glyph files, which the page unpacks
// into memory before the game starts (Module.glyphFiles, a map from each file's path to its
// bytes; glyphs.js), and the settings file, which the browser keeps in the page's local storage
// under the file's path (text only). A pause for the page every few milliseconds of reading, so
// that the start-up, which reads all 256 glyph files, never keeps a slow phone's page from
// answering for long. The same contract: at most maxBytes bytes.
#include <emscripten.h>

#include <cstdlib>
#include <new>

#include "host/platform.h"

// clang-format off
// A copy of the file's bytes in memory from malloc, its size in *size; or 0 and *size -1 for a
// missing file, -2 for one larger than maxBytes, -3 for memory refused.
EM_JS(uint8_t*, jsReadRegularFile, (const char* path, double maxBytes, double* size), {
  const name = UTF8ToString(path);
  let data = Module.glyphFiles ? Module.glyphFiles.get(name) : undefined;
  if (!data && name.startsWith("brelvoxan/")) {
    try {
      const kept = window.localStorage.getItem(name);
      if (kept !== null) data = new TextEncoder().encode(kept);
    } catch (e) {
      // Storage refused (private mode, a page opened from a file): nothing kept.
    }
  }
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
// Keeps a settings file's text in the page's local storage; 0 when the browser refuses (storage
// switched off or full), with its reason in the page's console.
EM_JS(bool, jsKeepFile, (const char* path, const uint8_t* bytes, double size), {
  try {
    window.localStorage.setItem(UTF8ToString(path),
                                new TextDecoder().decode(HEAPU8.subarray(bytes, bytes + size)));
    return true;
  } catch (e) {
    return false;
  }
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

// One setItem replaces the whole text at once, as a rename does on the desktops.
bool replaceFile(const char* path, const std::vector<uint8_t>& bytes, std::string* why) {
  if (path != nullptr && jsKeepFile(path, bytes.data(), static_cast<double>(bytes.size()))) {
    return true;
  }
  if (why != nullptr) *why = "the browser keeps no data for this page";
  return false;
}

std::string settingsFolder() {
  return "brelvoxan";
}

}  // namespace host
