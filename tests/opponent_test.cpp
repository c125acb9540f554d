#include <gtest/gtest.h>

#include <array>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "engine/bitboard.h"
#include "game/opponent.h"
#include "reversi/cpu_player.h"
#include "tests/game_harness.h"
#include "tools/sim/openings.h"
#include "tools/sim/sim_tools.h"

namespace brelvoxan {
namespace {

namespace headless = host::headless;
using testing::kKey2;
using testing::readDisplay;
using testing::ScriptedGame;

TEST(OpponentTest, LevelOneIsTheWeightTablePlayerAndHigherLevelsPlayLegalMoves) {
  std::mt19937 rng(13);
  Board b;
  resetBoard(b);
  Opponent one(1, 99);
  Opponent two(2, 99);
  for (Side side = kBlack;; side = static_cast<Side>(-side)) {
    const CpuDecision d = decideCpuMove(b, side);
    const ComputerMove first = one.choose(b, side);
    const ComputerMove second = two.choose(b, side);
    ASSERT_EQ(first.pass, d.pass);
    ASSERT_EQ(second.pass, d.pass);
    if (d.pass) {
      if (!hasAnyLegalMove(b, static_cast<Side>(-side))) break;
      continue;
    }
    EXPECT_TRUE(first.x == d.best.x && first.y == d.best.y);
    EXPECT_TRUE(isLegalMove(b, second.x, second.y, side));
    // Play a random legal move, so that the game covers many kinds of position.
    int x, y;
    do {
      x = static_cast<int>(rng() % 8) + 1;
      y = static_cast<int>(rng() % 8) + 1;
    } while (b.at(x, y) != kEmpty || !isLegalMove(b, x, y, side));
    const FlipScan scan = scanFlips(b, x, y, side);
    b.at(x, y) = side;
    applyFlips(b, scan, x, y, side);
  }
}

TEST(OpponentTest, ASearchingLevelThinksWithinTheWholePauseAndPlays) {
  ScriptedGame game;
  game.state.level = 3;
  game.state.seed = 5;
  game.state.thinkingTakesNoTime = true;
  game.keys = {kKey2};
  game.runFromStart();
  const reader::Screen s = readDisplay();
  // One of the four first moves, after the same pause and sweep as at level 1.
  EXPECT_EQ(headless::clockMs(), 20u + 640u + 700u + 640u);
  EXPECT_EQ(s.textRow(3).substr(10, 2), " 4");
  EXPECT_EQ(s.textRow(4).substr(10, 2), " 1");
  const std::array<int, 2> c = s.cursor().value_or(std::array<int, 2>{0, 0});
  const int x = c[0];
  const int y = c[1];
  EXPECT_TRUE((x == 3 && y == 4) || (x == 4 && y == 3) || (x == 5 && y == 6) || (x == 6 && y == 5))
      << x << "," << y;
}

// Every level goes through the game's opponent, which follows the game's level from one turn to
// the next: after a game at level 3, a game at level 1 plays the one-move-ahead player's move.
TEST(OpponentTest, TheGamesOpponentFollowsItsLevel) {
  Board start;
  resetBoard(start);
  const CpuDecision levelOne = decideCpuMove(start, kBlack);
  ScriptedGame game;
  game.state.thinkingTakesNoTime = true;
  game.state.seed = 2;
  game.state.level = 3;
  game.runFrom(start, kBlack, kWhite);
  ASSERT_TRUE(game.state.opponent);
  // Level 3 with this seed opens elsewhere, so the level-1 move below is not a coincidence.
  ASSERT_FALSE(game.state.cursorX == levelOne.best.x && game.state.cursorY == levelOne.best.y);
  ScriptedGame next;  // the same game state, its opponent included, in a fresh harness
  next.state = game.state;
  next.state.level = 1;
  next.runFrom(start, kBlack, kWhite);
  EXPECT_EQ(next.state.cursorX, levelOne.best.x);
  EXPECT_EQ(next.state.cursorY, levelOne.best.y);
}

TEST(SolveInputTest, ReadsPositionsAndRefusesMalformedLines) {
  const std::string board = "O--OOOOX-OOOOOOXOOXXOOOXOOXOOOXXOOOOOOXX---OOOOX----O--X--------";
  std::string error;
  std::optional<sim::SolveLine> line = sim::parseSolveLine(board + " X ; a2 +38", &error);
  ASSERT_TRUE(line) << error;
  EXPECT_FALSE(line->comment);
  EXPECT_EQ(line->position.own & engine::bitOf(engine::squareOf(8, 1)),
            engine::bitOf(engine::squareOf(8, 1)));
  line = sim::parseSolveLine(board + " O\r", &error);
  ASSERT_TRUE(line) << error;
  EXPECT_EQ(line->position.opp & engine::bitOf(engine::squareOf(8, 1)),
            engine::bitOf(engine::squareOf(8, 1)));
  EXPECT_TRUE(sim::parseSolveLine("% a comment", &error)->comment);
  EXPECT_TRUE(sim::parseSolveLine("  ; only a note", &error)->comment);

  for (const std::string& bad :
       {board, board + " Z", board + "X", board.substr(1) + " X", board + " X O",
        board.substr(0, 63) + "* X", std::string(64, '-') + " X"}) {
    EXPECT_FALSE(sim::parseSolveLine(bad, &error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

TEST(SolveInputTest, SolvesEachGoodLineAndNamesEachBadOne) {
  std::istringstream in(
      "% two positions and two bad lines\n"
      "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX- O\n"
      "nonsense\n" +
      std::string(5000, 'X') + "\n" +
      "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXO- X\n");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(sim::runSolve(in, out, err), 1);
  // White has no disc and neither side can move: 0 to 63 and the empty square to black. Then
  // black takes h8, turning g8.
  EXPECT_EQ(out.str(), "pass -64\nh8 +64\n");
  const std::string messages = err.str();
  EXPECT_NE(messages.find("line 3: expected 64 squares"), std::string::npos) << messages;
  EXPECT_NE(messages.find("line 4: line longer than"), std::string::npos) << messages;
  EXPECT_NE(messages.find("line 5: "), std::string::npos) << messages;
}

TEST(MatchTest, OpeningsAreLegalAndDistinctAndGamesCountFromTheFirstLevel) {
  std::set<std::string_view> seen;
  for (std::string_view opening : sim::kMatchOpenings) {
    EXPECT_TRUE(seen.insert(opening).second) << opening;
    engine::Position p = engine::startPosition();
    ASSERT_EQ(opening.size(), 12u);
    for (size_t i = 0; i < opening.size(); i += 2) {
      const std::optional<int> sq = engine::parseSquare(opening.substr(i, 2));
      ASSERT_TRUE(sq && (engine::legalMoves(p) & engine::bitOf(*sq))) << opening;
      p = engine::afterMove(p, *sq, engine::flipsOf(p, *sq));
    }
  }
  const sim::MatchResult r = sim::playMatch(2, 1, 4, 1);
  EXPECT_EQ(r.wins + r.draws + r.losses, 4);
  EXPECT_EQ(sim::formatMatchResult(2, 1, {3, 1, 0, 0, 0}),
            "2 vs 1: wins 3, draws 1, losses 0, score 87.5%\n");
}

}  // namespace
}  // namespace brelvoxan
