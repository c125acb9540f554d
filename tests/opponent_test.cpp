#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/bitboard.h"
#include "engine/opponent.h"
#include "reversi/cpu_player.h"
#include "tests/board_text.h"
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
  engine::Opponent one(1, 99);
  engine::Opponent two(2, 99);
  for (Side side = kBlack;; side = static_cast<Side>(-side)) {
    const CpuDecision d = decideCpuMove(b, side);
    const engine::ComputerMove first = one.choose(b, side);
    const engine::ComputerMove second = two.choose(b, side);
    ASSERT_EQ(first.pass, d.pass);
    ASSERT_EQ(second.pass, d.pass);
    if (d.pass) {
      if (!hasAnyLegalMove(b, static_cast<Side>(-side))) break;
      continue;
    }
    EXPECT_TRUE(first.x == d.best.x && first.y == d.best.y);
    EXPECT_TRUE(isLegalMove(b, second.x, second.y, side));
    // Play a random legal move, so that the game covers many kinds of position.
    const auto [x, y] = testing::randomLegalSquare(b, side, rng);
    testing::playSquare(b, x, y, side);
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
        board.substr(0, 63) + "* X", std::string(64, '-') + " X",
        std::string(27, 'X') + "-" + std::string(36, 'X') + " O"}) {
    EXPECT_FALSE(sim::parseSolveLine(bad, &error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  // The byte found is named: a byte-order mark or UTF-16 text is told for what it is.
  EXPECT_FALSE(sim::parseSolveLine("\xFF\xFE" + board.substr(2) + " X", &error));
  EXPECT_EQ(error, "square a1 holds the byte 0xFF, not X, O or -");
  EXPECT_FALSE(sim::parseSolveLine(board.substr(0, 9) + "Z" + board.substr(10) + " X", &error));
  EXPECT_EQ(error, "square b2 holds 'Z' (0x5A), not X, O or -");
  EXPECT_FALSE(sim::parseSolveLine(board + " \x1B[2J", &error));
  EXPECT_EQ(error, "the side to move must be X or O, not '?[2J'");
}

// The positions counts of --solve's standard error, line by line.
std::vector<std::string> countsOf(const std::string& err) {
  std::vector<std::string> counts;
  std::istringstream lines(err);
  for (std::string line; std::getline(lines, line);) {
    counts.push_back(line.substr(line.find(": ") + 2, line.find(" nodes") - line.find(": ") - 2));
  }
  return counts;
}

TEST(SolveInputTest, ALinesAnswerAndItsWorkAreTheSameWhereverItStands) {
  const std::string a = "-XXXXX----XOXX-X-OOXOOXXOOXOOOOX-XXOOOXXXXXOOXO---OXXO-O-OOOOOO- X\n";
  const std::string b = "--X-O-----OOOX-XOOOOXXXXX-OOXXOXXXOXXOXXOOOOOXXX-XXXXO---XXXX-O- X\n";
  std::istringstream forward(a + b + a);
  std::istringstream backward(b + a);
  std::ostringstream forwardOut;
  std::ostringstream backwardOut;
  std::ostringstream forwardErr;
  std::ostringstream backwardErr;
  ASSERT_EQ(sim::runSolve(forward, forwardOut, forwardErr), 0);
  ASSERT_EQ(sim::runSolve(backward, backwardOut, backwardErr), 0);
  EXPECT_EQ(forwardOut.str(), "g2 +0\nf8 +0\ng2 +0\n");
  EXPECT_EQ(backwardOut.str(), "f8 +0\ng2 +0\n");
  const std::vector<std::string> there = countsOf(forwardErr.str());
  const std::vector<std::string> back = countsOf(backwardErr.str());
  ASSERT_EQ(there.size(), 3u) << forwardErr.str();
  ASSERT_EQ(back.size(), 2u) << backwardErr.str();
  EXPECT_EQ(there[0], there[2]);
  EXPECT_EQ(there[0], back[1]);
  EXPECT_EQ(there[1], back[0]);
}

TEST(SolveInputTest, AnInputThatCannotBeReadIsNotTakenForItsEnd) {
  std::FILE* folder = std::fopen(".", "r");  // opens; each read fails
  ASSERT_NE(folder, nullptr);
  sim::FileInput input(folder);
  std::istream in(&input);
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(sim::runSolve(in, out, err), 1);
  std::fclose(folder);
  EXPECT_EQ(err.str(), "brelvoxan-sim: line 1: cannot read the input: Is a directory\n");
}

TEST(SolveInputTest, AnswersMovesPassesFinishedGamesAndUnknownsAndNamesBadLines) {
  const std::string start = "---------------------------OX------XO--------------------------- X";
  std::istringstream in(
      "\xEF\xBB\xBF% a byte-order mark, four positions and a bad line\n"
      // White has no disc and nobody can move: the game is over, 0 to 63 and the empty square
      // to black.
      "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX- O\n"
      "nonsense\n"
      // Black cannot move (a1 turns nothing), white can: a pass, then white takes all.
      "-XOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOO X\n"
      // Black takes h8, turning g8.
      "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXO- X\n" +
      start + "\n");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(sim::runSolve(in, out, err), 1);
  EXPECT_EQ(out.str(),
            "end -64\npass -64\nh8 +64\nunknown (60 empty squares; at most 28 are solved)\n");
  const std::string messages = err.str();
  EXPECT_NE(messages.find("line 3: expected 64 squares"), std::string::npos) << messages;
  EXPECT_EQ(messages.find("line 1: "), std::string::npos) << messages;

  // Past its budget of positions, a hard one is not solved.
  std::istringstream hard("O--OOOOX-OOOOOOXOOXXOOOXOOXOOOXXOOOOOOXX---OOOOX----O--X-------- X\n");
  std::ostringstream hardOut;
  EXPECT_EQ(sim::runSolve(hard, hardOut, err, 1000), 1);
  EXPECT_EQ(hardOut.str(),
            "unknown (more than 1000 positions; " + std::string(sim::kBudgetExpectation) + ")\n");

  // Solved to the end, every line: status 0.
  std::istringstream good(
      "\xEF\xBB\xBFXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXO- X\n");
  std::ostringstream goodOut;
  EXPECT_EQ(sim::runSolve(good, goodOut, err), 0);
  EXPECT_EQ(goodOut.str(), "h8 +64\n");
}

// A line of 'X' without end, as far as a reader that stops in time can tell (it ends after a
// megabyte so that one that does not fails instead of hanging), counting the bytes taken.
class EndlessLine : public std::streambuf {
 public:
  size_t taken = 0;

 protected:
  int_type underflow() override {
    if (taken >= 1 << 20) return traits_type::eof();
    setg(buffer_, buffer_, buffer_ + sizeof buffer_);
    taken += sizeof buffer_;
    return traits_type::to_int_type(buffer_[0]);
  }

 private:
  char buffer_[64] = {'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X',
                      'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X',
                      'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X',
                      'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X',
                      'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X', 'X'};
};

TEST(SolveInputTest, StopsReadingALineAsSoonAsItIsTooLong) {
  EndlessLine endless;
  std::istream in(&endless);
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(sim::runSolve(in, out, err), 1);
  EXPECT_LE(endless.taken, sim::kMaxSolveLineLength + 64);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("line 1: longer than 1000 characters"), std::string::npos) << err.str();
}

// Takes nothing: every write fails, as on a full disk.
class FullDisk : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST(SolveInputTest, ALostAnswerEndsTheRunWithStatusOne) {
  std::istringstream in(
      "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXO- X\n"
      "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXO- X\n");
  FullDisk full;
  std::ostream out(&full);
  std::ostringstream err;
  EXPECT_EQ(sim::runSolve(in, out, err), 1);
  // Named once, at the first answer lost; the second position is not solved for nothing.
  EXPECT_EQ(err.str(), "brelvoxan-sim: line 1: cannot write the answer\n");
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
  EXPECT_EQ(sim::formatMatchResult(2, 1, {3, 1, 0, 0, 0, 0, 0, {}}),
            "2 vs 1: wins 3, draws 1, losses 0, score 87.5%\n");
}

}  // namespace
}  // namespace brelvoxan
