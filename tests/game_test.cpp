// Whole games on the headless backend, with the screen read back from the back buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "engine/opponent.h"
#include "game/game.h"
#include "game/game_state.h"
#include "host/headless/headless.h"
#include "reversi/board.h"
#include "tests/board_text.h"
#include "tests/game_harness.h"

namespace brelvoxan::testing {
namespace {

namespace headless = host::headless;

std::string panel(const reader::Screen& s, int row) {
  return s.textRow(row).substr(9);
}

TEST(GameFlow, TitleScreenIgnoresEveryKeyButOneAndTwo) {
  ScriptedGame game;
  // 3, Enter, a letter, keypad 1 and keypad 2.
  game.keys = {'3', kEnter, 'A', 97, 98};
  game.runFromStart();
  const reader::Screen s = readDisplay();
  EXPECT_EQ(s.textRow(0), "  BRELVOXAN V1.0        ");
  EXPECT_EQ(s.textRow(1), std::string(24, ' '));
  EXPECT_EQ(s.textRow(2), "      1:YOU VS CPU      ");
  EXPECT_EQ(s.textRow(3), "      2:CPU VS YOU      ");
  EXPECT_EQ(s.textRow(5), "  PROGRAM BY ZEPLOMAR   ");
  EXPECT_EQ(headless::keyWaits(), 6);
  // Start-up looked once for the first paint, 20 ms in; the title waits on no clock.
  EXPECT_EQ(headless::clockMs(), 20u);
  EXPECT_STREQ(headless::windowTitle(), "Brelvoxan OrvanelTaste");
}

TEST(TitleLevel, LeftAndRightChooseTheLevelOfTheNextGame) {
  struct Case {
    std::deque<int> keys;
    int level;
    std::string row4;
  };
  const Case cases[] = {
      {{kRight, kRight}, 3, "      LEVEL 3           "},
      {{kRight, kRight, kRight, kRight, kRight, kRight}, 5, "      LEVEL 5           "},
      {{kRight, kLeft, kLeft}, 1, std::string(24, ' ')},
      {{kRight, kRight, 'A', kUp, kDown, kEnter}, 3, "      LEVEL 3           "},
  };
  for (const Case& c : cases) {
    ScriptedGame game;
    game.keys = c.keys;
    game.runFromStart();
    const reader::Screen s = readDisplay();
    EXPECT_EQ(s.textRow(4), c.row4);
    EXPECT_EQ(s.textRow(3), "      2:CPU VS YOU      ");
    EXPECT_EQ(game.state.level, c.level);
    // The page's level choice is told of every change.
    EXPECT_EQ(headless::shownLevel(), c.level);
  }
  // The game is played at that level: the computer's reply comes from level 3.
  ScriptedGame game;
  game.keys = {kRight, kRight, kKey1};
  game.playSquare(1, 1, 4, 3);
  game.runFromStart();
  ASSERT_TRUE(game.state.opponent);
  EXPECT_EQ(game.state.opponent->level(), 3);
  EXPECT_TRUE(panel(readDisplay(), 0).starts_with("YOU (BLACK)"));
}

TEST(TitleLevel, AtLevelOneTheTitleIsAsItWasAndItStartsFromTheGivenLevel) {
  ScriptedGame plain;
  plain.runFromStart();
  const std::vector<uint32_t> title = headless::backBuffer().data;
  for (const std::deque<int>& keys : {std::deque<int>{kLeft}, std::deque<int>{kRight, kLeft}}) {
    ScriptedGame game;
    game.keys = keys;
    game.runFromStart();
    EXPECT_TRUE(headless::backBuffer().data == title);
    EXPECT_EQ(game.state.level, 1);
  }
  EXPECT_EQ(headless::shownLevel(), 1);
  // Left at level 1 changes nothing, so nothing is told.
  ScriptedGame left;
  left.keys = {kLeft};
  left.runFromStart();
  EXPECT_EQ(headless::shownLevel(), 0);
  // The title starts from the level given (--level 4).
  for (const int key : {0, kLeft}) {
    ScriptedGame four;
    four.state.level = 4;
    if (key != 0) four.keys = {key};
    four.runFromStart();
    EXPECT_EQ(readDisplay().textRow(4),
              key == kLeft ? "      LEVEL 3           " : "      LEVEL 4           ");
  }
}

TEST(GameFlow, KeyOneStartsAGameWithThePersonAsBlack) {
  ScriptedGame game;
  game.keys = {kKey1};
  game.runFromStart();
  const reader::Screen s = readDisplay();
  EXPECT_EQ(panel(s, 0), "YOU (BLACK)    ");
  EXPECT_EQ(s.textRow(3).substr(10, 2), " 2");
  EXPECT_EQ(s.textRow(4).substr(10, 2), " 2");
  EXPECT_EQ(s.boardRow(4), "...OX...");
  EXPECT_EQ(s.boardRow(5), "...XO...");
  EXPECT_EQ(s.cursor(), (std::array<int, 2>{1, 1}));
  // 20 ms start-up look, then the 64 squares of the first sweep.
  EXPECT_EQ(headless::clockMs(), 20u + 640u);
  // The legend stones beside the counts.
  EXPECT_EQ(s.dot(55, 27), reader::Dot::kSet);
  EXPECT_EQ(s.dot(55, 35), reader::Dot::kClear);
  EXPECT_EQ(s.dot(54, 36), reader::Dot::kSet);
}

TEST(GameFlow, KeyTwoLetsTheCpuOpenAfterItsPause) {
  ScriptedGame game;
  game.keys = {kKey2};
  game.runFromStart();
  const reader::Screen s = readDisplay();
  EXPECT_EQ(panel(s, 0), "YOU (WHITE)    ");
  // The CPU's first move is the first of four equal squares: (3, 4).
  EXPECT_EQ(s.boardRow(4), "..XXX...");
  EXPECT_EQ(s.textRow(3).substr(10, 2), " 4");
  EXPECT_EQ(s.textRow(4).substr(10, 2), " 1");
  EXPECT_EQ(s.cursor(), (std::array<int, 2>{3, 4}));
  EXPECT_EQ(headless::clockMs(), 20u + 640u + 700u + 640u);
}

TEST(GameFlow, KeysPressedWhileBusyAreKeptLastOneWins) {
  ScriptedGame game;
  // The person plays (4, 3); during the CPU's pause Left then Down arrive; the next wait takes
  // Down alone.
  game.keys = {kKey1};
  game.playSquare(1, 1, 4, 3);
  const uint64_t moveDone = 20 + 640 + 640;  // new game sweep, the person's move sweep
  headless::scheduleKey(moveDone + 100, kLeft);
  headless::scheduleKey(moveDone + 300, kDown);
  game.keys.push_back(kNoKey);
  game.runFromStart();
  const reader::Screen s = readDisplay();
  // The CPU answered (3, 3); the box starts there and Down moved it at once.
  EXPECT_EQ(s.square(3, 3), 'O');
  EXPECT_EQ(s.cursor(), (std::array<int, 2>{3, 4}));
  EXPECT_EQ(headless::clockMs(), moveDone + 700 + 640);
}

TEST(MoveEntry, IllegalEntersAndOtherKeysChangeNothing) {
  ScriptedGame game;
  // Up and Left at (1, 1), Enter on an empty square that turns nothing, Enter on a stone,
  // letters and a function key.
  game.keys = {kKey1, kUp, kLeft, kEnter, 'Q', 112, '5'};
  game.playSquare(1, 1, 4, 4);  // Enter on a stone
  game.runFromStart();
  const reader::Screen s = readDisplay();
  EXPECT_EQ(s.boardRow(4), "...OX...");
  EXPECT_EQ(s.cursor(), (std::array<int, 2>{4, 4}));
  EXPECT_EQ(panel(s, 0), "YOU (BLACK)    ");
  EXPECT_EQ(s.textRow(3).substr(10, 2), " 2");
}

TEST(MoveEntry, TheBoxMovesWithTheArrowsAndStopsAtTheEdge) {
  ScriptedGame game;
  game.keys = {kKey1};
  for (int i = 0; i < 10; ++i) game.keys.push_back(kRight);
  for (int i = 0; i < 10; ++i) game.keys.push_back(kDown);
  game.runFromStart();
  EXPECT_EQ(readDisplay().cursor(), (std::array<int, 2>{8, 8}));
}

// Plays whole games: the person always takes the last legal square in board order, and every
// screen is checked against the rules' own board and counts on the way.
class Player {
 public:
  explicit Player(int gamesToPlay, int firstKey) : gamesLeft_(gamesToPlay), firstKey_(firstKey) {}

