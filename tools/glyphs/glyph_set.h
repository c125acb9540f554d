// The glyph set of the imitated LCD: the dot pattern of every character code and the 4-bit palette
// BMP files the game reads from res/bmp. Codes 0 and 1 are single dots (clear and set); every other
// code is a 6 by 8 dot character cell painted with exactly those two dot pictures, so text and
// the board's dot graphics share one look.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/display_size.h"

namespace brelvoxan::glyphs {

inline constexpr int kGlyphCount = 256;
inline constexpr int kClearDotCode = 0;
inline constexpr int kSetDotCode = 1;
inline constexpr int kBlankCode = 32;

// The dot and cell sizes (kDotWidth, kCellDotsAcross, kCellWidth, ...) are the game's own.
using namespace host::geometry;

// Characters are 5 by 7 dots in the top-left of the cell; the last column and row stay clear so
// that neighbouring characters never touch.
inline constexpr int kCharDotsAcross = 5;
inline constexpr int kCharDotsDown = 7;

// One character cell as dots: bit (5 - column) of rows[row] is a set dot.
struct DotCell {
  std::array<uint8_t, kCellDotsDown> rows{};

  bool dot(int column, int row) const { return ((rows[row] >> (5 - column)) & 1) != 0; }
  void set(int column, int row, bool on = true);
  DotCell inverted() const;
  friend bool operator==(const DotCell&, const DotCell&) = default;
};

// The dot pattern of every code. Entries 0 and 1 are single dots, not cells, and are left
// empty here. Throws std::logic_error when the built-in font art is malformed.
std::array<DotCell, kGlyphCount> buildCells();

struct Rgb {
  uint8_t r, g, b;
};

// An uncompressed picture, rows top to bottom, three bytes (r, g, b) per pixel.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  Rgb at(int x, int y) const;
  void put(int x, int y, Rgb colour);
};

// The picture of one code: a 5 by 6 dot for codes 0 and 1, a 30 by 48 cell otherwise.
Picture renderGlyph(int code, const std::array<DotCell, kGlyphCount>& cells);

// BITMAPFILEHEADER + BITMAPINFOHEADER, BI_RGB, 4 bits a pixel with a palette of the picture's
// colours in the order they first appear, bottom-up rows padded to 4 bytes. Throws
// std::length_error for a picture of more than 16 colours.
std::vector<uint8_t> encodeBmp(const Picture& picture);

// "000.bmp" .. "255.bmp".
std::string glyphFileName(int code);

// The bytes of all 256 glyph files, in code order.
std::vector<std::vector<uint8_t>> buildGlyphFiles();

}  // namespace brelvoxan::glyphs
