// The character screen, the dot graphics and the status panel, drawn through the real glyphs and
// read back from the back buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "game/game_state.h"
#include "game/status_panel.h"
#include "host/headless/headless.h"
#include "screen/character_screen.h"
#include "screen/dot_graphics.h"
#include "tests/game_harness.h"

namespace brelvoxan::testing {
namespace {

namespace headless = host::headless;
using reader::Dot;

class Display : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::reset();
    startUpDisplay(screen);
    screen.clearScreen();
  }

  Game game;
  CharacterScreen screen;

  // The dots of a rectangle as text, '#' set, '.' clear, '?' unknown, rows joined with '/'.
  static std::string dots(int x1, int y1, int x2, int y2) {
    const reader::Screen s = readDisplay();
    std::string text;
    for (int y = y1; y <= y2; ++y) {
      if (y != y1) text += '/';
      for (int x = x1; x <= x2; ++x)
        text += "#.?"[s.dot(x, y) == Dot::kSet ? 0 : s.dot(x, y) == Dot::kClear ? 1 : 2];
    }
    return text;
  }

  static int setDots(int x1, int y1, int x2, int y2) {
    const std::string text = dots(x1, y1, x2, y2);
    return static_cast<int>(std::count(text.begin(), text.end(), '#'));
  }
};

TEST_F(Display, GlyphsLoadFromTheResourceFolder) {
  for (int code = 0; code < 256; ++code) EXPECT_EQ(screen.glyphPresent[code], 1) << code;
  EXPECT_EQ(screen.glyphImages[kBlankGlyph].bitmapWidth(), 30);
  EXPECT_EQ(screen.glyphImages[kBlankGlyph].bitmapHeight(), 48);
  EXPECT_EQ(screen.glyphImages[1].bitmapWidth(), 5);
  EXPECT_EQ(screen.glyphImages[1].bitmapHeight(), 6);
}

TEST_F(Display, PrintingUpperCasesWrapsAndNeverScrolls) {
  screen.locate(0, 0);
  screen.printText("abc");
  EXPECT_EQ(readDisplay().textRow(0).substr(0, 3), "ABC");

  screen.locate(23, 2);
  screen.printText("x");
  EXPECT_EQ(screen.textColumn, 0);
  EXPECT_EQ(screen.textRow, 3);

  // Twenty-five characters from row 5: the 25th lands over the first.
  screen.locate(0, 5);
  screen.printText("ABCDEFGHIJKLMNOPQRSTUVWXY");
  EXPECT_EQ(readDisplay().textRow(5), "YBCDEFGHIJKLMNOPQRSTUVWX");
  EXPECT_EQ(screen.textColumn, 1);
  EXPECT_EQ(screen.textRow, 5);
}

TEST_F(Display, CellsBeyondTheLastColumnStillDrawInTheBackBuffer) {
  const uint32_t blank = headless::backBuffer().at(900, 48);
  screen.locate(30, 1);
  screen.printText("#");
  EXPECT_NE(headless::backBuffer().at(900 + 2, 48 + 2), blank);
  EXPECT_EQ(screen.textColumn, 0);
  EXPECT_EQ(screen.textRow, 2);
}

TEST_F(Display, ClearScreenCoversSevenRowsAndHomesTheCursor) {
  screen.locate(5, 4);
  screen.printText("HELLO");
  screen.clearScreen();
  const reader::Screen s = readDisplay();
  for (int row = 0; row < 6; ++row) EXPECT_EQ(s.textRow(row), std::string(24, ' '));
  const headless::Pixels& back = headless::backBuffer();
  EXPECT_NE(back.at(719, 335), 0u);  // row 6, one more than the cursor reaches
  EXPECT_EQ(back.at(720, 0), 0u);
  EXPECT_EQ(back.at(0, 336), 0u);
  EXPECT_EQ(screen.textColumn, 0);
  EXPECT_EQ(screen.textRow, 0);
}

TEST_F(Display, AMissingGlyphPrintsAsBlank) {
  screen.glyphPresent['Q'] = 0;
  screen.locate(0, 0);
  screen.printText("AQB");
  EXPECT_EQ(readDisplay().textRow(0).substr(0, 3), "A B");
  EXPECT_EQ(screen.textColumn, 3);
}

TEST_F(Display, LinesStepAndTruncateDownwards) {
  drawLine(screen, 0, 0, 3, 1, 1);
  EXPECT_EQ(dots(0, 0, 3, 1), "###./...#");
  screen.clearScreen();
  drawLine(screen, 2, 2, 2, 2, 1);  // a point to itself draws nothing
  EXPECT_EQ(setDots(0, 0, 5, 5), 0);
  // Reversed horizontal, vertical and diagonal lines set the same dots.
  for (auto [x1, y1, x2, y2] : {std::array<int, 4>{1, 3, 9, 3}, {4, 0, 4, 7}, {0, 0, 6, 6}}) {
    screen.clearScreen();
    drawLine(screen, x1, y1, x2, y2, 1);
    const std::string forward = dots(0, 0, 10, 8);
    screen.clearScreen();
    drawLine(screen, x2, y2, x1, y1, 1);
    EXPECT_EQ(dots(0, 0, 10, 8), forward);
  }
}