  void operator()(ScriptedGame& game) {
    const reader::Screen s = readDisplay();
    if (s.textRow(0).starts_with("  BRELVOXAN")) {
      if (gamesLeft_-- > 0) game.keys.push_back(firstKey_);
      return;
    }
    const std::string message = panel(s, 1);
    if (message.starts_with("YOU WIN") || message.starts_with("YOU LOSE") ||
        message.starts_with("DRAW")) {
      results.push_back(message.substr(0, message.find("  ")));
      finalCounts.push_back(countStones(game.state.board));
      game.keys.push_back(kSpace);
      return;
    }
    if (panel(s, 2).starts_with("HIT ANY KEY")) {
      ++passes;
      game.keys.push_back(kSpace);
      return;
    }
    // The person's move entry: the display must show the game's board and counts.
    for (int y = 1; y <= 8; ++y) {
      std::string row;
      for (int x = 1; x <= 8; ++x) row += "O.X"[game.state.board.at(x, y) + 1];
      EXPECT_EQ(s.boardRow(y), row) << "row " << y;
    }
    const StoneCounts counts = countStones(game.state.board);
    EXPECT_EQ(std::stoi(s.textRow(3).substr(10, 2)), counts.black);
    EXPECT_EQ(std::stoi(s.textRow(4).substr(10, 2)), counts.white);
    const auto cursor = s.cursor();
    ASSERT_TRUE(cursor.has_value());
    const auto [targetX, targetY] =
        testing::lastLegalSquare(game.state.board, game.state.humanSide);
    ASSERT_NE(targetX, 0) << "move entry without a legal square";
    game.playSquare((*cursor)[0], (*cursor)[1], targetX, targetY);
    ++moves;
  }

