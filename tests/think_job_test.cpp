#include "game/think_job.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <random>
#include <vector>

#include "game/thinking.h"
#include "host/headless/headless.h"
#include "tests/board_text.h"
#include "tests/game_harness.h"

namespace brelvoxan {
namespace {

using testing::kKey2;
using testing::readDisplay;
using testing::ScriptedGame;

// The board after `plies` random legal moves from the start, and the side to move then.
std::pair<Board, Side> randomPosition(std::mt19937& rng, int plies) {
  Board b;
  resetBoard(b);
  Side side = kBlack;
  for (int ply = 0; ply < plies; ++ply) {
    if (!hasAnyLegalMove(b, side)) {
      side = static_cast<Side>(-side);
      if (!hasAnyLegalMove(b, side)) break;
    }
    const auto [x, y] = testing::randomLegalSquare(b, side, rng);
    testing::playSquare(b, x, y, side);
    side = static_cast<Side>(-side);
  }
  return {b, side};
}

TEST(ThinkJob, JobsAndAnswersComeThroughTheirBytesAndAnythingElseIsRefused) {
  std::mt19937 rng(3);
  const auto [board, side] = randomPosition(rng, 23);
  const ThinkJob job{5, 0xFEDCBA9876543210u, board, side};
  const std::vector<uint8_t> bytes = encodeThinkJob(job);
  ASSERT_EQ(bytes.size(), kThinkJobBytes);
  const std::optional<ThinkJob> back = decodeThinkJob(bytes);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->level, 5);
  EXPECT_EQ(back->seed, job.seed);
  EXPECT_EQ(back->side, side);
  Board walled = board;  // the border comes back as walls
  resetBoard(walled);
  for (int x = 0; x <= 9; ++x) {
    for (int y = 0; y <= 9; ++y) {
      const bool playing = x >= 1 && x <= 8 && y >= 1 && y <= 8;
      EXPECT_EQ(back->board.at(x, y), playing ? board.at(x, y) : walled.at(x, y)) << x << y;
    }
  }

  const auto refused = [&bytes](size_t at, uint8_t value) {
    std::vector<uint8_t> bad = bytes;
    bad[at] = value;
    return !decodeThinkJob(bad).has_value();
  };
  EXPECT_TRUE(refused(0, 0));   // no level
  EXPECT_FALSE(refused(0, 1));  // level 1 is asked like the others
  EXPECT_TRUE(refused(0, 6));   // 6 is none
  EXPECT_TRUE(refused(9, 0));   // a side that is no side
  EXPECT_TRUE(refused(10, 3));  // a square that is no stone
  EXPECT_TRUE(refused(kThinkJobBytes - 1, 255));
  std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - 1);
  EXPECT_FALSE(decodeThinkJob(shorter).has_value());
  EXPECT_FALSE(decodeThinkJob({}).has_value());

  const std::optional<engine::ComputerMove> move =
      decodeThinkAnswer(encodeThinkAnswer({false, 8, 1}));
  ASSERT_TRUE(move.has_value());
  EXPECT_FALSE(move->pass);
  EXPECT_EQ(move->x, 8);
  EXPECT_EQ(move->y, 1);
  EXPECT_TRUE(
      decodeThinkAnswer(encodeThinkAnswer({})).value_or(engine::ComputerMove{false, 1, 1}).pass);
  for (const std::vector<uint8_t>& bad : std::vector<std::vector<uint8_t>>{
           {0, 0, 4}, {0, 9, 4}, {0, 4, 0}, {0, 4, 9}, {2, 0, 0}, {0, 4}, {0, 4, 4, 0}}) {
    EXPECT_FALSE(decodeThinkAnswer(bad).has_value()) << int{bad[0]} << int{bad[1]};
  }
}

