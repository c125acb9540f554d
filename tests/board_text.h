// Test positions as text: 'X' black, 'O' white, '.' empty, spaces ignored. Row-major text (the
// default) gives the rows top to bottom, each left to right, as the board looks on screen, e.g.
// "...OX... ..." with a space between rows; column-major text gives the columns left to right,
// each top to bottom, the order of the game's own board loops. The border is always wall.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

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

}  // namespace brelvoxan::testing
