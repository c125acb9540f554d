// Picture decoding for the backends that have no platform picture readers of their own. The
// decoded pixels become a bitmap through host::createBitmap of whichever backend is linked.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "host/platform.h"

// Only the three formats the glyph files may use; the decoder stays private to this file so no
// other copy of it can clash at link time.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#include <stb_image.h>

namespace host {

namespace {

BitmapHandle decodeToBitmap(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height) {
  if (bytes == nullptr || size == 0 || size > static_cast<size_t>(INT_MAX)) return nullptr;
  int w = 0;
  int h = 0;
  int channels = 0;
  stbi_uc* rgba =
      stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &channels, STBI_rgb_alpha);
  if (rgba == nullptr) return nullptr;
  // Rows come top to bottom already; the display has no alpha, so it is dropped.
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (size_t i = 0; i < pixels.size(); ++i) {
    const stbi_uc* p = rgba + i * 4;
    pixels[i] = (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
  }
  stbi_image_free(rgba);
  BitmapHandle bitmap = createBitmap(w, h, pixels.data());
  if (bitmap != nullptr) {
    if (width != nullptr) *width = w;
    if (height != nullptr) *height = h;
  }
  return bitmap;
}

bool readWholeFile(const char* path, std::vector<uint8_t>* bytes) {
  if (path == nullptr) return false;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(file) : -1;
  ok = size > 0 && std::fseek(file, 0, SEEK_SET) == 0;
  if (ok) {
    bytes->resize(static_cast<size_t>(size));
    ok = std::fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
  }
  std::fclose(file);
  return ok;
}

}  // namespace

BitmapHandle loadBmpFile(const char* path) {
  std::vector<uint8_t> bytes;
  if (!readWholeFile(path, &bytes)) return nullptr;
  // A BMP reader reads BMP only, whatever else the decoder could make of the bytes.
  if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') return nullptr;
  return decodeToBitmap(bytes.data(), bytes.size(), nullptr, nullptr);
}

BitmapHandle decodePicture(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height) {
  return decodeToBitmap(bytes, size, width, height);
}

}  // namespace host