TEST(ThinkJob, AThinkerAnswersEveryMoveOfAGameAsTheGamesOwnOpponentDoes) {
  // The same level and seed through bytes and directly, move after move, with the opponent kept
  // between moves on both sides: its random choices among equal moves and its table carry over.
  for (const int level : {2, 3}) {
    std::mt19937 rng(static_cast<unsigned>(level));
    Thinker thinker;
    engine::Opponent direct(level, 11);
    Board b;
    resetBoard(b);
    Side side = kBlack;
    int moves = 0;
    for (int ply = 0; ply < 70; ++ply) {
      const std::vector<uint8_t> answer =
          answerThinkJob(thinker, encodeThinkJob({level, 11, b, side}));
      const std::optional<engine::ComputerMove> got = decodeThinkAnswer(answer);
      const engine::ComputerMove want = direct.choose(b, side);
      ASSERT_TRUE(got.has_value());
      ASSERT_EQ(got->pass, want.pass) << "ply " << ply;
      if (!want.pass) {
        ASSERT_EQ(got->x, want.x) << "ply " << ply;
        ASSERT_EQ(got->y, want.y) << "ply " << ply;
        // Every other move random, so the game meets many positions and ties.
        const auto [x, y] = ply % 2 == 1 ? testing::randomLegalSquare(b, side, rng)
                                         : std::pair<int, int>{want.x, want.y};
        testing::playSquare(b, x, y, side);
        ++moves;
      } else if (!hasAnyLegalMove(b, static_cast<Side>(-side))) {
        break;
      }
      side = static_cast<Side>(-side);
    }
    EXPECT_GT(moves, 40) << "level " << level;
  }
  // Bytes that are not a job get no answer.
  Thinker thinker;
  EXPECT_TRUE(answerThinkJob(thinker, std::vector<uint8_t>(3, 0)).empty());
}

TEST(ThinkJob, AMoveAskedElsewhereComesBackOnlyWhenTheRulesAllowIt) {
  Board start;
  resetBoard(start);
  const ThinkJob job{3, 5, start, kBlack};
  const auto ask = [&job, &start](std::optional<std::vector<uint8_t>> answer) {
    host::headless::reset();
    std::optional<ThinkJob> asked;
    host::headless::setJobRunner([&](const std::vector<uint8_t>& bytes) {
      asked = decodeThinkJob(bytes);
      return answer;
    });
    const std::optional<engine::ComputerMove> move = askElsewhere(job);
    EXPECT_TRUE(asked.has_value());
    if (asked) {
      EXPECT_EQ(asked->level, 3);
      EXPECT_EQ(asked->seed, 5u);
      EXPECT_EQ(asked->side, kBlack);
      EXPECT_EQ(asked->board.cells, start.cells);
    }
    return move ? std::array<int, 2>{move->x, move->y} : std::array<int, 2>{0, 0};
  };
  EXPECT_EQ(ask(encodeThinkAnswer({false, 3, 4})), (std::array<int, 2>{3, 4}));
  EXPECT_EQ(ask(encodeThinkAnswer({false, 6, 5})), (std::array<int, 2>{6, 5}));
  // Not done there, an illegal square, a pass with moves left, or bytes that are no answer.
  const std::array<int, 2> none{0, 0};
  EXPECT_EQ(ask(std::nullopt), none);
  EXPECT_EQ(ask(encodeThinkAnswer({false, 1, 1})), none);
  EXPECT_EQ(ask(encodeThinkAnswer({})), none);
  EXPECT_EQ(ask(std::vector<uint8_t>{7}), none);
}

TEST(ThinkJob, TheDesktopGameThinksItselfWithoutAskingElsewhere) {
  // The computer opens as Black at level 3; its four first moves are equal.
  ScriptedGame game;
  game.state.level = 3;
  game.state.seed = 5;
  game.state.thinkingTakesNoTime = true;
  game.keys = {kKey2};
  bool asked = false;
  host::headless::setJobRunner([&](const std::vector<uint8_t>&) {
    asked = true;
    return std::optional<std::vector<uint8_t>>(encodeThinkAnswer({false, 3, 4}));
  });
  game.runFromStart();
  EXPECT_FALSE(asked);
  const std::array<int, 2> c = readDisplay().cursor().value_or(std::array<int, 2>{0, 0});
  const int x = c[0], y = c[1];
  EXPECT_TRUE((x == 3 && y == 4) || (x == 4 && y == 3) || (x == 5 && y == 6) || (x == 6 && y == 5))
      << x << "," << y;
}

}  // namespace
}  // namespace brelvoxan
