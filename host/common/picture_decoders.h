// The picture decoders of the backends without platform picture readers, usable on their own by
// tools that need the pixels rather than a bitmap. Every decoder refuses a picture with a side
// over host::kMaxPictureSide before it allocates for it, never reads outside the bytes given,
// and turns refused memory into a failed decode. Each keeps only the top-left corner `keep` of
// the picture and stops decoding once nothing more of that corner can come.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/platform.h"

namespace host::pictures {

using host::PictureCrop;

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
};

// BMP with 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed, RLE8, RLE4 or with bit fields.
bool decodeBmp(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep = {});
// Baseline and progressive JPEG, grey or colour.
// A stream that libjpeg finds corrupt or cut short is refused.
bool decodeJpeg(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep = {});
// The first image of a GIF on its logical screen; pixels outside it or transparent are black.
bool decodeGif(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep = {});
// BMP, JPEG or GIF, told apart by their first bytes; false for anything else.
bool decodeAny(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep = {});

// The size of the corner of a width x height picture that `keep` leaves; 0 x 0 when either is
// not positive.
PictureCrop keptSize(int32_t width, int32_t height, PictureCrop keep);
// Cuts a decoded picture down to its kept corner, in place.
void cropPicture(Picture* picture, PictureCrop keep);

}  // namespace host::pictures
