// The screen reader on buffers composed here from synthetic glyphs, its picture files, and its
// agreement with the committed glyph set.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/reader/screen_reader.h"

namespace brelvoxan::reader {
namespace {

constexpr uint32_t kPaper = 0xB8C4A0;
constexpr uint32_t kGrid = 0xA8B490;
constexpr uint32_t kInk = 0x283020;

// Two dot tiles that differ only inside, as a real LCD dot would.
Pixels dotTile(bool set) {
  Pixels tile{kDotWidth, kDotHeight, std::vector<uint32_t>(kDotWidth * kDotHeight, kPaper)};
  for (int y = 0; y < kDotHeight; ++y) tile.data[static_cast<size_t>(y * kDotWidth + 4)] = kGrid;
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 4; ++x) {
      if (set) tile.data[static_cast<size_t>(y * kDotWidth + x)] = kInk;
    }
  }
  return tile;
}

// Copies the picture with its top-left corner at (x, y), clipped to the target.
void blit(Pixels& target, const Pixels& picture, int x, int y) {
  for (int row = 0; row < picture.height; ++row) {
    for (int col = 0; col < picture.width; ++col) {
      if (x + col >= target.width || y + row >= target.height) continue;
      target.data[static_cast<size_t>((y + row) * target.width + x + col)] = picture.at(col, row);
    }
  }
}

// A cell glyph from eight rows of six dots, '#' set.
Pixels cellGlyph(const std::vector<std::string>& rows) {
  Pixels cell{kCellWidth, kCellHeight, std::vector<uint32_t>(kCellWidth * kCellHeight)};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 6; ++x) {
      blit(cell, dotTile(rows[static_cast<size_t>(y)][static_cast<size_t>(x)] == '#'),
           x * kDotWidth, y * kDotHeight);
    }
  }
  return cell;
}

const std::vector<std::string> kBlankRows(8, "......");
const std::vector<std::string> kLetterA = {".###..", "#...#.", "#...#.", "#####.",
                                           "#...#.", "#...#.", "#...#.", "......"};
const std::vector<std::string> kLetterB = {"####..", "#...#.", "#...#.", "####..",
                                           "#...#.", "#...#.", "####..", "......"};
const std::vector<std::string> kBell = {"..#...", ".###..", ".###..", ".###..",
                                        "#####.", "......", "..#...", "......"};

GlyphSet syntheticGlyphs() {
  GlyphSet glyphs;
  glyphs.setPicture(0, dotTile(false));
  glyphs.setPicture(1, dotTile(true));
  glyphs.setPicture(32, cellGlyph(kBlankRows));
  glyphs.setPicture('A', cellGlyph(kLetterA));
  glyphs.setPicture('B', cellGlyph(kLetterB));
  glyphs.setPicture(7, cellGlyph(kBell));
  // Duplicates of other pictures: the reader must settle on the printable, then lowest, code.
  glyphs.setPicture(160, cellGlyph(kBlankRows));
  glyphs.setPicture('a', cellGlyph(kLetterA));
  glyphs.setPicture(200, cellGlyph(kLetterB));
  glyphs.setPicture(5, cellGlyph(kBell));
  return glyphs;
}

// A back buffer larger than the display (as the real one is), black, with every text row the
// game clears (seven of them) blanked.
Pixels clearedBuffer(const GlyphSet& glyphs, int width = 800, int height = 400) {
  Pixels buffer{width, height, std::vector<uint32_t>(static_cast<size_t>(width * height), 0)};
  for (int row = 0; row < 7; ++row) {
    for (int col = 0; col < kTextColumns; ++col) {
      blit(buffer, *glyphs.picture(32), col * kCellWidth, row * kCellHeight);
    }
  }
  return buffer;
}

void putDot(Pixels& buffer, int x, int y, bool set) {
  blit(buffer, dotTile(set), x * kDotWidth, y * kDotHeight);
}

void putStone(Pixels& buffer, int squareX, int squareY, bool black) {
  const int left = (squareX - 1) * 6 + 1;
  const int top = (squareY - 1) * 6 + 1;
  for (int i = 1; i <= 3; ++i) {
    putDot(buffer, left + i, top, true);
    putDot(buffer, left + i, top + 4, true);
    putDot(buffer, left, top + i, true);
    putDot(buffer, left + 4, top + i, true);
    for (int j = 1; j <= 3; ++j) putDot(buffer, left + i, top + j, black);
  }
}

