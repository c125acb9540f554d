// Paints the dot patterns into pictures and writes them as 4-bit palette BMP files: a glyph has
// three colours, so half a byte a pixel holds it exactly and every BMP reader knows the format.
#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "tools/glyphs/glyph_set.h"

namespace brelvoxan::glyphs {

namespace {

// The LCD's colours. A dot is a 4 by 5 pixel area with a one-pixel gap column on the right and
// gap row at the bottom; the gaps keep the panel colour in both dots, and the clear dot's area
// is a shade darker, so that an empty panel shows a faint dot grid.
constexpr Rgb kPanel = {0xB4, 0xC3, 0xA0};     // gaps between dots
constexpr Rgb kClearDot = {0xAB, 0xBA, 0x97};  // a dot that is off
constexpr Rgb kSetDot = {0x28, 0x30, 0x1E};    // a dot that is on

constexpr int32_t kPixelsPerMetre = 2835;  // 72 dpi
constexpr uint32_t kHeadersSize = 14 + 40;
constexpr size_t kMostColours = 16;  // what 4 bits a pixel can index

void paintDot(Picture& picture, int left, int top, bool on) {
  for (int y = 0; y < kDotHeight; ++y) {
    for (int x = 0; x < kDotWidth; ++x) {
      const bool gap = x == kDotWidth - 1 || y == kDotHeight - 1;
      picture.put(left + x, top + y, gap ? kPanel : on ? kSetDot : kClearDot);
    }
  }
}

void put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

}  // namespace

Rgb Picture::at(int x, int y) const {
  const size_t i =
      (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

void Picture::put(int x, int y, Rgb colour) {
  const size_t i =
      (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
  rgb[i] = colour.r;
  rgb[i + 1] = colour.g;
  rgb[i + 2] = colour.b;
}

Picture renderGlyph(int code, const std::array<DotCell, kGlyphCount>& cells) {
  Picture picture;
  if (code == kClearDotCode || code == kSetDotCode) {
    picture.width = kDotWidth;
    picture.height = kDotHeight;
    picture.rgb.resize(static_cast<size_t>(kDotWidth * kDotHeight * 3));
    paintDot(picture, 0, 0, code == kSetDotCode);
    return picture;
  }
  picture.width = kCellWidth;
  picture.height = kCellHeight;
  picture.rgb.resize(static_cast<size_t>(kCellWidth * kCellHeight * 3));
  const DotCell& cell = cells.at(static_cast<size_t>(code));
  for (int row = 0; row < kCellDotsDown; ++row) {
    for (int column = 0; column < kCellDotsAcross; ++column) {
      paintDot(picture, column * kDotWidth, row * kDotHeight, cell.dot(column, row));
    }
  }
  return picture;
}

std::vector<uint8_t> encodeBmp(const Picture& picture) {
  // The palette: the picture's colours in the order they first appear, top row first.
  std::vector<uint32_t> palette;
  std::vector<uint8_t> indices;
  indices.reserve(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgb c = picture.at(x, y);
      const uint32_t colour =
          static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | c.b;
      auto found = std::find(palette.begin(), palette.end(), colour);
      if (found == palette.end()) {
        if (palette.size() == kMostColours) throw std::length_error("more than 16 colours");
        found = palette.insert(palette.end(), colour);
      }
      indices.push_back(static_cast<uint8_t>(found - palette.begin()));
    }
  }

  const auto width = static_cast<uint32_t>(picture.width);
  const auto height = static_cast<uint32_t>(picture.height);
  const uint32_t stride = (width * 4 + 31) / 32 * 4;
  const uint32_t imageSize = stride * height;
  const auto paletteSize = static_cast<uint32_t>(palette.size() * 4);

  std::vector<uint8_t> out;
  out.reserve(kHeadersSize + paletteSize + imageSize);
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  put32(out, kHeadersSize + paletteSize + imageSize);
  put16(out, 0);
  put16(out, 0);
  put32(out, kHeadersSize + paletteSize);
  // BITMAPINFOHEADER; a positive height means rows are stored bottom-up.
  put32(out, 40);
  put32(out, width);
  put32(out, height);
  put16(out, 1);  // planes
  put16(out, 4);  // bits per pixel
  put32(out, 0);  // BI_RGB
  put32(out, imageSize);
  put32(out, static_cast<uint32_t>(kPixelsPerMetre));
  put32(out, static_cast<uint32_t>(kPixelsPerMetre));
  put32(out, static_cast<uint32_t>(palette.size()));         // colours used
  put32(out, 0);                                             // important colours: all
  for (const uint32_t colour : palette) put32(out, colour);  // blue, green, red, 0

  for (int y = picture.height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < picture.width; ++x) {
      const uint8_t index = indices[static_cast<size_t>(y) * width + static_cast<size_t>(x)];
      row[static_cast<size_t>(x / 2)] |= static_cast<uint8_t>(index << (x % 2 == 0 ? 4 : 0));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

std::string glyphFileName(int code) {
  if (code < 0 || code >= kGlyphCount) throw std::out_of_range("glyph code");
  char name[16];
  std::snprintf(name, sizeof name, "%03d.bmp", code);
  return name;
}

std::vector<std::vector<uint8_t>> buildGlyphFiles() {
  const auto cells = buildCells();
  std::vector<std::vector<uint8_t>> files;
  files.reserve(kGlyphCount);
  for (int code = 0; code < kGlyphCount; ++code) {
    files.push_back(encodeBmp(renderGlyph(code, cells)));
  }
  return files;
}

}  // namespace brelvoxan::glyphs
