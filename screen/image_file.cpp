#include "screen/image_file.h"

#include <algorithm>
#include <new>
#include <vector>

namespace brelvoxan {

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr size_t kPngWidthOffset = 16;  // IHDR width, then height, both big-endian

uint32_t bigEndian16(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) << 8 | bytes[1];
}

uint32_t littleEndian16(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[1]) << 8 | bytes[0];
}

int32_t bigEndian32(const uint8_t* bytes) {
  return static_cast<int32_t>(bigEndian16(bytes) << 16 | bigEndian16(bytes + 2));
}

int32_t littleEndian32(const uint8_t* bytes) {
  return static_cast<int32_t>(littleEndian16(bytes + 2) << 16 | littleEndian16(bytes));
}

bool bmpSize(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height) {
  constexpr size_t kInfoHeader = 14;
  if (size < kInfoHeader + 4) return false;
  const auto infoSize = static_cast<uint32_t>(littleEndian32(bytes + kInfoHeader));
  if (infoSize == 12) {  // the oldest header, with 16-bit sizes
    if (size < kInfoHeader + 8) return false;
    *width = static_cast<int32_t>(littleEndian16(bytes + kInfoHeader + 4));
    *height = static_cast<int32_t>(littleEndian16(bytes + kInfoHeader + 6));
    return true;
  }
  if (infoSize < 16 || size < kInfoHeader + 12) return false;
  *width = littleEndian32(bytes + kInfoHeader + 4);
  const int32_t rows = littleEndian32(bytes + kInfoHeader + 8);
  // Negative for rows stored top to bottom; the most negative value has no size at all.
  *height = rows == INT32_MIN ? 0 : (rows < 0 ? -rows : rows);
  return true;
}

// The first frame header, found the way a JPEG decoder finds it: markers in order, stray bytes
// between them skipped; the picture's data must not start before it.
bool jpegSize(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height) {
  size_t pos = 2;
  for (;;) {
    while (pos < size && bytes[pos] != 0xFF) ++pos;
    while (pos < size && bytes[pos] == 0xFF) ++pos;
    if (pos >= size) return false;
    const uint8_t marker = bytes[pos++];
    if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA) return false;
    if (size - pos < 2) return false;
    const uint32_t length = bigEndian16(bytes + pos);
    if (length < 2) return false;
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 7 || size - pos < 7) return false;
      *height = static_cast<int32_t>(bigEndian16(bytes + pos + 3));
      *width = static_cast<int32_t>(bigEndian16(bytes + pos + 5));
      return true;
    }
    if (size - pos < length) return false;
    pos += length;
  }
}

bool gifSize(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height) {
  if (size < 10) return false;
  *width = static_cast<int32_t>(littleEndian16(bytes + 6));
  *height = static_cast<int32_t>(littleEndian16(bytes + 8));
  return true;
}

}  // namespace

ImageFileKind detectKind(const uint8_t (&head)[8]) {
  if (head[0] == 0x42 && head[1] == 0x4D) return ImageFileKind::kFileBmp;
  if (head[0] == 0x47 && head[1] == 0x49 && head[2] == 0x46) return ImageFileKind::kFileGif;
  if (head[0] == 0xFF && head[1] == 0xD8) return ImageFileKind::kFileJpeg;
  bool png = true;
  for (size_t i = 0; i < 8; ++i) png = png && head[i] == kPngSignature[i];
  return png ? ImageFileKind::kFilePng : ImageFileKind::kFileNone;
}

bool declaredSize(ImageFileKind kind, const uint8_t* bytes, size_t size, int32_t* width,
                  int32_t* height) {
  if (bytes == nullptr || width == nullptr || height == nullptr) return false;
  switch (kind) {
    case ImageFileKind::kFileBmp:
      return bmpSize(bytes, size, width, height);
    case ImageFileKind::kFileJpeg:
      return jpegSize(bytes, size, width, height);
    case ImageFileKind::kFileGif:
      return gifSize(bytes, size, width, height);
    case ImageFileKind::kFileNone:
    case ImageFileKind::kFilePng:
      break;
  }
  return false;
}

bool acceptedSize(int32_t width, int32_t height) {
  return width >= 1 && height >= 1 && width <= host::kMaxPictureSide &&
         height <= host::kMaxPictureSide;
}

ImageFile::~ImageFile() {
  reset();
}

int32_t ImageFile::load(const char* path) {
  std::vector<uint8_t> bytes;
  const host::FileRead read = host::readRegularFile(path, host::kMaxPictureFileBytes, &bytes);
  if (read == host::FileRead::kNotOpened) return 0;  // the previous picture stays
  reset();
  if (read != host::FileRead::kRead) return 0;  // too large to be a glyph, or unreadable

  uint8_t head[8] = {};
  std::copy_n(bytes.begin(), std::min(bytes.size(), sizeof head), head);
  kind_ = detectKind(head);

  switch (kind_) {
    case ImageFileKind::kFileNone:
      return 0;
    case ImageFileKind::kFilePng: {
      uint8_t size[8] = {};
      if (bytes.size() > kPngWidthOffset) {
        std::copy_n(bytes.begin() + kPngWidthOffset,
                    std::min(bytes.size() - kPngWidthOffset, sizeof size), size);
      }
      width_ = bigEndian32(size);
      height_ = bigEndian32(size + 4);
      return 0;  // measured, never decoded
    }
    case ImageFileKind::kFileBmp:
    case ImageFileKind::kFileJpeg:
    case ImageFileKind::kFileGif:
      break;
  }

  // The size the header declares decides before any decoder runs: a picture too large to be a
  // glyph is unreadable and costs nothing.
  int32_t width = 0;
  int32_t height = 0;
  if (!declaredSize(kind_, bytes.data(), bytes.size(), &width, &height) ||
      !acceptedSize(width, height)) {
    return 0;
  }
  try {
    if (kind_ == ImageFileKind::kFileBmp) {
      // The platform's BMP reader opens the file again by name.
      bytes = {};
      loadedBitmap_ = host::loadBmpFile(path);
      if (loadedBitmap_ == nullptr || !host::bitmapSize(loadedBitmap_, &width_, &height_)) {
        return 0;
      }
      return 1;
    }
    picture_ = host::decodePicture(bytes.data(), bytes.size(), &width, &height);
  } catch (const std::bad_alloc&) {
    return 0;  // refused memory is a failed load like any other
  }
  if (picture_ == nullptr) return 0;
  width_ = width;
  height_ = height;
  return 1;
}

host::BitmapHandle ImageFile::handle() const {
  switch (kind_) {
    case ImageFileKind::kFileBmp:
      return loadedBitmap_;
    case ImageFileKind::kFileJpeg:
    case ImageFileKind::kFileGif:
      return picture_;
    case ImageFileKind::kFileNone:
    case ImageFileKind::kFilePng:
      break;
  }
  return nullptr;
}

void ImageFile::reset() {
  host::deleteBitmap(loadedBitmap_);
  loadedBitmap_ = nullptr;
  host::deleteBitmap(picture_);
  picture_ = nullptr;
  kind_ = ImageFileKind::kFileNone;
  width_ = 0;
  height_ = 0;
}

host::BitmapHandle ImageFile::releaseBitmap() {
  host::BitmapHandle released = handle();
  if (released == loadedBitmap_) loadedBitmap_ = nullptr;
  if (released == picture_) picture_ = nullptr;
  return released;
}

}  // namespace brelvoxan
