// The dot patterns of all character codes. Characters and symbols are drawn as art below,
// '#' a set dot and '.' a clear one, several glyphs side by side with one space between them,
// consecutive codes from the sheet's first code. Block graphics and single box lines are built
// in code because they follow from a rule.
#include <stdexcept>
#include <string>
#include <string_view>

#include "tools/glyphs/glyph_set.h"

namespace brelvoxan::glyphs {

void DotCell::set(int column, int row, bool on) {
  const auto bit = static_cast<uint8_t>(1u << (5 - column));
  rows[row] = static_cast<uint8_t>(on ? (rows[row] | bit) : (rows[row] & ~bit));
}

DotCell DotCell::inverted() const {
  DotCell out;
  for (int row = 0; row < kCellDotsDown; ++row) {
    out.rows[row] = static_cast<uint8_t>(~rows[row] & 0x3F);
  }
  return out;
}

namespace {

// Glyphs of 5 by 7 dots, placed in the top-left of the cell.
struct CharSheet {
  int firstCode;
  std::array<std::string_view, kCharDotsDown> rows;
};

// Glyphs that fill the whole 6 by 8 dot cell.
struct CellSheet {
  int firstCode;
  std::array<std::string_view, kCellDotsDown> rows;
};

// clang-format off
constexpr CharSheet kCharSheets[] = {
    // smile heart diamond club spade bullet ring disc
    {2, {"..... ..... ..... .###. ..#.. ..... ..... .....",
         ".#.#. .#.#. ..#.. .###. .###. ..... .###. .###.",
         ".#.#. ##### .###. ##.## ##### .###. #...# #####",
         "..... ##### ##### ##### ##### .###. #...# #####",
         "#...# .###. .###. ##.## ##.## .###. #...# #####",
         ".###. ..#.. ..#.. ..#.. ..#.. ..... .###. .###.",
         "..... ..... ..... .###. .###. ..... ..... ....."}},
    // square box note check times divide plus-minus degree
    {10, {"..... ..... ..#.. ..... ..... ..... ..#.. .##..",
          "##### ##### ..##. ....# ..... ..#.. ..#.. #..#.",
          "##### #...# ..#.# ...#. .#.#. ..... ##### #..#.",
          "##### #...# ..#.. #.#.. ..#.. ##### ..#.. .##..",
          "##### #...# ###.. .#... .#.#. ..... ..#.. .....",
          "##### ##### ###.. ..... ..... ..#.. ..... .....",
          "..... ..... ..... ..... ..... ..... ##### ....."}},
    // triangles right left up down, arrows up down right left
    {18, {"#.... ....# ..... ..... ..#.. ..#.. ..... .....",
          "##... ...## ..#.. ##### .###. ..#.. ..#.. ..#..",
          "###.. ..### ..#.. .###. #.#.# ..#.. ...#. .#...",
          "####. .#### .###. .###. ..#.. ..#.. ##### #####",
          "###.. ..### .###. ..#.. ..#.. #.#.# ...#. .#...",
          "##... ...## ##### ..#.. ..#.. .###. ..#.. ..#..",
          "#.... ....# ..... ..... ..#.. ..#.. ..... ....."}},
    // up-down arrow, left-right arrow, return, less-or-equal, greater-or-equal, not equal
    {26, {"..#.. ..... ....# ...## ##... .....",
          ".###. ..... ....# .##.. ..##. ...#.",
          "#.#.# .#.#. ..#.# #.... ....# #####",
          "..#.. ##### .##.# .##.. ..##. ..#..",
          "#.#.# .#.#. ##### ...## ##... #####",
          ".###. ..... .##.. ..... ..... .#...",
          "..#.. ..... ..#.. ##### ##### ....."}},
    // ! " # $ % & ' (
    {33, {"..#.. .#.#. .#.#. ..#.. ##... .##.. ..#.. ...#.",
          "..#.. .#.#. .#.#. .#### ##..# #..#. ..#.. ..#..",
          "..#.. .#.#. ##### #.#.. ...#. #.#.. .#... .#...",
          "..#.. ..... .#.#. .###. ..#.. .#... ..... .#...",
          "..#.. ..... ##### ..#.# .#... #.#.# ..... .#...",
          "..... ..... .#.#. ####. #..## #..#. ..... ..#..",
          "..#.. ..... .#.#. ..#.. ...## .##.# ..... ...#."}},
    // ) * + , - . / 0
    {41, {".#... ..... ..... ..... ..... ..... ..... .###.",
          "..#.. ..#.. ..#.. ..... ..... ..... ....# #...#",
          "...#. #.#.# ..#.. ..... ..... ..... ...#. #..##",
          "...#. .###. ##### ..... ##### ..... ..#.. #.#.#",
          "...#. #.#.# ..#.. .##.. ..... ..... .#... ##..#",
          "..#.. ..#.. ..#.. ..#.. ..... .##.. #.... #...#",
          ".#... ..... ..... .#... ..... .##.. ..... .###."}},
    // 1 2 3 4 5 6 7 8
    {49, {"..#.. .###. ##### ...#. ##### ..##. ##### .###.",
          ".##.. #...# ...#. ..##. #.... .#... ....# #...#",
          "..#.. ....# ..#.. .#.#. ####. #.... ...#. #...#",
          "..#.. ...#. ...#. #..#. ....# ####. ..#.. .###.",
          "..#.. ..#.. ....# ##### ....# #...# .#... #...#",
          "..#.. .#... #...# ...#. #...# #...# .#... #...#",
          ".###. ##### .###. ...#. .###. .###. .#... .###."}},
    // 9 : ; < = > ? @
    {57, {".###. ..... ..... ...#. ..... .#... .###. .###.",
          "#...# .##.. .##.. ..#.. ..... ..#.. #...# #...#",
          "#...# .##.. .##.. .#... ##### ...#. ....# ....#",
          ".#### ..... ..... #.... ..... ....# ...#. .##.#",
          "....# .##.. .##.. .#... ##### ...#. ..#.. #.#.#",
          "...#. .##.. ..#.. ..#.. ..... ..#.. ..... #.#.#",
          ".##.. ..... .#... ...#. ..... .#... ..#.. .###."}},
    // A B C D E F G H
    {65, {".###. ####. .###. ###.. ##### ##### .###. #...#",
          "#...# #...# #...# #..#. #.... #.... #...# #...#",
          "#...# #...# #.... #...# #.... #.... #.... #...#",
          "##### ####. #.... #...# ####. ####. #.### #####",
          "#...# #...# #.... #...# #.... #.... #...# #...#",
          "#...# #...# #...# #..#. #.... #.... #...# #...#",
          "#...# ####. .###. ###.. ##### #.... .#### #...#"}},
    // I J K L M N O P
    {73, {".###. ..### #...# #.... #...# #...# .###. ####.",
          "..#.. ...#. #..#. #.... ##.## #...# #...# #...#",
          "..#.. ...#. #.#.. #.... #.#.# ##..# #...# #...#",
          "..#.. ...#. ##... #.... #.#.# #.#.# #...# ####.",
          "..#.. ...#. #.#.. #.... #...# #..## #...# #....",
          "..#.. #..#. #..#. #.... #...# #...# #...# #....",
          ".###. .##.. #...# ##### #...# #...# .###. #...."}},
    // Q R S T U V W X
    {81, {".###. ####. .#### ##### #...# #...# #...# #...#",
          "#...# #...# #.... ..#.. #...# #...# #...# #...#",
          "#...# #...# #.... ..#.. #...# #...# #...# .#.#.",
          "#...# ####. .###. ..#.. #...# #...# #.#.# ..#..",
          "#.#.# #.#.. ....# ..#.. #...# #...# #.#.# .#.#.",
          "#..#. #..#. ....# ..#.. #...# .#.#. #.#.# #...#",
          ".##.# #...# ####. ..#.. .###. ..#.. .#.#. #...#"}},
    // Y Z [ \ ] ^ _ `
    {89, {"#...# ##### .###. ..... .###. ..#.. ..... .#...",
          "#...# ....# .#... #.... ...#. .#.#. ..... ..#..",
          ".#.#. ...#. .#... .#... ...#. #...# ..... ...#.",
          "..#.. ..#.. .#... ..#.. ...#. ..... ..... .....",
          "..#.. .#... .#... ...#. ...#. ..... ..... .....",
          "..#.. #.... .#... ....# ...#. ..... ..... .....",
          "..#.. ##### .###. ..... .###. ..... ##### ....."}},
    // a b c d e f g h
    {97, {"..... #.... ..... ....# ..... ..##. ..... #....",
          "..... #.... ..... ....# ..... .#..# ..... #....",
          ".###. #.##. .###. .##.# .###. .#... .#### #.##.",
          "....# ##..# #.... #..## #...# ###.. #...# ##..#",
          ".#### #...# #.... #...# ##### .#... .#### #...#",
          "#...# #...# #...# #...# #.... .#... ....# #...#",
          ".#### ####. .###. .#### .###. .#... .###. #...#"}},
    // i j k l m n o p
    {105, {"..#.. ...#. #.... .##.. ..... ..... ..... .....",
           "..... ..... #.... ..#.. ..... ..... ..... .....",
           ".##.. ..##. #..#. ..#.. ##.#. #.##. .###. ####.",
           "..#.. ...#. #.#.. ..#.. #.#.# ##..# #...# #...#",
           "..#.. ...#. ##... ..#.. #.#.# #...# #...# ####.",
           "..#.. #..#. #.#.. ..#.. #...# #...# #...# #....",
           ".###. .##.. #..#. ...## #...# #...# .###. #...."}},
    // q r s t u v w x
    {113, {"..... ..... ..... .#... ..... ..... ..... .....",
           "..... ..... ..... .#... ..... ..... ..... .....",
           ".#### #.##. .###. ###.. #...# #...# #...# #...#",
           "#...# ##..# #.... .#... #...# #...# #...# .#.#.",
           ".#### #.... .###. .#... #...# #...# #.#.# ..#..",
           "....# #.... ....# .#..# #..## .#.#. #.#.# .#.#.",
           "....# #.... ####. ..##. .##.# ..#.. .#.#. #...#"}},
    // y z { | } ~ and 127 a house
    {121, {"..... ..... ...#. ..#.. .#... ..... ..#..",
           "..... ..... ..#.. ..#.. ..#.. ..... .#.#.",
           "#...# ##### ..#.. ..#.. ..#.. .#... #...#",
           "#...# ...#. .#... ..#.. ...#. #.#.# #...#",
           ".#### ..#.. ..#.. ..#.. ..#.. ...#. #...#",
           "....# .#... ..#.. ..#.. ..#.. ..... #####",
           ".###. ##### ...#. ..#.. .#... ..... ....."}},
    // alpha beta gamma delta epsilon theta lambda mu
    {193, {"..... .##.. ..... .##.. ..... .###. #.... .....",
           "..... #..#. ..... #.... ..... #...# .#... .....",
           ".##.# ###.. #...# .#... .###. #...# ..#.. #...#",
           "#..#. #..#. .#.#. .##.. #.... ##### .##.. #...#",
           "#..#. #...# ..#.. #..#. ###.. #...# #..#. #..##",
           ".##.# ####. ..#.. .##.. #.... #...# #...# ###.#",
           "..... #.... ..#.. ..... .###. .###. ..... #...."}},
    // pi sigma tau phi Omega Sigma root infinity
    {201, {"..... ..... ..... ..#.. .###. ##### ..### .....",
           "..... ..... ..... .###. #...# #.... ..#.. .....",
           "##### .#### ##### #.#.# #...# .#... ..#.. .#.#.",
           ".#.#. #..#. ..#.. #.#.# #...# ..#.. ..#.. #.#.#",
           ".#.#. #..#. ..#.. .###. .#.#. .#... #.#.. #.#.#",
           ".#.#. .##.. ..#.. ..#.. .#.#. #.... .##.. .#.#.",
           ".#.#. ..... ...#. ..... ##.## ##### ..#.. ....."}},
    // integral, approximately, cent, pound, yen, euro, section, pilcrow
    {209, {"...#. ..... ..#.. ..##. #...# ..##. .###. .####",
           "..#.# .##.# .###. .#..# .#.#. .#..# #.... ###.#",
           "..#.. #.##. #.#.. .#... ##### ####. .###. ###.#",
           "..#.. ..... #.#.. ###.. ..#.. .#... #...# .##.#",
           "..#.. .##.# #.#.# .#... ##### ####. .###. ..#.#",
           "#.#.. #.##. .###. .#... ..#.. .#..# ....# ..#.#",
           ".#... ..... ..#.. ##### ..#.. ..##. .###. ..#.#"}},
    // inverted ? and !, guillemets, superscript 2 and 3, middle dot
    {217, {"..#.. ..#.. ..... ..... .##.. ###.. .....",
           "..... ..... ..... ..... #..#. ..#.. .....",
           "..#.. ..#.. ..#.# #.#.. ..#.. .##.. .....",
           ".#... ..#.. .#.#. .#.#. .#... ..#.. .##..",
           "#.... ..#.. #.#.. ..#.# ####. ###.. .##..",
           "#...# ..#.. .#.#. .#.#. ..... ..... .....",
           ".###. ..#.. ..#.# #.#.. ..... ..... ....."}},
};

constexpr CellSheet kCellSheets[] = {
    // double box lines: horizontal vertical, corners down-right down-left up-right up-left,
    // tees right left
    {175, {"...... .#.#.. ...... ...... .#.#.. .#.#.. .#.#.. .#.#..",
           "...... .#.#.. ...... ...... .#.#.. .#.#.. .#.#.. .#.#..",
           "###### .#.#.. .##### ####.. .#.### ##.#.. .#.### ##.#..",
           "...... .#.#.. .#.... ...#.. .#.... ...#.. .#.... ...#..",
           "###### .#.#.. .#.### ##.#.. .##### ####.. .#.### ##.#..",
           "...... .#.#.. .#.#.. .#.#.. ...... ...... .#.#.. .#.#..",
           "...... .#.#.. .#.#.. .#.#.. ...... ...... .#.#.. .#.#..",
           "...... .#.#.. .#.#.. .#.#.. ...... ...... .#.#.. .#.#.."}},
    // double tees down up, double cross
    {183, {"...... .#.#.. .#.#..",
           "...... .#.#.. .#.#..",
           "###### ##.### ##.###",
           "...... ...... ......",
           "##.### ###### ##.###",
           ".#.#.. ...... .#.#..",
           ".#.#.. ...... .#.#..",
           ".#.#.. ...... .#.#.."}},
    // diagonals rising, falling, crossed
    {190, {".....# #..... #....#",
           "....#. .#.... .#..#.",
           "....#. .#.... .#..#.",
           "...#.. ..#... ..##..",
           "..#... ...#.. ..##..",
           ".#.... ....#. .#..#.",
           ".#.... ....#. .#..#.",
           "#..... .....# #....#"}},
};
// clang-format on

[[noreturn]] void badArt(int code, const char* what) {
  throw std::logic_error("glyph art near code " + std::to_string(code) + ": " + what);
}

// Copies the glyphs of one sheet into the cells, each glyph of `width` dots placed at the
// cell's top-left corner.
template <size_t Rows>
void readSheet(int firstCode, const std::array<std::string_view, Rows>& rows, int width,
               std::array<DotCell, kGlyphCount>& cells, std::array<bool, kGlyphCount>& drawn) {
  const size_t length = rows[0].size();
  if ((length + 1) % static_cast<size_t>(width + 1) != 0) badArt(firstCode, "ragged width");
  const int count = static_cast<int>((length + 1) / static_cast<size_t>(width + 1));
  if (firstCode + count > kGlyphCount) badArt(firstCode, "past code 255");
  for (size_t row = 0; row < Rows; ++row) {
    if (rows[row].size() != length) badArt(firstCode, "rows of different lengths");
  }
  for (int i = 0; i < count; ++i) {
    const int code = firstCode + i;
    if (drawn[code]) badArt(code, "drawn twice");
    drawn[code] = true;
    for (size_t row = 0; row < Rows; ++row) {
      for (int column = 0; column <= width; ++column) {
        const size_t at = static_cast<size_t>(i * (width + 1) + column);
        if (at >= length) break;
        const char c = rows[row][at];
        const bool separator = column == width;
        if (separator ? c != ' ' : (c != '#' && c != '.')) badArt(code, "unexpected character");
        if (c == '#') cells[code].set(column, static_cast<int>(row));
      }
    }
  }
}

// Fills the dots of columns [c0, c1] and rows [r0, r1].
DotCell block(int c0, int r0, int c1, int r1) {
  DotCell cell;
  for (int row = r0; row <= r1; ++row) {
    for (int column = c0; column <= c1; ++column) cell.set(column, row);
  }
  return cell;
}

DotCell merged(const DotCell& a, const DotCell& b) {
  DotCell out;
  for (int row = 0; row < kCellDotsDown; ++row) out.rows[row] = a.rows[row] | b.rows[row];
  return out;
}

// Single box lines run along dot column 2 and dot row 3 so that they join up across cells.
constexpr int kLineColumn = 2;
constexpr int kLineRow = 3;
enum Arm : unsigned { kUp = 1, kDown = 2, kLeft = 4, kRight = 8 };

DotCell boxLines(unsigned arms) {
  DotCell cell;
  if (arms & kUp) cell = merged(cell, block(kLineColumn, 0, kLineColumn, kLineRow));
  if (arms & kDown) cell = merged(cell, block(kLineColumn, kLineRow, kLineColumn, 7));
  if (arms & kLeft) cell = merged(cell, block(0, kLineRow, kLineColumn, kLineRow));
  if (arms & kRight) cell = merged(cell, block(kLineColumn, kLineRow, 5, kLineRow));
  return cell;
}

// A corner with the meeting dot left out, which reads as a rounded corner at this size.
DotCell roundedCorner(unsigned arms) {
  DotCell cell = boxLines(arms);
  cell.set(kLineColumn, kLineRow, false);
  return cell;
}

// Shades as regular dot patterns: one dot in four, every other dot, three in four.
DotCell shade(int level) {
  DotCell cell;
  for (int row = 0; row < kCellDotsDown; ++row) {
    for (int column = 0; column < kCellDotsAcross; ++column) {
      const bool evenColumn = column % 2 == 0;
      const bool evenRow = row % 2 == 0;
      const bool on = level == 1   ? evenColumn && evenRow
                      : level == 2 ? evenColumn == evenRow
                                   : evenColumn || evenRow;
      cell.set(column, row, on);
    }
  }
  return cell;
}

}  // namespace

std::array<DotCell, kGlyphCount> buildCells() {
  std::array<DotCell, kGlyphCount> cells{};
  std::array<bool, kGlyphCount> drawn{};
  // 0 and 1 are the dots themselves; 32 is the blank cell, all dots clear.
  drawn[kClearDotCode] = drawn[kSetDotCode] = drawn[kBlankCode] = true;

  for (const CharSheet& sheet : kCharSheets) {
    readSheet(sheet.firstCode, sheet.rows, kCharDotsAcross, cells, drawn);
  }
  for (const CellSheet& sheet : kCellSheets) {
    readSheet(sheet.firstCode, sheet.rows, kCellDotsAcross, cells, drawn);
  }

  auto place = [&](int code, const DotCell& cell) {
    if (drawn[code]) badArt(code, "drawn twice");
    drawn[code] = true;
    cells[code] = cell;
  };
  // 128..135: lower eighths, one to eight dot rows from the bottom (bar graphs).
  for (int n = 1; n <= 8; ++n) place(127 + n, block(0, 8 - n, 5, 7));
  // 136..141: left sixths, one to six dot columns.
  for (int n = 1; n <= 6; ++n) place(135 + n, block(0, 0, n - 1, 7));
  place(142, block(0, 0, 5, 3));  // upper half
  place(143, block(3, 0, 5, 7));  // right half
  // 144..158: quadrant blocks; bit 0 top-left, bit 1 top-right, bit 2 bottom-left,
  // bit 3 bottom-right.
  for (int mask = 1; mask <= 15; ++mask) {
    DotCell cell;
    if (mask & 1) cell = merged(cell, block(0, 0, 2, 3));
    if (mask & 2) cell = merged(cell, block(3, 0, 5, 3));
    if (mask & 4) cell = merged(cell, block(0, 4, 2, 7));
    if (mask & 8) cell = merged(cell, block(3, 4, 5, 7));
    place(143 + mask, cell);
  }
  place(159, block(0, 0, 5, 0));  // upper eighth
  // 160..163: light, medium and dark shade, full block.
  for (int level = 1; level <= 3; ++level) place(159 + level, shade(level));
  place(163, block(0, 0, 5, 7));
  // 164..174: single box lines: horizontal, vertical, corners down-right, down-left, up-right,
  // up-left, tees right, left, down, up, and the cross.
  const unsigned singleLines[] = {kLeft | kRight,
                                  kUp | kDown,
                                  kRight | kDown,
                                  kLeft | kDown,
                                  kUp | kRight,
                                  kUp | kLeft,
                                  kUp | kDown | kRight,
                                  kUp | kDown | kLeft,
                                  kLeft | kRight | kDown,
                                  kLeft | kRight | kUp,
                                  kUp | kDown | kLeft | kRight};
  for (int i = 0; i < 11; ++i) place(164 + i, boxLines(singleLines[i]));
  // 175..185 are the double lines above; 186..189: rounded corners down-right, down-left,
  // up-left, up-right.
  place(186, roundedCorner(kRight | kDown));
  place(187, roundedCorner(kLeft | kDown));
  place(188, roundedCorner(kUp | kLeft));
  place(189, roundedCorner(kUp | kRight));
  // 224..255: inverse video of 64..95 (@, A to Z, [ \ ] ^ _), for highlighted text.
  for (int i = 0; i < 32; ++i) place(224 + i, cells[64 + i].inverted());

  for (int code = 0; code < kGlyphCount; ++code) {
    if (!drawn[code]) badArt(code, "no glyph");
  }
  return cells;
}

}  // namespace brelvoxan::glyphs
