// The possible moves shown on request (M): a mark on exactly the person's legal squares while
// the person chooses a move, none at any other time, and the screen as without them once they
// are switched off or taken back.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "game/game.h"
#include "host/headless/headless.h"
#include "host/key_codes.h"
#include "reversi/board.h"
#include "tests/board_text.h"
#include "tests/game_harness.h"

namespace brelvoxan::testing {
namespace {

namespace headless = host::headless;

constexpr int kMarks = host::kVkM;
constexpr int kTakeBack = host::kVkTakeBack;
constexpr int kHint = host::kVkH;

// Every board square as read from the display: marks ('+') only on the side's legal squares,
// stones as on the board, nothing anywhere else.
void expectMarksOnLegalSquaresOnly(const Board& board, Side side, const std::string& when) {
  const reader::Screen s = readDisplay();
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const Cell cell = board.at(x, y);
      const bool legal = cell == kEmpty && scanFlips(board, x, y, side).flipDirections > 0;
      const char want = cell == kBlack ? 'X' : cell == kWhite ? 'O' : legal ? '+' : '.';
      EXPECT_EQ(s.square(x, y), want) << "square " << x << "," << y << " " << when;
    }
  }
}

int marksOnDisplay() {
  const reader::Screen s = readDisplay();
  int marks = 0;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) marks += s.square(x, y) == '+' ? 1 : 0;
  }
  return marks;
}

std::vector<uint32_t> displayAfter(std::deque<int> keys) {
  ScriptedGame game;
  game.keys = std::move(keys);
  game.runFromStart();
  return headless::backBuffer().data;
}

TEST(MoveMarks, WholeGamesMarkExactlyThePersonsSquaresAtEveryTurn) {
  for (const int side : {kKey1, kKey2}) {
    ScriptedGame game;
    game.keys = {side, kMarks};
    int turns = 0;
    game.refill = [&turns](ScriptedGame& g) {
      const reader::Screen s = readDisplay();
      const std::string message = s.textRow(1).substr(9);
      if (message.starts_with("YOU WIN") || message.starts_with("YOU LOSE") ||
          message.starts_with("DRAW")) {
        return;
      }
      if (s.textRow(2).substr(9).starts_with("HIT ANY KEY")) {
        EXPECT_EQ(marksOnDisplay(), 0) << "at the person's pass";
        g.keys.push_back(kSpace);
        return;
      }
      expectMarksOnLegalSquaresOnly(g.state.board, g.state.humanSide,
                                    "at turn " + std::to_string(turns));
      ++turns;
      const auto [x, y] = lastLegalSquare(g.state.board, g.state.humanSide);
      g.playSquare(g.state.drawnCursorX, g.state.drawnCursorY, x, y);
    };
    game.runFromStart();
    EXPECT_GT(turns, 20);
    EXPECT_EQ(marksOnDisplay(), 0) << "at the result";
  }
}

TEST(MoveMarks, GoneWhileTheMoveIsSweptAndDuringTheComputersTurn) {
  const std::deque<int> asked = {kKey1, kMarks, kRight, kRight, kRight, kDown, kDown};
  {
    ScriptedGame game;
    game.keys = asked;
    game.runFromStart();
    ASSERT_EQ(marksOnDisplay(), 4);
  }
  const uint64_t enterAt = headless::clockMs();
  // 64 squares of 10 ms each in the sweep, then the computer's pause of 700 ms.
  for (const uint64_t after : {1, 320, 639, 700, 1300}) {
    ScriptedGame game;
    game.keys = asked;
    game.keys.push_back(kEnter);
    headless::requestStopAt(enterAt + after);
    game.runFromStart();
    EXPECT_EQ(marksOnDisplay(), 0) << after << " ms after Enter";
    EXPECT_EQ(game.state.board.at(4, 3), kBlack);
  }
}

TEST(MoveMarks, TakeBackHintAndSwitchingOffLeaveTheScreenAsWithoutThem) {
  const std::vector<uint32_t> plain = displayAfter({kKey1});
  const std::vector<uint32_t> marked = displayAfter({kKey1, kMarks});
  ASSERT_NE(plain, marked);
  EXPECT_EQ(displayAfter({kKey1, kMarks, kMarks}), plain);
  // Playing (4,3), the computer's reply, then taking it back.
  const std::deque<int> move = {kRight, kRight, kRight, kDown, kDown, kEnter};
  std::deque<int> keys = {kKey1, kMarks};
  keys.insert(keys.end(), move.begin(), move.end());
  keys.push_back(kTakeBack);
  EXPECT_EQ(displayAfter(keys), marked);
  keys.push_back(kMarks);
  EXPECT_EQ(displayAfter(keys), plain);
  // Switched on after the computer's reply and taken back, or off after the take back.
  std::deque<int> later = {kKey1};
  later.insert(later.end(), move.begin(), move.end());
  later.push_back(kMarks);
  later.push_back(kTakeBack);
  EXPECT_EQ(displayAfter(later), marked);

  // The hint moves the box only; the marks stay on the position's squares.
  ScriptedGame hinted;
  hinted.keys = {kKey1, kMarks};
  hinted.keys.insert(hinted.keys.end(), move.begin(), move.end());
  hinted.keys.push_back(kHint);
  hinted.runFromStart();
  expectMarksOnLegalSquaresOnly(hinted.state.board, kBlack, "after the hint");
}

TEST(MoveMarks, TheKeyDoesNothingOutsideTheMoveEntry) {
  // On the title screen M is a key like any other.
  EXPECT_EQ(displayAfter({kMarks, kKey1}), displayAfter({kKey1}));
  ScriptedGame game;
  game.keys = {kMarks, kKey1};
  game.runFromStart();
  EXPECT_FALSE(game.state.showMoves);
}

}  // namespace
}  // namespace brelvoxan::testing
