#include "screen/image_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace brelvoxan {

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr long kPngWidthOffset = 16;  // IHDR width, then height, both big-endian

// Reads up to `count` bytes from the current position into a buffer already set to zero;
// a short read leaves the rest 0.
void readUpTo(std::FILE* file, uint8_t* buffer, size_t count) {
  (void)std::fread(buffer, 1, count, file);
}

int32_t bigEndian32(const uint8_t* bytes) {
  const uint32_t value = (static_cast<uint32_t>(bytes[0]) << 24) |
                         (static_cast<uint32_t>(bytes[1]) << 16) |
                         (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
  return static_cast<int32_t>(value);
}

// A file that can be read as a byte stream; directories open on some systems but are not
// files to read.
std::FILE* openForReading(const char* path) {
  if (path == nullptr) return nullptr;
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return nullptr;
  return std::fopen(path, "rb");
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

ImageFile::~ImageFile() {
  reset();
}

int32_t ImageFile::load(const char* path) {
  std::FILE* file = openForReading(path);
  if (file == nullptr) return 0;  // the previous picture stays
  reset();

  uint8_t head[8] = {};
  readUpTo(file, head, sizeof head);
  std::rewind(file);
  kind_ = detectKind(head);

  int32_t result = 0;
  switch (kind_) {
    case ImageFileKind::kFileBmp: {
      // The BMP reader opens the file again by name.
      std::fclose(file);
      loadedBitmap_ = host::loadBmpFile(path);
      if (loadedBitmap_ == nullptr) return 0;
      host::bitmapSize(loadedBitmap_, &width_, &height_);
      return 1;
    }
    case ImageFileKind::kFileNone:
      break;
    case ImageFileKind::kFilePng: {
      uint8_t size[8] = {};
      if (std::fseek(file, kPngWidthOffset, SEEK_SET) == 0) readUpTo(file, size, sizeof size);
      width_ = bigEndian32(size);
      height_ = bigEndian32(size + 4);
      break;  // measured, never decoded
    }
    case ImageFileKind::kFileJpeg:
    case ImageFileKind::kFileGif: {
      long size = -1;
      if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
      std::rewind(file);
      if (size <= 0) break;
      std::vector<uint8_t> bytes(static_cast<size_t>(size), 0);
      readUpTo(file, bytes.data(), bytes.size());
      std::rewind(file);
      int32_t width = 0;
      int32_t height = 0;
      picture_ = host::decodePicture(bytes.data(), bytes.size(), &width, &height);
      if (picture_ != nullptr) {
        width_ = width;
        height_ = height;
        result = 1;
      }
      break;
    }
  }
  std::fclose(file);
  return result;
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
