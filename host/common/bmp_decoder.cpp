// BMP decoding: every variant a glyph file may reasonably be, including the run-length encoded
// ones, so that the same files load here as with the Windows BMP reader. Every read is checked
// against the end of the bytes, and run lengths are clipped arithmetically, so a file costs
// time in proportion to its size and the picture, never more.
#include <algorithm>
#include <array>
#include <bit>
#include <new>

#include "host/common/picture_decoders.h"

namespace host::pictures {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;  // 16-bit sizes, 3-byte palette entries
constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;

uint32_t le16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}
uint32_t le32(const uint8_t* p) {
  return le16(p) | le16(p + 2) << 16;
}

// One colour channel of a packed pixel: its mask, and the value scaled to 0..255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    max = mask >> shift;
  }
  uint32_t operator()(uint32_t value) const {
    if (max == 0) return 0;
    return static_cast<uint32_t>((uint64_t{(value & mask) >> shift} * 255 + max / 2) / max);
  }
};

struct Header {
  int32_t width = 0;
  int32_t height = 0;  // rows, always positive
  bool topDown = false;
  uint32_t bitCount = 0;
  uint32_t compression = kRgb;
  size_t pixelOffset = 0;
  std::array<uint32_t, 3> masks{};  // red, green, blue for 16 and 32 bits
  std::array<uint32_t, 256> palette{};
  uint32_t paletteSize = 0;
};

bool readHeader(const uint8_t* bytes, size_t size, Header* header) {
  if (size < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint32_t infoSize = le32(bytes + kFileHeaderSize);
  const uint8_t* info = bytes + kFileHeaderSize;
  uint32_t colorsUsed = 0;
  size_t entrySize = 4;
  if (infoSize == kCoreHeaderSize) {
    if (size < kFileHeaderSize + kCoreHeaderSize) return false;
    header->width = static_cast<int32_t>(le16(info + 4));
    header->height = static_cast<int32_t>(le16(info + 6));
    header->bitCount = le16(info + 10);
    entrySize = 3;
  } else if (infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 64 ||
             infoSize == 108 || infoSize == 124) {
    if (size < kFileHeaderSize + infoSize) return false;
    header->width = static_cast<int32_t>(le32(info + 4));
    const auto height = static_cast<int32_t>(le32(info + 8));
    if (height == INT32_MIN) return false;
    header->topDown = height < 0;
    header->height = height < 0 ? -height : height;
    header->bitCount = le16(info + 14);
    header->compression = le32(info + 16);
    colorsUsed = le32(info + 32);
    // The 64-byte header gives other meanings to the higher compression numbers.
    if (infoSize == 64 && header->compression > kRle4) return false;
  } else {
    return false;
  }
  if (header->width <= 0 || header->height <= 0 || header->width > kMaxPictureSide ||
      header->height > kMaxPictureSide) {
    return false;
  }

  const uint32_t bits = header->bitCount;
  switch (header->compression) {
    case kRgb:
      if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return false;
      }
      header->masks = bits == 16 ? std::array<uint32_t, 3>{0x7C00, 0x03E0, 0x001F}
                                 : std::array<uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF};
      break;
    case kRle8:
    case kRle4:
      if (bits != (header->compression == kRle8 ? 8u : 4u) || header->topDown) return false;
      break;
    case kBitFields: {
      // The masks follow the 40-byte header, or are part of the larger ones: the same place.
      const size_t at = kFileHeaderSize + 40;
      if ((bits != 16 && bits != 32) || infoSize < 40 || size < at + 12) return false;
      header->masks = {le32(bytes + at), le32(bytes + at + 4), le32(bytes + at + 8)};
      break;
    }
    default:
      return false;
  }

  if (bits <= 8) {
    const uint32_t most = uint32_t{1} << bits;
    header->paletteSize = colorsUsed == 0 || colorsUsed > most ? most : colorsUsed;
    size_t at = kFileHeaderSize + infoSize;
    if (header->compression == kBitFields) at += 12;
    if (at > size || (size - at) / entrySize < header->paletteSize) return false;
    for (uint32_t i = 0; i < header->paletteSize; ++i, at += entrySize) {
      header->palette[i] = static_cast<uint32_t>(bytes[at + 2]) << 16 |
                           static_cast<uint32_t>(bytes[at + 1]) << 8 | bytes[at];
    }
  }

  header->pixelOffset = le32(bytes + 10);
  return header->pixelOffset >= kFileHeaderSize + infoSize && header->pixelOffset < size;
}

uint32_t paletteColour(const Header& header, uint32_t index) {
  return index < header.paletteSize ? header.palette[index] : 0;
}

