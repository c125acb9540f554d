#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "reversi/board.h"
#include "reversi/cpu_player.h"
#include "tests/board_text.h"

namespace brelvoxan {
namespace {

using testing::boardFromText;
using Names = std::vector<std::string>;

class CpuTest : public ::testing::Test {
 protected:
  // Decides on `b`, checks the board is left as it was, and names the candidates "x,y=score"
  // with the chosen one last.
  static Names decide(Board b, Side side) {
    const Board before = b;
    const CpuDecision d = decideCpuMove(b, side);
    EXPECT_EQ(b.cells, before.cells);
    EXPECT_EQ(d.pass, d.candidates.empty());
    Names out;
    for (const MoveCandidate& c : d.candidates) out.push_back(name(c));
    if (!d.pass) out.push_back("best " + name(d.best));
    return out;
  }
  static std::string name(const MoveCandidate& c) {
    return std::to_string(c.x) + "," + std::to_string(c.y) + "=" + std::to_string(c.score);
  }
};

TEST_F(CpuTest, ChoosesFirstBestCandidateAndPassesWithoutOne) {
  Board b;
  resetBoard(b);
  EXPECT_EQ(decide(b, kBlack), (Names{"3,4=-3", "4,3=-3", "5,6=-3", "6,5=-3", "best 3,4=-3"}));
  const FlipScan scan = scanFlips(b, 4, 3, kBlack);
  b.at(4, 3) = kBlack;
  applyFlips(b, scan, 4, 3, kBlack);
  EXPECT_EQ(decide(b, kWhite), (Names{"3,3=1", "3,5=0", "5,3=0", "best 3,3=1"}));
  // Equal scores in one column: the smaller row.
  b = boardFromText("........ ........ .OX..... ........ ........ .OX..... ........ ........");
  EXPECT_EQ(decide(b, kBlack), (Names{"1,3=0", "1,6=0", "best 1,3=0"}));
  EXPECT_EQ(decide(boardFromText("XO....OX" + std::string(56, '.')), kWhite), Names{});
}

TEST_F(CpuTest, TakenCornersReweighTheirNeighboursForOneEvaluationOnly) {
  const auto table = kSquareWeights;
  // Corners: (1,1) own beside own stones, (1,8) the opponent's beside own stones, (8,1) own
  // beside the opponent's, (8,8) free beside own stones.
  const Board b =
      boardFromText("XX....OX XX....OO ........ ........ ........ ........ XX....XX OX....X.");
  EXPECT_EQ(evaluateBoard(b, kBlack),
            (60 + 30 + 30 + 10) + (-60 + 30 + 30 + 10) + (60 - 30 - 30 - 10) + (-20 - 20 - 40));
  EXPECT_EQ(evaluateBoard(b, kWhite), -50);
  EXPECT_EQ(kSquareWeights, table);
  EXPECT_EQ(evaluateBoard(boardFromText(".X" + std::string(62, '.')), kBlack), -20);
  // The trial move that takes a corner is scored with the corner taken.
  EXPECT_EQ(decide(boardFromText(".OX" + std::string(61, '.')), kBlack),
            (Names{"1,1=90", "best 1,1=90"}));
  EXPECT_EQ(kSquareWeights, table);

  int absoluteSum = 0;
  for (int16_t w : kSquareWeights) absoluteSum += std::abs(w);
  EXPECT_EQ(absoluteSum, 636);
}

}  // namespace
}  // namespace brelvoxan
