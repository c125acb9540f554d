// The picture decoders of the backends without platform picture readers, usable on their own by
// tools that need the pixels rather than a bitmap. Every decoder refuses a picture with a side
// over host::kMaxPictureSide before it allocates for it, never reads outside the bytes given,
// and turns refused memory into a failed decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/platform.h"

namespace host::pictures {

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
};

// BMP with 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed, RLE8, RLE4 or with bit fields.
bool decodeBmp(const uint8_t* bytes, size_t size, Picture* out);
// Baseline and progressive JPEG, grey or colour.
bool decodeJpeg(const uint8_t* bytes, size_t size, Picture* out);
// The first image of a GIF on its logical screen; pixels outside it or transparent are black.
bool decodeGif(const uint8_t* bytes, size_t size, Picture* out);
// BMP, JPEG or GIF, told apart by their first bytes; false for anything else.
bool decodeAny(const uint8_t* bytes, size_t size, Picture* out);

}  // namespace host::pictures
