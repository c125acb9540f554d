#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "reversi/board.h"
#include "reversi/perft.h"
#include "tests/board_text.h"

namespace brelvoxan {
namespace {

using testing::boardFromText;
using testing::TextOrder;
using Runs = std::array<int16_t, 8>;

std::vector<std::pair<int, int>> legalSquares(const Board& b, Side side) {
  std::vector<std::pair<int, int>> squares;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      if (b.at(x, y) == kEmpty && isLegalMove(b, x, y, side)) squares.emplace_back(x, y);
    }
  }
  return squares;
}

void play(Board& b, int x, int y, Side side) {
  const FlipScan scan = scanFlips(b, x, y, side);
  b.at(x, y) = side;
  applyFlips(b, scan, x, y, side);
}

TEST(RulesTest, ScansTurnOnlyClosedRuns) {
  Board start;
  resetBoard(start);
  EXPECT_EQ(legalSquares(start, kBlack),
            (std::vector<std::pair<int, int>>{{3, 4}, {4, 3}, {5, 6}, {6, 5}}));
  EXPECT_EQ(scanFlips(start, 3, 4, kBlack).flipRun, (Runs{0, 0, 0, 0, 1, 0, 0, 0}));

  // From (1,1): the row runs into the wall, the column into an empty square; only the diagonal
  // is closed. Beside an own stone only, or beside nothing, is no move.
  Board b =
      boardFromText(".OOOOOOO OO...... O.O..... O..X.... O....... O....... O....... ........");
  const FlipScan scan = scanFlips(b, 1, 1, kBlack);
  EXPECT_EQ(scan.flipDirections, 1);
  EXPECT_EQ(scan.flipRun, (Runs{0, 0, 0, 0, 0, 0, 0, 2}));
  play(b, 1, 1, kBlack);
  EXPECT_EQ(b.cells, boardFromText("XOOOOOOO OX...... O.X..... O..X.... O....... O....... O....... "
                                   "........")
                         .cells);
  EXPECT_FALSE(isLegalMove(b, 5, 5, kBlack));
  EXPECT_FALSE(isLegalMove(b, 8, 8, kBlack));

  // Seven closed runs of 2 or 3 stones, the eighth open to the wall; written by columns.
  b = boardFromText("X..X..X. .O.O.O.. ..OOO... XOO.OOOO ..OOO... .O.O.O.. X..O..O. ...X...X",
                    TextOrder::kColumnMajor);
  EXPECT_EQ(scanFlips(b, 4, 4, kBlack).flipDirections, 7);
  EXPECT_EQ(scanFlips(b, 4, 4, kBlack).flipRun, (Runs{2, 2, 2, 2, 3, 2, 0, 3}));
  play(b, 4, 4, kBlack);
  EXPECT_EQ(b.cells, boardFromText("X..X..X. .X.X.X.. ..XXX... XXXXOOOO ..XXX... .X.X.X.. X..X..X. "
                                   "...X...X",
                                   TextOrder::kColumnMajor)
                         .cells);
}

// Random games: both legality tests agree everywhere, the counts follow the runs turned, and
// the wall survives to the end.
TEST(RulesTest, RandomGamesKeepRulesConsistentAndWallIntact) {
  std::mt19937 rng(12345);
  for (int game = 0; game < 200; ++game) {
    Board b;
    resetBoard(b);
    Side side = kBlack;
    for (int passes = 0; passes < 2; side = static_cast<Side>(-side)) {
      const auto moves = legalSquares(b, side);
      for (int i = 11; i <= 88; ++i) {
        const int x = i / 10, y = i % 10;
        if (y < 1 || y > 8 || b.at(x, y) != kEmpty) continue;
        ASSERT_EQ(isLegalMove(b, x, y, side), scanFlips(b, x, y, side).flipDirections >= 1);
      }
      ASSERT_EQ(hasAnyLegalMove(b, side), !moves.empty());
      passes = moves.empty() ? passes + 1 : 0;
      if (moves.empty()) continue;
      const auto [x, y] = moves[rng() % moves.size()];
      int turned = 0;
      for (int16_t run : scanFlips(b, x, y, side).flipRun) turned += run;
      const StoneCounts before = countStones(b);
      play(b, x, y, side);
      const StoneCounts after = countStones(b);
      ASSERT_EQ((after.black - before.black) * side, turned + (side == kBlack ? 1 : 0));
      ASSERT_EQ(after.black + after.white, before.black + before.white + 1);
    }
    for (int i = 0; i <= 9; ++i) {
      ASSERT_TRUE(b.at(i, 0) == kWall && b.at(i, 9) == kWall && b.at(0, i) == kWall &&
                  b.at(9, i) == kWall);
    }
  }
}

TEST(RulesTest, PerftCountsPassesAndEndedGames) {
  // Neither side can move although a square is empty: one leaf at any depth.
  Board blocked = boardFromText("XO" + std::string(61, 'X') + ".");
  EXPECT_FALSE(hasAnyLegalMove(blocked, kBlack) || hasAnyLegalMove(blocked, kWhite));
  EXPECT_EQ(perft(blocked, kWhite, 10), 1u);
  // White must pass, then Black has (3,1) and (6,1): the pass takes a ply.
  Board pass = boardFromText("XO....OX" + std::string(56, '.'));
  EXPECT_FALSE(hasAnyLegalMove(pass, kWhite));
  EXPECT_EQ(perft(pass, kWhite, 1), 1u);
  EXPECT_EQ(perft(pass, kWhite, 4), 2u);

  const uint64_t expected[] = {4, 12, 56, 244, 1396, 8200, 55092, 390216, 3005288};
  Board b;
  resetBoard(b);
  const Board start = b;
  for (int depth = 1; depth <= 9; ++depth) {
    EXPECT_EQ(perft(b, kBlack, depth), expected[depth - 1]) << "depth " << depth;
  }
  EXPECT_EQ(b.cells, start.cells);
}

#ifndef NDEBUG
// Off-board squares would walk outside the array; debug builds stop at the call.
TEST(RulesDeathTest, OffBoardSquaresAreRejectedInDebugBuilds) {
  Board b;
  resetBoard(b);
  EXPECT_DEATH(isLegalMove(b, 0, 4, kBlack), "");
  EXPECT_DEATH(scanFlips(b, 4, 9, kBlack), "");
}
#endif

}  // namespace
}  // namespace brelvoxan