void putCursorBox(Pixels& buffer, int squareX, int squareY) {
  const int left = (squareX - 1) * 6;
  const int top = (squareY - 1) * 6;
  for (int i = 0; i <= 6; ++i) {
    putDot(buffer, left + i, top, true);
    putDot(buffer, left + i, top + 6, true);
    putDot(buffer, left, top + i, true);
    putDot(buffer, left + 6, top + i, true);
  }
}

TEST(ScreenReaderText, CellsReadAsCodesAndCharacters) {
  const GlyphSet glyphs = syntheticGlyphs();
  Pixels buffer = clearedBuffer(glyphs);
  blit(buffer, cellGlyph(kLetterA), 0, 0);
  blit(buffer, cellGlyph(kLetterB), 30, 0);
  blit(buffer, cellGlyph(kBell), 60, 0);
  blit(buffer, cellGlyph(kLetterA), 23 * 30, 5 * 48);
  // A cell whose picture no glyph has: one dot of 'A' turned off.
  std::vector<std::string> damaged = kLetterA;
  damaged[0][1] = '.';
  blit(buffer, cellGlyph(damaged), 90, 0);
  // A cell half shifted: its pixels straddle two cells.
  blit(buffer, cellGlyph(kLetterB), 4 * 30 + 15, 48);

  const Screen screen = readScreen(buffer, glyphs);
  EXPECT_EQ(screen.codes[0][0], 'A');
  EXPECT_EQ(screen.codes[0][1], 'B');
  EXPECT_EQ(screen.codes[0][2], 5);  // bell picture, lowest of two non-printable codes
  EXPECT_EQ(screen.codes[0][3], kNoGlyph);
  EXPECT_EQ(screen.codes[0][4], 32);  // not 160
  EXPECT_EQ(screen.textRow(0), "AB??                    ");
  EXPECT_EQ(screen.textRow(1), "    ??                  ");
  EXPECT_EQ(screen.textRow(5), "                       A");
  EXPECT_EQ(screen.textRow(6), "");
}

TEST(ScreenReaderText, OutsideTheBufferNothingMatches) {
  const GlyphSet glyphs = syntheticGlyphs();
  // Exactly the display: the dot row below it cannot be read, the display can.
  const Screen exact = readScreen(clearedBuffer(glyphs, kDisplayWidth, kDisplayHeight), glyphs);
  EXPECT_EQ(exact.textRow(5), std::string(24, ' '));
  EXPECT_EQ(exact.dot(143, 47), Dot::kClear);
  EXPECT_EQ(exact.dot(0, 48), Dot::kUnknown);

  // Narrower and shorter than the display, and empty.
  const Screen small = readScreen(clearedBuffer(glyphs, 100, 50), glyphs);
  EXPECT_EQ(small.textRow(0), "   ?????????????????????");
  EXPECT_EQ(small.textRow(1), std::string(24, '?'));
  EXPECT_EQ(small.dot(19, 7), Dot::kClear);
  EXPECT_EQ(small.dot(20, 7), Dot::kUnknown);
  const Screen empty = readScreen(Pixels{}, glyphs);
  EXPECT_EQ(empty.textRow(0), std::string(24, '?'));
  EXPECT_EQ(empty.boardRow(1), "????????");
  EXPECT_FALSE(empty.cursor());

  // Without dot pictures no dot can be read, though text still can.
  GlyphSet noDots = syntheticGlyphs();
  noDots.setPicture(1, cellGlyph(kBlankRows));
  const Screen blind = readScreen(clearedBuffer(glyphs), noDots);
  EXPECT_EQ(blind.dot(0, 0), Dot::kUnknown);
  EXPECT_EQ(blind.textRow(0), std::string(24, ' '));
}

