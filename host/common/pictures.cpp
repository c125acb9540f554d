// Picture decoding for the backends that have no platform picture readers of their own. The
// decoders write 0x00RRGGBB pixels once; host::createBitmap of whichever backend is linked makes
// the only copy of them, into the bitmap.
#include <new>

#include "host/common/picture_decoders.h"
#include "host/platform.h"

namespace host {

namespace pictures {

bool decodeAny(const uint8_t* bytes, size_t size, Picture* out) {
  if (bytes == nullptr || out == nullptr) return false;
  if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return decodeBmp(bytes, size, out);
  if (size >= 3 && bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F') {
    return decodeGif(bytes, size, out);
  }
  if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) return decodeJpeg(bytes, size, out);
  return false;
}

}  // namespace pictures

namespace {

BitmapHandle toBitmap(const pictures::Picture& picture, int32_t* width, int32_t* height) {
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

BitmapHandle loadBmpFile(const char* path) {
  std::vector<uint8_t> bytes;
  if (readRegularFile(path, kMaxPictureFileBytes, &bytes) != FileRead::kRead) return nullptr;
  pictures::Picture picture;
  if (!pictures::decodeBmp(bytes.data(), bytes.size(), &picture)) return nullptr;
  bytes = {};  // the file is no longer needed while the bitmap is made
  return toBitmap(picture, nullptr, nullptr);
}

BitmapHandle decodePicture(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height) {
  if (bytes == nullptr) return nullptr;
  pictures::Picture picture;
  const bool decoded = (size >= 3 && bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F')
                           ? pictures::decodeGif(bytes, size, &picture)
                           : pictures::decodeJpeg(bytes, size, &picture);
  return decoded ? toBitmap(picture, width, height) : nullptr;
}

}  // namespace host