TEST_F(Display, DotsOutsideThePlaneAreDropped) {
  plotDot(screen, -0.5, 0, 1);
  plotDot(screen, 640.5, 0, 1);
  EXPECT_EQ(setDots(0, 0, 143, 47), 0);
  // Inside the bounds but beyond the display: it lands in the screen-sized back buffer.
  const uint32_t before = headless::backBuffer().at(500, 300);
  plotDot(screen, 100, 50, 1);
  EXPECT_NE(headless::backBuffer().at(500, 300), before);
  plotDot(screen, 640, 480, 1);    // beyond the back buffer: lost without harm
  fillBox(screen, 3, 3, 3, 6, 1);  // zero width must not hang
  EXPECT_EQ(dots(3, 3, 3, 6), "#/#/#/#");
}

TEST_F(Display, StonesAndTheBoardEdge) {
  drawStone(screen, 1, 1, kBlack);
  drawStone(screen, 7, 1, kWhite);
  EXPECT_EQ(setDots(1, 1, 5, 5), 21);
  EXPECT_EQ(setDots(7, 1, 11, 5), 12);
  EXPECT_EQ(dots(7, 1, 11, 5), ".###./#...#/#...#/#...#/.###.");
  drawLine(screen, 49, 0, 49, 48, 1);
  std::string column = "#";
  for (int row = 1; row <= 48; ++row) column += "/#";
  EXPECT_EQ(dots(49, 0, 49, 48), column);
}

TEST_F(Display, NewGameScreenAndItsCounts) {
  resetBoard(game.board);
  drawNewGameBoard(game, screen);
  refreshStoneCentres(game, screen);
  game.sideToMove = kBlack;
  screen.locate(kStatusColumn, 0);
  screen.printText("You (");
  printSideName(screen, game.sideToMove);
  const reader::Screen s = readDisplay();
  EXPECT_EQ(s.textRow(0).substr(9), "YOU (BLACK)    ");
  EXPECT_EQ(s.textRow(3).substr(10, 2), " 2");
  EXPECT_EQ(s.textRow(4).substr(10, 2), " 2");
  EXPECT_EQ(s.boardRow(4), "...OX...");
  EXPECT_EQ(s.boardRow(5), "...XO...");
  EXPECT_EQ(s.boardRow(1), "........");
  EXPECT_FALSE(s.cursor().has_value());
  EXPECT_EQ(game.blackCount, 2);
  EXPECT_EQ(game.whiteCount, 2);

  // "CPU (" and "White)" overwrite the same eleven cells.
  game.sideToMove = kWhite;
  screen.locate(kStatusColumn, 0);
  screen.printText("CPU (");
  printSideName(screen, game.sideToMove);
  EXPECT_EQ(readDisplay().textRow(0).substr(9), "CPU (WHITE)    ");
}

TEST_F(Display, CountsAreRightAlignedWithoutStaleDigits) {
  // In this order: 9 over 10 must not leave the 1 behind.
  const struct {
    int16_t row;
    int16_t count;
    const char* shown;
  } kCounts[] = {{3, 10, "10"}, {3, 9, " 9"}, {4, 0, " 0"}, {4, 64, "64"}};
  for (const auto& c : kCounts) {
    screen.locate(10, c.row);
    printCount(screen, c.count);
    EXPECT_EQ(readDisplay().textRow(c.row).substr(10, 2), c.shown) << c.count;
  }
}

TEST_F(Display, TheMessageRowsClearFromColumnNineToTwentyTwo) {
  for (int row = 1; row <= 2; ++row) {
    screen.locate(0, static_cast<int16_t>(row));
    screen.printText("########################");
  }
  clearMessageRows(screen);
  const reader::Screen s = readDisplay();
  EXPECT_EQ(s.textRow(1), "#########              #");
  EXPECT_EQ(s.textRow(2), "#########              #");
}

TEST_F(Display, TheSweepTurnsStonesAndCountsThem) {
  resetBoard(game.board);
  drawNewGameBoard(game, screen);
  refreshStoneCentres(game, screen);
  const uint64_t before = headless::clockMs();
  game.board.at(4, 3) = kBlack;
  drawStone(screen, 19, 13, kBlack);
  applyFlips(game.board, scanFlips(game.board, 4, 3, kBlack), 4, 3, kBlack);
  const StoneCounts counts = refreshStoneCentres(game, screen);
  EXPECT_EQ(headless::clockMs() - before, 640u);
  EXPECT_EQ(counts.black, 4);
  EXPECT_EQ(counts.white, 1);
  const reader::Screen s = readDisplay();
  EXPECT_EQ(s.boardRow(3), "...X....");
  EXPECT_EQ(s.boardRow(4), "...XX...");
  EXPECT_EQ(s.textRow(3).substr(10, 2), " 4");
  EXPECT_EQ(s.textRow(4).substr(10, 2), " 1");
}

TEST_F(Display, TheCursorBoxFramesASquareAndErases) {
  cursorBox(screen, 3, 5, 1);
  EXPECT_EQ(readDisplay().cursor(), (std::array<int, 2>{3, 5}));
  EXPECT_EQ(setDots(12, 24, 18, 30), 24);
  cursorBox(screen, 3, 5, 0);
  EXPECT_FALSE(readDisplay().cursor().has_value());
  EXPECT_EQ(setDots(0, 0, 143, 47), 0);
}

}  // namespace
}  // namespace brelvoxan::testing