TEST(ScreenReaderText, ReplacedPictureNoLongerMatchesOldCells) {
  GlyphSet glyphs = syntheticGlyphs();
  Pixels buffer = clearedBuffer(glyphs);
  blit(buffer, cellGlyph(kLetterA), 0, 0);
  glyphs.setPicture('A', cellGlyph(kBell));
  glyphs.setPicture('a', dotTile(true));  // not cell-sized: drops out of cell matching
  EXPECT_EQ(readScreen(buffer, glyphs).codes[0][0], kNoGlyph);
  EXPECT_EQ(glyphs.matchCell(buffer, 60, 0), 32);
}

TEST(ScreenReaderBoard, StonesEmptySquaresAndDamage) {
  const GlyphSet glyphs = syntheticGlyphs();
  Pixels buffer = clearedBuffer(glyphs);
  putStone(buffer, 4, 4, false);
  putStone(buffer, 5, 4, true);
  putStone(buffer, 4, 5, true);
  putStone(buffer, 5, 5, false);
  putStone(buffer, 1, 8, true);
  putStone(buffer, 8, 1, false);
  // Square (2, 2): a black stone missing one outline dot; (3, 3): one stray dot; (4, 2): the
  // possible-move mark, its middle dot alone; (6, 6): a centre half set; (7, 7): a dot of
  // unknown picture.
  putStone(buffer, 2, 2, true);
  putDot(buffer, 6 + 1 + 2, 6 + 1, false);
  putDot(buffer, 12 + 2, 12 + 3, true);
  putDot(buffer, 18 + 3, 6 + 3, true);
  putStone(buffer, 6, 6, true);
  putDot(buffer, 30 + 3, 30 + 3, false);
  blit(buffer, Pixels{5, 6, std::vector<uint32_t>(30, 0x123456)}, (36 + 2) * 5, (36 + 2) * 6);
  // Dots between squares belong to no stone.
  putDot(buffer, 24, 20, true);

  const Screen screen = readScreen(buffer, glyphs);
  EXPECT_EQ(screen.boardRow(1), ".......O");
  EXPECT_EQ(screen.boardRow(2), ".?.+....");
  EXPECT_EQ(screen.boardRow(3), "..?.....");
  EXPECT_EQ(screen.boardRow(4), "...OX...");
  EXPECT_EQ(screen.boardRow(5), "...XO...");
  EXPECT_EQ(screen.boardRow(6), ".....?..");
  EXPECT_EQ(screen.boardRow(7), "......?.");
  EXPECT_EQ(screen.boardRow(8), "X.......");
  EXPECT_EQ(screen.dot(38, 38), Dot::kUnknown);
  EXPECT_EQ(screen.square(0, 1), '?');
  EXPECT_EQ(screen.square(9, 1), '?');
  EXPECT_FALSE(screen.cursor());
}

TEST(ScreenReaderBoard, CursorBoxIncludingTheBottomRow) {
  const GlyphSet glyphs = syntheticGlyphs();
  Pixels buffer = clearedBuffer(glyphs);
  putStone(buffer, 1, 1, true);
  putCursorBox(buffer, 1, 1);
  Screen screen = readScreen(buffer, glyphs);
  ASSERT_TRUE(screen.cursor());
  EXPECT_EQ(*screen.cursor(), (std::array<int, 2>{1, 1}));
  EXPECT_EQ(screen.boardRow(1), "X.......");  // the box does not disturb the stone

  // The bottom edge of a box on row 8 lies just below the display.
  buffer = clearedBuffer(glyphs);
  putCursorBox(buffer, 8, 8);
  screen = readScreen(buffer, glyphs);
  ASSERT_TRUE(screen.cursor());
  EXPECT_EQ(*screen.cursor(), (std::array<int, 2>{8, 8}));

  // One missing dot of the outline (here the corner) means no box.
  putDot(buffer, 48, 48, false);
  EXPECT_FALSE(readScreen(buffer, glyphs).cursor());

  // A box outline two squares wide is no square's box.
  buffer = clearedBuffer(glyphs);
  for (int i = 0; i <= 12; ++i) {
    putDot(buffer, 12 + i, 12, true);
    putDot(buffer, 12 + i, 18, true);
  }
  for (int i = 0; i <= 6; ++i) {
    putDot(buffer, 12, 12 + i, true);
    putDot(buffer, 24, 12 + i, true);
  }
  EXPECT_FALSE(readScreen(buffer, glyphs).cursor());
}