// Only the rows and columns of the kept corner are converted; the whole pixel data must still
// be present.
bool decodeRows(const Header& header, const uint8_t* data, size_t available, Picture* out) {
  const size_t stride = (static_cast<size_t>(header.width) * header.bitCount + 31) / 32 * 4;
  if (available / stride < static_cast<size_t>(header.height)) return false;  // truncated
  const auto width = static_cast<size_t>(out->width);
  const Channel red(header.masks[0]);
  const Channel green(header.masks[1]);
  const Channel blue(header.masks[2]);
  for (int32_t row = 0; row < header.height; ++row) {
    const uint8_t* in = data + static_cast<size_t>(row) * stride;
    const int32_t y = header.topDown ? row : header.height - 1 - row;
    if (y >= out->height) continue;
    uint32_t* pixel = out->pixels.data() + static_cast<size_t>(y) * width;
    for (size_t x = 0; x < width; ++x) {
      switch (header.bitCount) {
        case 1:
          pixel[x] = paletteColour(header, (in[x / 8] >> (7 - x % 8)) & 1);
          break;
        case 4:
          pixel[x] = paletteColour(header, (in[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF);
          break;
        case 8:
          pixel[x] = paletteColour(header, in[x]);
          break;
        case 24:
          pixel[x] = static_cast<uint32_t>(in[x * 3 + 2]) << 16 |
                     static_cast<uint32_t>(in[x * 3 + 1]) << 8 | in[x * 3];
          break;
        default: {
          const uint32_t value = header.bitCount == 16 ? le16(in + x * 2) : le32(in + x * 4);
          pixel[x] = red(value) << 16 | green(value) << 8 | blue(value);
          break;
        }
      }
    }
  }
  return true;
}

// RLE8 and RLE4: runs of one index (two alternating ones for RLE4), literal runs, line ends,
// jumps and the end of the picture. Pixels never written stay black; whatever falls outside the
// picture is dropped. A stream that stops early keeps what it drew.
void decodeRunLengths(const Header& header, const uint8_t* data, size_t available, Picture* out) {
  const bool four = header.compression == kRle4;
  const int64_t width = header.width;
  const int64_t height = header.height;
  int64_t x = 0;
  int64_t row = 0;  // from the bottom
  auto put = [&](int64_t at, uint32_t index) {
    const int64_t y = height - 1 - row;
    if (y >= out->height || at >= out->width) return;  // outside the kept corner
    out->pixels[static_cast<size_t>(y * out->width + at)] = paletteColour(header, index);
  };
  size_t pos = 0;
  while (row < height && available - pos >= 2) {
    const uint32_t count = data[pos];
    const uint32_t value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      const int64_t visible = std::clamp<int64_t>(width - x, 0, count);
      for (int64_t i = 0; i < visible; ++i) {
        const uint32_t index = four ? ((i % 2 == 0) ? value >> 4 : value & 0xF) : value;
        put(x + i, index);
      }
      x += count;
    } else if (value == 0) {
      x = 0;
      ++row;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (available - pos < 2) break;
      x += data[pos];
      row += data[pos + 1];
      pos += 2;
    } else {
      const size_t bytes = four ? (value + 1) / 2 : value;
      const size_t present = std::min(bytes, available - pos);
      const auto readable = static_cast<int64_t>(four ? present * 2 : present);
      const int64_t visible = std::min(std::clamp<int64_t>(width - x, 0, value), readable);
      for (int64_t i = 0; i < visible; ++i) {
        const uint8_t byte = data[pos + static_cast<size_t>(four ? i / 2 : i)];
        put(x + i, four ? ((i % 2 == 0) ? byte >> 4 : byte & 0xF) : byte);
      }
      if (present < bytes) break;
      x += value;
      pos += bytes + (bytes % 2);  // literal runs end on a 16-bit boundary
      pos = std::min(pos, available);
    }
  }
}

}  // namespace

bool decodeBmp(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep) {
  if (bytes == nullptr || out == nullptr) return false;
  Header header;
  if (!readHeader(bytes, size, &header)) return false;
  const PictureCrop kept = keptSize(header.width, header.height, keep);
  if (kept.width == 0) return false;
  out->width = kept.width;
  out->height = kept.height;
  try {
    out->pixels.assign(static_cast<size_t>(kept.width) * static_cast<size_t>(kept.height), 0);
  } catch (const std::bad_alloc&) {
    *out = Picture{};
    return false;
  }
  const uint8_t* data = bytes + header.pixelOffset;
  const size_t available = size - header.pixelOffset;
  if (header.compression == kRle8 || header.compression == kRle4) {
    decodeRunLengths(header, data, available, out);
  } else if (!decodeRows(header, data, available, out)) {
    *out = Picture{};
    return false;
  }
  return true;
}

}  // namespace host::pictures
