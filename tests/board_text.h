// Test positions as text: 'X' black, 'O' white, '.' empty, spaces ignored. Row-major text (the
// default) gives the rows top to bottom, each left to right, as the board looks on screen, e.g.
// "...OX... ..." with a space between rows; column-major text gives the columns left to right,
// each top to bottom, the order of the game's own board loops. The border is always wall.
#pragma once

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "reversi/board.h"

namespace brelvoxan::testing {

enum class TextOrder { kRowMajor, kColumnMajor };

inline Board boardFromText(std::string_view text, TextOrder order = TextOrder::kRowMajor) {
  Board b;
  resetBoard(b);
  int i = 0;
  for (char c : text) {
    if (c == ' ') continue;
    EXPECT_TRUE(i < 64 && (c == 'X' || c == 'O' || c == '.')) << "bad text: " << text;
    if (i >= 64) break;
    const int major = i / 8 + 1, minor = i % 8 + 1;
    Cell& cell = order == TextOrder::kRowMajor ? b.at(minor, major) : b.at(major, minor);
    cell = c == 'X' ? kBlack : c == 'O' ? kWhite : kEmpty;
    ++i;
  }
  EXPECT_EQ(i, 64) << "bad text: " << text;
  return b;
}

// A legal square for `side` on `b` drawn by `rng`; `side` must have one.
inline std::pair<int, int> randomLegalSquare(const Board& b, Side side, std::mt19937& rng) {
  int x, y;
  do {
    x = static_cast<int>(rng() % 8) + 1;
    y = static_cast<int>(rng() % 8) + 1;
  } while (b.at(x, y) != kEmpty || !isLegalMove(b, x, y, side));
  return {x, y};
}

// The legal square for `side` on `b` that comes last in column order; (0, 0) when none.
inline std::pair<int, int> lastLegalSquare(const Board& b, Side side) {
  std::pair<int, int> last{0, 0};
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      if (b.at(x, y) == kEmpty && isLegalMove(b, x, y, side)) last = {x, y};
    }
  }
  return last;
}

// Places a stone of `side` at a legal (x, y) and turns what it takes.
inline void playSquare(Board& b, int x, int y, Side side) {
  const FlipScan scan = scanFlips(b, x, y, side);
  b.at(x, y) = side;
  applyFlips(b, scan, x, y, side);
}

}  // namespace brelvoxan::testing