TEST(ScreenReaderFormat, ReportBlock) {
  const GlyphSet glyphs = syntheticGlyphs();
  Pixels buffer = clearedBuffer(glyphs);
  blit(buffer, cellGlyph(kLetterA), 9 * 30, 0);
  blit(buffer, cellGlyph(kLetterB), 10 * 30, 0);
  putStone(buffer, 4, 4, false);
  putStone(buffer, 5, 4, true);
  std::string expected =
      "screen:\n"
      "|         AB             |\n"
      "|                        |\n"
      "|   ??                   |\n";  // the stones' cells are no glyphs
  for (int row = 3; row < 6; ++row) expected += "|" + std::string(24, ' ') + "|\n";
  expected += "board:\n........\n........\n........\n...OX...\n";
  expected += "........\n........\n........\n........\ncursor: none\n";
  EXPECT_EQ(formatScreen(readScreen(buffer, glyphs)), expected);

  putCursorBox(buffer, 3, 7);
  const std::string withBox = formatScreen(readScreen(buffer, glyphs));
  EXPECT_EQ(withBox.substr(withBox.rfind("cursor:")), "cursor: 3 7\n");
}

// --- Picture files ---------------------------------------------------------------------------

std::filesystem::path scratchDir(const std::string& name) {
  const std::filesystem::path dir =
      std::filesystem::path(BRELVOXAN_BINARY_DIR) / "screen_reader_test" / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// A 24-bit BMP written by hand: rows bottom to top, blue-green-red, each row padded to 4 bytes.
void writeBmp24(const std::filesystem::path& path, const Pixels& picture) {
  const uint32_t rowBytes = (static_cast<uint32_t>(picture.width) * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(picture.height);
  std::vector<uint8_t> bytes = {'B', 'M'};
  auto put32 = [&bytes](uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto put16 = [&bytes](uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  };
  put32(54 + imageBytes);
  put32(0);
  put32(54);
  put32(40);
  put32(static_cast<uint32_t>(picture.width));
  put32(static_cast<uint32_t>(picture.height));
  put16(1);
  put16(24);
  for (int i = 0; i < 6; ++i) put32(0);
  for (int y = picture.height - 1; y >= 0; --y) {
    const size_t start = bytes.size();
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t p = picture.at(x, y);
      bytes.push_back(static_cast<uint8_t>(p));
      bytes.push_back(static_cast<uint8_t>(p >> 8));
      bytes.push_back(static_cast<uint8_t>(p >> 16));
    }
    while (bytes.size() - start < rowBytes) bytes.push_back(0);
  }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

TEST(ScreenReaderFiles, GlyphDirectoryKeepsOrientationAndColours) {
  const std::filesystem::path dir = scratchDir("glyphs");
  writeBmp24(dir / "000.bmp", dotTile(false));
  writeBmp24(dir / "001.bmp", dotTile(true));
  // Not symmetric top to bottom, so a flipped decode would not read as 'A'.
  Pixels letter = cellGlyph(kLetterA);
  letter.data[0] = 0xFF0000;
  letter.data[letter.data.size() - 1] = 0x0000FF;
  writeBmp24(dir / "065.bmp", letter);
  std::ofstream(dir / "066.bmp") << "BM";                      // truncated
  std::ofstream(dir / "67.bmp") << "not three digits anyway";  // ignored name

  const GlyphSet glyphs = GlyphSet::loadFromDirectory(dir.string());
  EXPECT_EQ(glyphs.pictureCount(), 3);
  EXPECT_TRUE(glyphs.hasDotPictures());
  ASSERT_NE(glyphs.picture('A'), nullptr);
  EXPECT_EQ(glyphs.picture('A')->data, letter.data);
  EXPECT_EQ(glyphs.picture('B'), nullptr);
  EXPECT_EQ(glyphs.picture(32), nullptr);
  EXPECT_EQ(glyphs.picture(-1), nullptr);
  EXPECT_EQ(glyphs.picture(256), nullptr);

  Pixels buffer{kDisplayWidth, kDisplayHeight,
                std::vector<uint32_t>(kDisplayWidth * kDisplayHeight)};
  blit(buffer, letter, 30, 48);
  const Screen screen = readScreen(buffer, glyphs);
  EXPECT_EQ(screen.codes[1][1], 'A');
  EXPECT_EQ(screen.dot(6, 8), Dot::kUnknown);  // the red corner pixel
  EXPECT_EQ(screen.dot(7, 8), Dot::kSet);
  EXPECT_EQ(screen.dot(6, 9), Dot::kSet);

  EXPECT_EQ(GlyphSet::loadFromDirectory((dir / "missing").string()).pictureCount(), 0);
}

TEST(ScreenReaderFiles, PngOfARegionRoundTrips) {
  const std::filesystem::path dir = scratchDir("png");
  Pixels buffer{40, 30, std::vector<uint32_t>(40 * 30)};
  for (size_t i = 0; i < buffer.data.size(); ++i) {
    buffer.data[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFFu;
  }
  const std::string path = (dir / "region.png").string();
  ASSERT_TRUE(writePng(buffer, 7, 5, 20, 10, path));
  const std::optional<Pixels> read = readPictureFile(path);
  ASSERT_TRUE(read);
  ASSERT_EQ(read->width, 20);
  ASSERT_EQ(read->height, 10);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(read->at(x, y), buffer.at(7 + x, 5 + y)) << x << "," << y;
  }

  EXPECT_TRUE(writePng(buffer, 0, 0, 40, 30, path));
  EXPECT_FALSE(writePng(buffer, 21, 0, 20, 10, path));
  EXPECT_FALSE(writePng(buffer, 0, -1, 20, 10, path));
  EXPECT_FALSE(writePng(buffer, 0, 0, 0, 10, path));
  EXPECT_FALSE(writePng(buffer, 0, 0, 20, 10, (dir / "no" / "such" / "dir.png").string()));
  EXPECT_FALSE(readPictureFile((dir / "absent.png").string()));
}

// --- The committed glyph set -----------------------------------------------------------------

TEST(ScreenReaderGlyphSet, EveryPrintableGlyphReadsBackAsItself) {
  const std::string dir = std::string(BRELVOXAN_SOURCE_DIR) + "/res/bmp";
  if (!std::filesystem::exists(dir + "/000.bmp")) GTEST_SKIP() << "no glyph set in " << dir;
  const GlyphSet glyphs = GlyphSet::loadFromDirectory(dir);
  ASSERT_EQ(glyphs.pictureCount(), 256);
  ASSERT_TRUE(glyphs.hasDotPictures());
  EXPECT_NE(glyphs.picture(0)->data, glyphs.picture(1)->data);
  for (int code = 2; code < 256; ++code) {
    EXPECT_EQ(glyphs.picture(code)->width, kCellWidth) << code;
    EXPECT_EQ(glyphs.picture(code)->height, kCellHeight) << code;
  }

  // All printable glyphs side by side on one screen, 24 to a row.
  Pixels buffer{kDisplayWidth, 4 * kCellHeight,
                std::vector<uint32_t>(kDisplayWidth * 4 * kCellHeight)};
  for (int code = 32; code <= 126; ++code) {
    blit(buffer, *glyphs.picture(code), (code - 32) % 24 * kCellWidth,
         (code - 32) / 24 * kCellHeight);
  }
  const Screen screen = readScreen(buffer, glyphs);
  std::string read;
  for (int row = 0; row < 4; ++row) read += screen.textRow(row);
  std::string expected;
  for (int code = 32; code <= 126; ++code) expected += static_cast<char>(code);
  EXPECT_EQ(read.substr(0, expected.size()), expected);

  // Text and dots share one pitch: every tile of every cell glyph is a clear or set dot, and
  // the blank cell is all clear.
  for (int code = 2; code < 256; ++code) {
    int set = 0;
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 6; ++x) {
        const Dot dot = glyphs.matchDot(*glyphs.picture(code), x * kDotWidth, y * kDotHeight);
        ASSERT_NE(dot, Dot::kUnknown) << "glyph " << code << " dot " << x << "," << y;
        set += dot == Dot::kSet ? 1 : 0;
      }
    }
    if (code == 32) {
      EXPECT_EQ(set, 0);
    }
  }
}

}  // namespace
}  // namespace brelvoxan::reader
