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

// Whether a BMP holds all the bytes its headers promise: the whole header, and for pixels
// stored plainly every row. A platform reader that maps the file may read that far without
// looking (the one under Wine faults on a BMP cut short). Run-length data has no length to
// check before it is decoded; it must at least start inside the file.
bool bmpComplete(const uint8_t* bytes, size_t size, int32_t width, int32_t height) {
  constexpr size_t kInfoHeader = 14;
  const auto infoSize = static_cast<uint32_t>(littleEndian32(bytes + kInfoHeader));
  const bool core = infoSize == 12;
  if (size < kInfoHeader + (core ? 12 : 20)) return false;
  const uint32_t bits = littleEndian16(bytes + kInfoHeader + (core ? 10 : 14));
  const auto compression =
      core ? 0u : static_cast<uint32_t>(littleEndian32(bytes + kInfoHeader + 16));
  const auto offset = static_cast<uint32_t>(littleEndian32(bytes + 10));
  if (offset < kInfoHeader + infoSize || offset >= size) return false;
  constexpr uint32_t kRgb = 0;
  constexpr uint32_t kBitFields = 3;
  if (compression != kRgb && compression != kBitFields) return true;
  const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  return stride * static_cast<uint64_t>(height) <= size - offset;
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

// Every clear code makes a decoder reset its table: a stream of them costs time and gives no
// pixel. A glyph needs a few dozen at most; a 1024 x 1024 picture coded as plainly as possible
// about as many as it has pixels, which is where this bound refuses it.
constexpr uint64_t kMaxGifClearCodes = 16384;

// Walks a GIF frame's LZW codes (from its minimum code size on) as a decoder reads them, without
// making pixels: false for a minimum code size outside 1..8, for more clear codes than codes that
// give pixels (and two), or for more than kMaxGifClearCodes. Costs a few operations per byte.
// A stream cut short is left to the decoder to refuse.
bool soundLzwData(const uint8_t* bytes, size_t size, size_t pos) {
  if (pos >= size) return true;
  const uint32_t minimum = bytes[pos++];
  if (minimum < 1 || minimum > 8) return false;
  const uint32_t clear = 1u << minimum;
  const uint32_t end = clear + 1;
  uint32_t width = minimum + 1;
  uint32_t next = end + 1;
  uint64_t clears = 0;
  uint64_t data = 0;
  uint32_t pending = 0;  // bits read and not yet used, lowest first
  uint32_t count = 0;
  while (pos < size) {
    const size_t block = bytes[pos++];
    if (block == 0) break;
    const size_t stop = size - pos < block ? size : pos + block;
    for (; pos < stop; ++pos) {
      pending |= static_cast<uint32_t>(bytes[pos]) << count;
      count += 8;
      while (count >= width) {
        const uint32_t code = pending & ((1u << width) - 1);
        pending >>= width;
        count -= width;
        if (code == clear) {
          if (++clears > data + 2 || clears > kMaxGifClearCodes) return false;
          width = minimum + 1;
          next = end + 1;
        } else if (code == end) {
          return true;
        } else {
          ++data;
          // The code width grows as the table fills, up to 12 bits.
          if (next < 4097 && ++next > (1u << width) && width < 12) ++width;
        }
      }
    }
  }
  return true;
}

// Skips a chain of sub-blocks ending with an empty one; false when the bytes end first.
bool skipSubBlocks(const uint8_t* bytes, size_t size, size_t* pos) {
  while (*pos < size) {
    const size_t block = bytes[(*pos)++];
    if (block == 0) return true;
    if (size - *pos < block) return false;
    *pos += block;
  }
  return false;
}

size_t colourTableBytes(uint8_t flags) {
  return (flags & 0x80) != 0 ? size_t{3} << ((flags & 7) + 1) : 0;
}

bool gifSize(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height) {
  if (size < 10) return false;
  *width = static_cast<int32_t>(littleEndian16(bytes + 6));
  *height = static_cast<int32_t>(littleEndian16(bytes + 8));
  return true;
}

struct GifFrame {
  size_t data = 0;  // where its LZW data starts, with the minimum code size
  int32_t width = 0;
  int32_t height = 0;
};

// The first frame of a GIF, found past the colour table and any extensions; false when the
// bytes end first, or anything but an extension comes before it.
bool firstGifFrame(const uint8_t* bytes, size_t size, GifFrame* frame) {
  constexpr size_t kScreenEnd = 13;
  constexpr size_t kDescriptor = 9;
  if (size < kScreenEnd) return false;
  size_t pos = kScreenEnd + colourTableBytes(bytes[10]);
  while (pos < size) {
    const uint8_t introducer = bytes[pos++];
    if (introducer == 0x21) {  // an extension: its label, then sub-blocks
      if (pos >= size) return false;
      ++pos;
      if (!skipSubBlocks(bytes, size, &pos)) return false;
    } else if (introducer == 0x2C) {
      if (size - pos < kDescriptor) return false;
      frame->width = static_cast<int32_t>(littleEndian16(bytes + pos + 4));
      frame->height = static_cast<int32_t>(littleEndian16(bytes + pos + 6));
      frame->data = pos + kDescriptor + colourTableBytes(bytes[pos + 8]);
      return true;
    } else {
      return false;  // the end, or anything else, before a frame
    }
  }
  return false;
}

// The first frame's own size must be accepted too (a decoder allocates for it whatever the
// screen says) and its data sound.
bool soundFirstGifFrame(const uint8_t* bytes, size_t size) {
  GifFrame frame;
  return firstGifFrame(bytes, size, &frame) && acceptedSize(frame.width, frame.height) &&
         soundLzwData(bytes, size, frame.data);
}

// Whether a BMP's pixels are run-length encoded (RLE8 or RLE4).
bool bmpRunLengths(const uint8_t* bytes, size_t size) {
  constexpr size_t kInfoHeader = 14;
  if (size < kInfoHeader + 20 || littleEndian32(bytes + kInfoHeader) == 12) return false;
  const auto compression = static_cast<uint32_t>(littleEndian32(bytes + kInfoHeader + 16));
  return compression == 1 || compression == 2;
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

uint64_t decodeWork(ImageFileKind kind, const uint8_t* bytes, size_t size, host::PictureCrop keep) {
  int32_t width = 0;
  int32_t height = 0;
  if (!declaredSize(kind, bytes, size, &width, &height) || width < 1 || height < 1) return 0;
  const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  switch (kind) {
    case ImageFileKind::kFileBmp: {
      if (bmpRunLengths(bytes, size)) return pixels + size;
      const auto keptWidth = static_cast<uint64_t>(std::clamp(keep.width, 0, width));
      const auto keptHeight = static_cast<uint64_t>(std::clamp(keep.height, 0, height));
      return keptWidth * keptHeight + size;
    }
    case ImageFileKind::kFileJpeg:
      return pixels + size;
    case ImageFileKind::kFileGif: {
      // The screen is made and the first frame decoded into it: the larger of the two counts.
      // A frame of a size no reader accepts is refused for that, not counted.
      GifFrame frame;
      const bool counted =
          firstGifFrame(bytes, size, &frame) && acceptedSize(frame.width, frame.height);
      const uint64_t framePixels =
          counted ? static_cast<uint64_t>(frame.width) * static_cast<uint64_t>(frame.height) : 0;
      return std::max(pixels, framePixels) + size;
    }
    case ImageFileKind::kFileNone:
    case ImageFileKind::kFilePng:
      break;
  }
  return 0;
}

bool worthDecoding(ImageFileKind kind, const uint8_t* bytes, size_t size) {
  int32_t width = 0;
  int32_t height = 0;
  if (!declaredSize(kind, bytes, size, &width, &height) || !acceptedSize(width, height)) {
    return false;
  }
  if (kind == ImageFileKind::kFileBmp) return bmpComplete(bytes, size, width, height);
  return kind != ImageFileKind::kFileGif || soundFirstGifFrame(bytes, size);
}

bool DecodeBudget::spend(uint64_t work) {
  if (work > left_) {
    refuse();
    return false;
  }
  left_ -= work;
  return true;
}

ImageFile::~ImageFile() {
  reset();
}

int32_t ImageFile::load(const char* path, host::PictureCrop keep, DecodeBudget* budget) {
  // Every byte counts (decodeWork): a file larger than the work its table has left is not even
  // read, so a table's reads are bounded too.
  const size_t most = budget == nullptr || budget->left() >= host::kMaxPictureFileBytes
                          ? host::kMaxPictureFileBytes
                          : static_cast<size_t>(budget->left());
  std::vector<uint8_t> bytes;
  const host::FileRead read = host::readRegularFile(path, most, &bytes);
  if (read == host::FileRead::kNotOpened) return 0;  // the previous picture stays
  reset();
  if (read == host::FileRead::kTooLarge && most < host::kMaxPictureFileBytes) {
    budget->refuse();
    return 0;
  }
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

  // The header decides before any decoder runs: a picture too large to be a glyph, one whose
  // decoding would cost more than the table has left, or a GIF whose data would only cost
  // time, is unreadable and costs nothing more. The work is taken before the GIF's data is
  // walked, as that walk costs in proportion to the bytes too.
  int32_t width = 0;
  int32_t height = 0;
  if (!declaredSize(kind_, bytes.data(), bytes.size(), &width, &height) ||
      !acceptedSize(width, height) ||
      (budget != nullptr && !budget->spend(decodeWork(kind_, bytes.data(), bytes.size(), keep))) ||
      !worthDecoding(kind_, bytes.data(), bytes.size())) {
    return 0;
  }
  try {
    host::BitmapHandle& made = kind_ == ImageFileKind::kFileBmp ? loadedBitmap_ : picture_;
    made = host::decodePicture(bytes.data(), bytes.size(), &width, &height, keep);
  } catch (const std::bad_alloc&) {
    return 0;  // refused memory is a failed load like any other
  }
  // The size of the bitmap made, not of the header, decides: no reader may hand out more than
  // was to be kept.
  host::BitmapHandle made = handle();
  if (made == nullptr) return 0;
  if (!host::bitmapSize(made, &width, &height) || !acceptedSize(width, height) ||
      width > keep.width || height > keep.height) {
    const ImageFileKind kind = kind_;  // still the kind of file last read
    reset();
    kind_ = kind;
    return 0;
  }
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
