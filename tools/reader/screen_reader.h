// Reads the imitated display back out of a pixel buffer (normally the headless back buffer):
// the 24 x 6 text cells as glyph codes and characters, the 144 x 48 dots, the 8 x 8 board and
// the square of a visible cursor box. Everything is recognised by exact comparison with the
// glyph pictures, so a screen that reads back as expected was drawn with exactly those glyphs.
// Also writes a region of a buffer as a PNG file, for screenshots.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/display_size.h"
#include "host/headless/headless.h"
#include "host/platform.h"

namespace brelvoxan::reader {

using host::headless::Pixels;

// The grid, cell, dot and display sizes (kTextColumns, kCellWidth, kDotRows, ...) are the
// game's own.
using namespace host::geometry;
// The dots read include the row just below the display: the board edge and the cursor box of
// the bottom board row end there (in the back buffer, outside the window's client area).
inline constexpr int kDotRowsRead = kDotRows + 1;
inline constexpr int kDisplayWidth = host::kClientWidth;
inline constexpr int kDisplayHeight = host::kClientHeight;
inline constexpr int kClearDotCode = 0;
inline constexpr int kSetDotCode = 1;
inline constexpr int kNoGlyph = -1;

enum class Dot : uint8_t { kClear, kSet, kUnknown };

// Decodes a glyph file into 0x00RRGGBB pixels exactly as the game reads it (regular files of
// bounded size, BMP, JPEG or GIF, the same size limit and decoders, the picture cut to `keep`);
// nothing when the game would find it unreadable.
std::optional<Pixels> readGlyphPicture(const std::string& path, host::PictureCrop keep = {});

// Decodes a PNG such as the screenshots writePng makes; nothing when the file is missing,
// unreadable or larger than any screen.
std::optional<Pixels> readPictureFile(const std::string& path);

// The 256 glyph pictures the screen is compared with; a code may have none.
class GlyphSet {
 public:
  // Reads dir/000.bmp .. dir/255.bmp with readGlyphPicture, each cut as the game cuts it;
  // unreadable or missing files leave their code empty. Needs the game's core and picture decoders
  // linked (the glyph reader).
  static GlyphSet loadFromDirectory(const std::string& dir);

  void setPicture(int code, Pixels picture);
  // Null when the code has no picture (or lies outside 0..255).
  const Pixels* picture(int code) const;
  int pictureCount() const;
  // Whether codes 0 and 1 hold dot-sized pictures, without which no dot can be read.
  bool hasDotPictures() const;

  // The code whose cell-sized picture equals the cell at pixel (x, y) of the buffer; printable
  // ASCII (32..126) wins over other codes, then the lowest code. kNoGlyph when none matches or
  // the cell does not lie wholly inside the buffer.
  int matchCell(const Pixels& buffer, int x, int y) const;
  // The dot whose 5 x 6 tile starts at pixel (x, y).
  Dot matchDot(const Pixels& buffer, int x, int y) const;

 private:
  std::array<std::optional<Pixels>, 256> pictures_;
  // Cell-sized pictures by the hash of their pixels, so a cell costs one hash and one compare.
  std::unordered_multimap<uint64_t, int> cellIndex_;
};

// One reading of the display.
struct Screen {
  std::array<std::array<int, kTextColumns>, kTextRows> codes{};
  std::array<std::array<Dot, kDotColumns>, kDotRowsRead> dots{};

  // The text row as characters: printable ASCII as itself, anything else as '?'.
  std::string textRow(int row) const;
  // Unknown outside 0..143 x 0..48.
  Dot dot(int x, int y) const;
  // Square (x, y), both 1..8: 'X' black stone, 'O' white stone, '.' empty, '+' empty with the
  // possible-move mark (its middle dot), '?' anything else.
  char square(int x, int y) const;
  // The eight board rows, y = 1..8, each x = 1..8.
  std::string boardRow(int y) const;
  // The square whose whole 7 x 7 cursor outline is set (the first in row order when several).
  std::optional<std::array<int, 2>> cursor() const;
};

// Reads the display at the top-left of the buffer; parts outside the buffer read as unknown.
Screen readScreen(const Pixels& buffer, const GlyphSet& glyphs);

// The screen, board and cursor block of the simulator's report:
//   screen:\n|row0|\n...board:\n<8 rows>\ncursor: X Y\n  (or "cursor: none")
std::string formatScreen(const Screen& screen);

// Writes the region (x, y, width, height) of the buffer as an RGB PNG; false when the region
// does not lie inside the buffer or the file cannot be written.
bool writePng(const Pixels& buffer, int x, int y, int width, int height, const std::string& path);

}  // namespace brelvoxan::reader
