// The person's own keys during a move: Ctrl+Z takes back moves, H shows a hint; and what both
// do everywhere else, where they are keys like any other.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <vector>

#include "engine/opponent.h"
#include "game/game.h"
#include "game/hint.h"
#include "host/headless/headless.h"
#include "host/key_codes.h"
#include "reversi/board.h"
#include "reversi/cpu_player.h"
#include "tests/board_text.h"
#include "tests/game_harness.h"

namespace brelvoxan::testing {
namespace {

namespace headless = host::headless;

constexpr int kTakeBack = host::kVkTakeBack;
constexpr int kHint = host::kVkH;

// What the person sees and what the game holds at a key wait.
struct Seen {
  std::vector<uint32_t> display;
  Board board;
  Side sideToMove = kBlack;
  int16_t passes = 0, black = 0, white = 0, cursorX = 0, cursorY = 0, boxX = 0, boxY = 0;
};

Seen seen(const Game& game) {
  return {headless::backBuffer().data,
          game.board,
          game.sideToMove,
          game.consecutivePasses,
          game.blackCount,
          game.whiteCount,
          game.cursorX,
          game.cursorY,
          game.drawnCursorX,
          game.drawnCursorY};
}

void expectSame(const Seen& got, const Seen& want) {
  EXPECT_TRUE(got.display == want.display) << "the display differs";
  EXPECT_TRUE(got.board.cells == want.board.cells) << "the board differs";
  EXPECT_EQ(got.sideToMove, want.sideToMove);
  EXPECT_EQ(got.passes, want.passes);
  EXPECT_EQ(got.black, want.black);
  EXPECT_EQ(got.white, want.white);
  EXPECT_EQ(got.cursorX, want.cursorX);
  EXPECT_EQ(got.cursorY, want.cursorY);
  EXPECT_EQ(got.boxX, want.boxX);
  EXPECT_EQ(got.boxY, want.boxY);
}

// The game from its title screen with `keys`, seen at the wait after the last of them.
Seen fromStart(std::deque<int> keys) {
  ScriptedGame game;
  game.keys = std::move(keys);
  game.runFromStart();
  return seen(game.state);
}

// The game from `position`, the person playing `human`, seen at the wait after the last key.
Seen fromPosition(const char* position, Side toMove, Side human, std::deque<int> keys) {
  ScriptedGame game;
  game.keys = std::move(keys);
  game.runFrom(boardFromText(position), toMove, human);
  return seen(game.state);
}

std::deque<int> path(int fromX, int fromY, int x, int y) {
  ScriptedGame keys;
  keys.playSquare(fromX, fromY, x, y);
  keys.keys.pop_back();  // the Enter
  return keys.keys;
}

std::deque<int> join(std::deque<int> a, const std::deque<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The person (X, Black) has one square, (7,3); the computer's only answer (1,1) leaves the person
// without a square, and its next move (4,4) gives the person (2,6).
constexpr const char* kPassBetween =
    ".XXXXXXX"
    "X.XXXXOX"
    "XXXXXO.X"
    "XXX.XXX."
    "XXOXXOXX"
    "X.XXXXXX"
    "XXXXXXXX"
    "OXXXXOXX";

// The person (X, Black) plays (8,2) and the computer must pass; the person plays (4,2) and the
// computer's only answer is (4,7), after which the person moves again.
constexpr const char* kComputerPasses =
    "XXOOOXXO"
    "XXO.XXO."
    "XOXXXOOO"
    "XXXXXXXO"
    "XXXXXXXX"
    ".OXXXXOX"
    ".OO.OO.X"
    "OXXXXO.X";

TEST(TakeBack, AfterAMoveAllIsAsWhenThePersonWasAskedForIt) {
  const Seen asked = fromStart({kKey1});
  // The box walks away before the move; the computer answers (3,3).
  const std::deque<int> move = join(path(1, 1, 4, 3), {kEnter});
  const Seen answered = fromStart(join({kKey1}, move));
  ASSERT_EQ(answered.board.at(3, 3), kWhite);
  const std::deque<int> takenBack = join(join({kKey1}, move), {kTakeBack});
  expectSame(fromStart(takenBack), asked);
  // Another move from there goes back to the same place.
  expectSame(fromStart(join(join(takenBack, path(1, 1, 3, 4)), {kEnter, kTakeBack})), asked);
  // As White, after the computer's opening.
  const Seen askedWhite = fromStart({kKey2});
  expectSame(fromStart(join(join({kKey2}, path(3, 4, 3, 5)), {kEnter, kTakeBack})), askedWhite);
}

TEST(TakeBack, NothingToTakeBackAtTheFirstMove) {
  for (const int side : {kKey1, kKey2}) {
    const Seen asked = fromStart({side});
    const uint64_t clock = headless::clockMs();
    expectSame(fromStart({side, kTakeBack, kTakeBack}), asked);
    EXPECT_EQ(headless::clockMs(), clock);  // nothing was drawn again
    EXPECT_EQ(headless::keyWaits(), 4);
  }
}

TEST(TakeBack, AfterThePersonsPassBothComputerMovesGoToo) {
  const Seen asked = fromPosition(kPassBetween, kBlack, kBlack, {});
  const std::deque<int> keys = join(path(1, 1, 7, 3), {kEnter, kSpace});
  const Seen next = fromPosition(kPassBetween, kBlack, kBlack, keys);
  ASSERT_EQ(next.board.at(1, 1), kWhite);  // the answer before the pass
  ASSERT_EQ(next.board.at(4, 4), kWhite);  // and the one after it
  ASSERT_EQ(next.boxX * 10 + next.boxY, 44);
  expectSame(fromPosition(kPassBetween, kBlack, kBlack, join(keys, {kTakeBack})), asked);
}

TEST(TakeBack, AroundTheComputersPassItsMessageGoesAndComesBack) {
  const Seen first = fromPosition(kComputerPasses, kBlack, kBlack, {});
  const std::deque<int> firstMove = join(path(1, 1, 8, 2), {kEnter});
  const std::deque<int> secondMove = join(path(8, 2, 4, 2), {kEnter});
  ScriptedGame passed;
  passed.keys = firstMove;
  passed.runFrom(boardFromText(kComputerPasses), kBlack, kBlack);
  ASSERT_TRUE(readDisplay().textRow(1).substr(9).starts_with("CPU PASS"));
  const Seen afterPass = seen(passed.state);
  ASSERT_EQ(afterPass.passes, 1);

  // From the move after the pass back to the pass, with its message and the box on the
  // person's square; then back to the start, without them.
  const std::deque<int> keys = join(firstMove, secondMove);
  ASSERT_EQ(fromPosition(kComputerPasses, kBlack, kBlack, keys).board.at(4, 7), kWhite);
  expectSame(fromPosition(kComputerPasses, kBlack, kBlack, join(keys, {kTakeBack})), afterPass);
  expectSame(fromPosition(kComputerPasses, kBlack, kBlack, join(keys, {kTakeBack, kTakeBack})),
             first);
  // Right after the pass, the pass and the move before it go back together.
  expectSame(fromPosition(kComputerPasses, kBlack, kBlack, join(firstMove, {kTakeBack})), first);
}

// Plays the last legal square in board order for the person, or goes on after a pass; false at
// the result.
bool playOn(ScriptedGame& game) {
  const reader::Screen s = readDisplay();
  const std::string message = s.textRow(1).substr(9);
  if (message.starts_with("YOU WIN") || message.starts_with("YOU LOSE") ||
      message.starts_with("DRAW")) {
    return false;
  }
  if (s.textRow(2).substr(9).starts_with("HIT ANY KEY")) {
    game.keys.push_back(kSpace);
    return true;
  }
  const auto [targetX, targetY] = testing::lastLegalSquare(game.state.board, game.state.humanSide);
  game.playSquare(game.state.drawnCursorX, game.state.drawnCursorY, targetX, targetY);
  return true;
}

TEST(TakeBack, RepeatedToTheStartThenTheGamePlaysOnAsIfNothingWasTakenBack) {
  // The same game without taking back.
  ScriptedGame straight;
  straight.keys = {kKey1};
  straight.refill = [](ScriptedGame& g) { playOn(g); };
  straight.runFromStart();
  const Seen result = seen(straight.state);
  ASSERT_TRUE(readDisplay().textRow(1).substr(9).starts_with("YOU"));

  const Seen asked = fromStart({kKey1});
  constexpr int kMoves = 8;
  ScriptedGame game;
  game.keys = {kKey1};
  int waits = 0;
  std::optional<Seen> backAtStart, atResult, nextGame;
  game.refill = [&](ScriptedGame& g) {
    ++waits;
    if (atResult) {
      nextGame = seen(g.state);
    } else if (waits <= kMoves) {
      playOn(g);
    } else if (waits == kMoves + 1) {
      // One more than there are moves: the last finds nothing to take back.
      for (int i = 0; i <= kMoves; ++i) g.keys.push_back(kTakeBack);
    } else {
      if (!backAtStart) backAtStart = seen(g.state);
      if (!playOn(g)) {
        // The result; then in the next game there is nothing to take back.
        atResult = seen(g.state);
        g.keys = {kSpace, kKey1, kTakeBack};
      }
    }
  };
  game.runFromStart();
  ASSERT_TRUE(backAtStart && atResult && nextGame);
  expectSame(*backAtStart, asked);
  expectSame(*atResult, result);
  expectSame(*nextGame, asked);
}

// 14 empty squares, the person (O, White) to move: the only best square, (2,3), is not the
// one the fixed square weights pick, (8,7).
constexpr const char* kHintPosition =
    "XOO....X"
    "OXXO..X."
    "O.XXOOXO"
    "OOOXOOXO"
    "OOOOXXX."
    "OOOOOOX."
    "O.OOOXX."
    "OOOOX..O";

TEST(Hint, TheBoxGoesToTheStrongestLevelsMoveAndEnterPlaysIt) {
  const Board position = boardFromText(kHintPosition);
  engine::Opponent strongest(engine::kMaxLevel, kHintSeed);
  const engine::ComputerMove best = strongest.choose(position, kWhite);
  ASSERT_FALSE(best.pass);
  const CpuDecision weights = decideCpuMove(position, kWhite);
  ASSERT_NE(weights.best.x * 10 + weights.best.y, best.x * 10 + best.y);

  // H moves the box there and changes nothing else: the same as walking the box there.
  const Seen hinted = fromPosition(kHintPosition, kWhite, kWhite, {kHint});
  EXPECT_EQ(hinted.cursorX * 10 + hinted.cursorY, best.x * 10 + best.y);
  expectSame(hinted, fromPosition(kHintPosition, kWhite, kWhite, path(1, 1, best.x, best.y)));
  // Pressed again, it stays; Enter plays it.
  const Seen played = fromPosition(kHintPosition, kWhite, kWhite, {kHint, kHint, kEnter});
  EXPECT_EQ(played.board.at(best.x, best.y), kWhite);
}

TEST(Hint, ThePositionAloneDecidesItWhateverTheGamesSeed) {
  // The opening's four moves are equally good; every game gets the same one of them.
  std::vector<int> hints;
  for (const uint64_t seed : {1, 2, 3, 4, 5, 6}) {
    ScriptedGame game;
    game.state.seed = seed;
    game.keys = {kKey1, kHint};
    game.runFromStart();
    hints.push_back(game.state.cursorX * 10 + game.state.cursorY);
    EXPECT_TRUE(isLegalMove(game.state.board, game.state.cursorX, game.state.cursorY, kBlack));
  }
  EXPECT_EQ(std::count(hints.begin(), hints.end(), hints[0]), 6);
}

TEST(KeysElsewhere, TheTitleAndTheAnyKeyWaitsTakeThemAsBefore) {
  // The title ignores them as it ignores every key but 1, 2 and its level keys.
  const Seen title = fromStart({});
  expectSame(fromStart({kHint, kTakeBack, host::kVkZ, host::kVkControl}), title);
  EXPECT_EQ(headless::keyWaits(), 5);
  // After "You Pass!" either goes on, as any key does: the computer then moves.
  constexpr const char* kNoSquare =
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXX..XO";
  const Seen goneOn = fromPosition(kNoSquare, kBlack, kBlack, {kSpace});
  for (const int key : {kHint, kTakeBack}) {
    expectSame(fromPosition(kNoSquare, kBlack, kBlack, {key}), goneOn);
  }
  // After the result either returns to the title.
  for (const int key : {kHint, kTakeBack}) {
    ScriptedGame game;
    game.keys = {kKey1};
    game.refill = [key](ScriptedGame& g) {
      if (readDisplay().textRow(0).starts_with("  BRELVOXAN")) return;  // stops there
      if (!playOn(g)) g.keys.push_back(key);
    };
    game.runFromStart();
    EXPECT_TRUE(readDisplay().textRow(0).starts_with("  BRELVOXAN")) << key;
  }
}

}  // namespace
}  // namespace brelvoxan::testing