  std::vector<std::string> results;
  std::vector<StoneCounts> finalCounts;
  int moves = 0;
  int passes = 0;

 private:
  int gamesLeft_;
  int firstKey_;
};

void expectResultMatchesCounts(const std::string& result, StoneCounts counts, Side human) {
  const int mine = human == kBlack ? counts.black : counts.white;
  const int theirs = human == kBlack ? counts.white : counts.black;
  EXPECT_EQ(result, mine > theirs ? "YOU WIN" : mine < theirs ? "YOU LOSE" : "DRAW");
}

TEST(GameFlow, WholeGamesAsBlackThenAsWhiteReturnToTheTitle) {
  for (int firstKey : {kKey1, kKey2}) {
    ScriptedGame game;
    Player player(2, firstKey);
    game.refill = std::ref(player);
    game.runFromStart();
    ASSERT_EQ(player.results.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
      expectResultMatchesCounts(player.results[i], player.finalCounts[i],
                                firstKey == kKey1 ? kBlack : kWhite);
    }
    EXPECT_GT(player.moves, 40);
    // After the second result one key brought the title back.
    EXPECT_TRUE(readDisplay().textRow(0).starts_with("  BRELVOXAN"));
  }
}

TEST(GameFlow, TheNextGameStartsAfreshWithTheBoxTopLeft) {
  ScriptedGame game;
  Player player(1, kKey1);
  game.refill = [&](ScriptedGame& g) {
    if (player.results.empty()) {
      player(g);
    } else if (g.keys.empty() && readDisplay().textRow(0).starts_with("  BRELVOXAN")) {
      g.keys.push_back(kKey1);
      player.results.push_back("again");
    }
  };
  game.runFromStart();
  ASSERT_EQ(player.results.size(), 2u);
  const reader::Screen s = readDisplay();
  EXPECT_EQ(s.cursor(), (std::array<int, 2>{1, 1}));
  EXPECT_EQ(s.textRow(3).substr(10, 2), " 2");
  EXPECT_EQ(s.textRow(4).substr(10, 2), " 2");
  EXPECT_EQ(s.boardRow(4), "...OX...");
  EXPECT_EQ(panel(s, 1), std::string(15, ' '));
}

// Replays the same game from `position`, the person playing Black and moving first, and returns
// the screen as it stands when the virtual clock reaches `stopAt` or the keys run out (and the
// game's state then in *after, if given). The game and its clock are deterministic, so replays
// stopped at different times tell one story.
reader::Screen replayUntil(const char* position, std::deque<int> keys, uint64_t stopAt,
                           Game* after = nullptr) {
  ScriptedGame game;
  game.keys = std::move(keys);
  headless::requestStopAt(stopAt);
  game.runFrom(boardFromText(position), kBlack, kBlack);
  if (after != nullptr) *after = game.state;
  return readDisplay();
}

constexpr uint64_t kNever = UINT64_MAX;
// Start-up's 20 ms look and the sweep that shows the position.
constexpr uint64_t kFirstWait = 20 + 640;

TEST(GameFlow, AMoveTheCpuPassesAnotherMove) {
  // The person (X) can play (1,6), turning (2,5) and (3,4), and (8,1), turning (7,1); the CPU (O)
  // has nothing after the first move; (1,8) stays empty for good.
  constexpr const char* kPosition =
      "XXXXXXO."
      "XXXXXXXX"
      "XXXXXXXX"
      "XXOXXXXX"
      "XOXXXXXX"
      ".XXXXXXX"
      "XXXXXXXX"
      ".XXXXXXX";
  std::deque<int> keys = {kRight, kDown, kDown, kDown, kDown, kEnter};  // Enter on (2,5)

  // An occupied square is never played, even with stones to turn around it.
  reader::Screen s = replayUntil(kPosition, keys, kNever);
  EXPECT_EQ(s.boardRow(4), "XXOXXXXX");
  EXPECT_EQ(s.boardRow(5), "XOXXXXXX");
  EXPECT_EQ(s.cursor(), (std::array<int, 2>{2, 5}));
  EXPECT_EQ(panel(s, 0), "YOU (BLACK)    ");
  EXPECT_EQ(headless::clockMs(), kFirstWait);

  // (1,6): its stone shows at once, and the sweep turns column by column: 150 ms in, column 2
  // is done and column 3 not yet, although (3,4) lies in an earlier row than (2,5).
  keys.insert(keys.end(), {kLeft, kDown, kEnter});
  s = replayUntil(kPosition, keys, kFirstWait + 150);
  EXPECT_EQ(s.square(1, 6), 'X');
  EXPECT_EQ(s.square(2, 5), 'X');
  EXPECT_EQ(s.square(3, 4), 'O');
  EXPECT_EQ(s.textRow(3).substr(10, 2), "58");

  // The CPU passes; "CPU PASS" stays up during the person's turn and the box waits on the
  // person's last square.
  const uint64_t cpuPassed = kFirstWait + 640 + 700;
  Game after;
  s = replayUntil(kPosition, keys, kNever, &after);
  EXPECT_EQ(headless::clockMs(), cpuPassed);
  EXPECT_EQ(panel(s, 0), "YOU (BLACK)    ");
  EXPECT_EQ(panel(s, 1), "CPU PASS       ");
  EXPECT_EQ(s.cursor(), (std::array<int, 2>{1, 6}));
  EXPECT_EQ(s.boardRow(4), "XXXXXXXX");
  EXPECT_EQ(s.textRow(3).substr(10, 2), "61");
  EXPECT_EQ(s.textRow(4).substr(10, 2), " 1");
  EXPECT_EQ(after.consecutivePasses, 1);

  // (8,1): the move clears the pass count and the person's turn clears the message rows; the
  // CPU's line stands through its pause.
  for (int i = 0; i < 7; ++i) keys.push_back(kRight);
  for (int i = 0; i < 5; ++i) keys.push_back(kUp);
  keys.push_back(kEnter);
  s = replayUntil(kPosition, keys, cpuPassed + 640 + 699, &after);
  EXPECT_EQ(s.boardRow(1), "XXXXXXXX");
  EXPECT_EQ(panel(s, 0), "CPU (WHITE)    ");
  EXPECT_EQ(panel(s, 1), std::string(15, ' '));
  EXPECT_EQ(panel(s, 2), std::string(15, ' '));
  EXPECT_EQ(after.consecutivePasses, 0);

  // The CPU, without a stone, passes again and the person has no square: the game ends with the
  // box drawn by that pass on the person's last square.
  s = replayUntil(kPosition, keys, kNever);
  EXPECT_EQ(panel(s, 1), "YOU WIN        ");
  EXPECT_EQ(s.cursor(), (std::array<int, 2>{8, 1}));
}

TEST(GameFlow, APassAMoveAPassAndTheGameGoesOn) {
  // The person (X) has no square; the CPU (O) has only (6,8), and after it the person still
  // has none.
  constexpr const char* kPosition =
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXX..XO";
  // After the pass and its key the message rows are blank, and the CPU's line is up from the
  // first to the last millisecond of its pause.
  for (uint64_t at : {kFirstWait + 1, kFirstWait + 699}) {
    const reader::Screen s = replayUntil(kPosition, {kSpace}, at);
    EXPECT_EQ(panel(s, 0), "CPU (WHITE)    ") << at;
    EXPECT_EQ(panel(s, 1), std::string(15, ' ')) << at;
    EXPECT_EQ(panel(s, 2), std::string(15, ' ')) << at;
    EXPECT_EQ(s.boardRow(8), "XXXX..XO") << at;
  }
  // The CPU's move ends the run of passes: the person's next pass is asked for again.
  const reader::Screen s = replayUntil(kPosition, {kSpace}, kNever);
  EXPECT_EQ(s.boardRow(8), "XXXX.OOO");
  EXPECT_EQ(panel(s, 0), "CPU (WHITE)    ");
  EXPECT_EQ(panel(s, 1), "YOU PASS!      ");
  EXPECT_EQ(panel(s, 2), "HIT ANY KEY    ");
  EXPECT_EQ(headless::clockMs(), kFirstWait + 700 + 640);
}

// Positions for the end cases, row-major, 'X' black, 'O' white.
constexpr const char* kOnlyBlackLeft =
    "XXXXXXXX"
    "XXXXXXXX"
    "XXXXXXXX"
    "XXX..XXX"
    "XXXXXXXX"
    "XXXXXXXX"
    "XXXXXXXX"
    "XXXXXXXX";

TEST(GameEnd, PersonPassesThenCpuPassesEndsWithoutAnotherKey) {
  ScriptedGame game;
  game.keys = {kSpace};  // answers "Hit Any Key"; the next wait is the result's
  game.runFrom(boardFromText(kOnlyBlackLeft), kWhite, kWhite);
  const reader::Screen s = readDisplay();
  EXPECT_EQ(panel(s, 1), "YOU LOSE       ");
  EXPECT_EQ(headless::keyWaits(), 2);
  EXPECT_EQ(game.state.consecutivePasses, 3);
}

TEST(GameEnd, CpuPassesAndThePersonCannotMoveEndsWithoutYouPass) {
  ScriptedGame game;
  game.runFrom(boardFromText(kOnlyBlackLeft), kWhite, kBlack);
  const reader::Screen s = readDisplay();
  EXPECT_EQ(panel(s, 0), "CPU (WHITE)    ");
  EXPECT_EQ(panel(s, 1), "YOU WIN        ");
  EXPECT_EQ(panel(s, 2), std::string(15, ' '));
  EXPECT_EQ(headless::keyWaits(), 1);
  // The CPU's pass showed the box at the current square.
  EXPECT_EQ(s.cursor(), (std::array<int, 2>{1, 1}));
}

TEST(GameEnd, FillingTheLastSquareEndsBeforeTheOtherSide) {
  // One empty square at (8, 8); black turns the white run above it.
  constexpr const char* kOneLeft =
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "OOOOOOOO"
      "OOOOOOOO"
      "OOOOOOOO"
      "XXXXXXX.";
  {
    ScriptedGame game;
    game.playSquare(1, 1, 8, 8);
    game.runFrom(boardFromText(kOneLeft), kBlack, kBlack);
    const reader::Screen s = readDisplay();
    EXPECT_EQ(panel(s, 0), "YOU (BLACK)    ");
    EXPECT_EQ(panel(s, 1), "YOU WIN        ");
    EXPECT_EQ(s.textRow(3).substr(10, 2), "46");
    EXPECT_EQ(s.textRow(4).substr(10, 2), "18");
  }
  {
    ScriptedGame game;
    game.runFrom(boardFromText(kOneLeft), kBlack, kWhite);
    const reader::Screen s = readDisplay();
    EXPECT_EQ(panel(s, 0), "CPU (BLACK)    ");
    EXPECT_EQ(panel(s, 1), "YOU LOSE       ");
    EXPECT_EQ(headless::keyWaits(), 1);
  }
}

TEST(GameEnd, TheCountsAloneDecideTheResult) {
  struct Case {
    const char* position;
    Side human;
    const char* result;
  };
  // Full boards that nobody reached by a move: 32 to 32, then 31 black to 33 white.
  const Case cases[] = {
      {"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOO", kBlack, "DRAW"},
      {"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOO", kWhite, "YOU WIN"},
      {"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOO", kBlack, "YOU LOSE"},
  };
  for (const Case& c : cases) {
    ScriptedGame game;
    // The CPU passes first, then the person cannot move either.
    game.runFrom(boardFromText(c.position), static_cast<Side>(-c.human), c.human);
    EXPECT_TRUE(panel(readDisplay(), 1).starts_with(c.result)) << c.result;
  }
}

}  // namespace
}  // namespace brelvoxan::testing

namespace brelvoxan::testing {
namespace {

TEST(GameStop, ARunningGameStopsAtAnyWaitAndTheProcessGoesOn) {
  // In the first sweep, in the CPU's pause, and in the CPU's sweep.
  for (uint64_t at : {300u, 660u + 350u, 660u + 700u + 100u}) {
    ScriptedGame game;
    game.keys = {kKey2};
    host::headless::requestStopAt(at);
    game.runFromStart();

    EXPECT_EQ(host::headless::clockMs(), at);
  }
  // From another thread, while the game thread waits for a key that never comes.
  ScriptedGame game;
  game.keys = {kNoKey};
  game.refill = [](ScriptedGame& g) { g.keys.push_back(kNoKey); };
  std::thread gameThread([&] { game.runFromStart(); });
  while (host::headless::clockMs() < 1000) std::this_thread::yield();
  host::headless::requestStop();
  gameThread.join();
  EXPECT_TRUE(readDisplay().textRow(0).starts_with("  BRELVOXAN"));
}

}  // namespace
}  // namespace brelvoxan::testing
