// Picture decoding for the backends that have no platform picture readers of their own. The
// decoders write 0x00RRGGBB pixels once; host::createBitmap of whichever backend is linked makes
// the only copy of them, into the bitmap.
#include <algorithm>
#include <new>

#include "host/common/picture_decoders.h"
#include "host/platform.h"

namespace host {

namespace pictures {

bool decodeAny(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep) {
  if (bytes == nullptr || out == nullptr) return false;
  if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return decodeBmp(bytes, size, out, keep);
  if (size >= 3 && bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F') {
    return decodeGif(bytes, size, out, keep);
  }
  if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
    return decodeJpeg(bytes, size, out, keep);
  }
  return false;
}

PictureCrop keptSize(int32_t width, int32_t height, PictureCrop keep) {
  if (width <= 0 || height <= 0 || keep.width <= 0 || keep.height <= 0) return {0, 0};
  return {std::min(width, keep.width), std::min(height, keep.height)};
}

void cropPicture(Picture* picture, PictureCrop keep) {
  const PictureCrop kept = keptSize(picture->width, picture->height, keep);
  if (kept.width == picture->width && kept.height == picture->height) return;
  // Rows move only towards the front, so copying forwards never overwrites one not yet moved.
  for (int32_t row = 0; row < kept.height; ++row) {
    const auto from = picture->pixels.begin() + static_cast<ptrdiff_t>(row) * picture->width;
    std::copy(from, from + kept.width,
              picture->pixels.begin() + static_cast<ptrdiff_t>(row) * kept.width);
  }
  picture->pixels.resize(static_cast<size_t>(kept.width) * static_cast<size_t>(kept.height));
  picture->pixels.shrink_to_fit();
  picture->width = kept.width;
  picture->height = kept.height;
}

}  // namespace pictures

namespace {

// The decoded size is checked once more: no bitmap is larger than what was to be kept.
BitmapHandle toBitmap(const pictures::Picture& picture, PictureCrop keep, int32_t* width,
                      int32_t* height) {
  const PictureCrop kept = pictures::keptSize(picture.width, picture.height, keep);
  if (kept.width != picture.width || kept.height != picture.height ||
      picture.pixels.size() !=
          static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height)) {
    return nullptr;
  }
  BitmapHandle bitmap = nullptr;
  try {
    bitmap = createBitmap(picture.width, picture.height, picture.pixels.data());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (bitmap != nullptr) {
    if (width != nullptr) *width = picture.width;
    if (height != nullptr) *height = picture.height;
  }
  return bitmap;
}

}  // namespace

BitmapHandle decodePicture(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height,
                           PictureCrop keep) {
  pictures::Picture picture;
  if (!pictures::decodeAny(bytes, size, &picture, keep)) return nullptr;
  return toBitmap(picture, keep, width, height);
}

}  // namespace host
