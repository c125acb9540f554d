#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "build_info.h"
#include "engine/opponent.h"
#include "gtp/gtp_session.h"

namespace brelvoxan::gtp {
namespace {

constexpr const char* kStartBoard =
    "= \n"
    "   A B C D E F G H\n"
    " 1 . . . . . . . .\n"
    " 2 . . . . . . . .\n"
    " 3 . . . . . . . .\n"
    " 4 . . . O X . . .\n"
    " 5 . . . X O . . .\n"
    " 6 . . . . . . . .\n"
    " 7 . . . . . . . .\n"
    " 8 . . . . . . . .\n"
    "X (black) 2, O (white) 2, black to move\n\n";

TEST(GtpTest, AnswersEveryCommand) {
  Session s(2, 1);
  EXPECT_EQ(s.handle("protocol_version"), "= 2\n\n");
  EXPECT_EQ(s.handle("7 name"), "=7 Brelvoxan\n\n");
  EXPECT_EQ(s.handle("version"), std::string("= ") + kVersion + "\n\n");
  EXPECT_EQ(s.handle("known_command genmove"), "= true\n\n");
  EXPECT_EQ(s.handle("known_command komi"), "= false\n\n");
  EXPECT_EQ(s.handle("list_commands"),
            "= protocol_version\nname\nversion\nknown_command\nlist_commands\nquit\nboardsize\n"
            "clear_board\nplay\ngenmove\nundo\nshowboard\nfinal_score\n\n");
  EXPECT_EQ(s.handle("boardsize 8"), "=\n\n");
  EXPECT_EQ(s.handle("showboard"), kStartBoard);

  // Black d3 turns d4; white c3 turns d4 back; then black's engine move, and undo takes it back.
  EXPECT_EQ(s.handle("play black d3"), "=\n\n");
  EXPECT_EQ(s.handle("play W C3"), "=\n\n");
  const std::string before = s.handle("showboard");
  EXPECT_NE(before.find(" 3 . . O X . . . .\n 4 . . . O X"), std::string::npos) << before;
  EXPECT_NE(before.find("X (black) 3, O (white) 3, black to move"), std::string::npos) << before;
  const std::string move = s.handle("genmove b");
  ASSERT_EQ(move.size(), 6u) << move;
  EXPECT_NE(s.handle("showboard"), before);
  EXPECT_NE(s.handle("showboard").find("white to move"), std::string::npos);
  EXPECT_EQ(s.handle("undo"), "=\n\n");
  EXPECT_EQ(s.handle("showboard"), before);
  EXPECT_EQ(s.handle("final_score"), "? cannot score: the game is not over\n\n");

  EXPECT_EQ(s.handle("clear_board"), "=\n\n");
  EXPECT_EQ(s.handle("showboard"), kStartBoard);
  EXPECT_EQ(s.handle("undo"), "? cannot undo\n\n");
  EXPECT_FALSE(s.quitting());
  EXPECT_EQ(s.handle("3 quit"), "=3\n\n");
  EXPECT_TRUE(s.quitting());
}

TEST(GtpTest, RefusesBadCommandsAndKeepsItsBoard) {
  Session s(2, 1);
  for (const char* bad : {"foo", "komi 6.5", "Name"}) {
    EXPECT_EQ(s.handle(bad), "? unknown command\n\n") << bad;
  }
  EXPECT_EQ(s.handle("13"), "?13 unknown command\n\n");
  for (const char* bad : {"play black", "play purple d3", "play black z9", "play black d33",
                          "genmove", "genmove red", "name x", "known_command", "boardsize"}) {
    EXPECT_EQ(s.handle(bad), "? syntax error\n\n") << bad;
  }
  // A square that turns nothing, an occupied one, a pass with a move in hand.
  for (const char* illegal : {"play black a1", "play b d4", "play black pass"}) {
    EXPECT_EQ(s.handle(illegal), "? illegal move\n\n") << illegal;
  }
  EXPECT_EQ(s.handle("5 boardsize 19"), "?5 unacceptable size\n\n");
  EXPECT_EQ(s.handle("showboard"), kStartBoard);
  // Blank and comment lines get no answer; control characters are dropped, tabs are spaces.
  EXPECT_EQ(s.handle(""), "");
  EXPECT_EQ(s.handle(" \t # a comment"), "");
  EXPECT_EQ(s.handle("pro\x01tocol_version\r"), "= 2\n\n");
  EXPECT_EQ(s.handle("known_command\tname # why not"), "= true\n\n");
}

// Engine against engine to the end of the game, the score, then undo all the way back.
void playOut(int level) {
  Session s(level, 3);
  int moves = 0;
  int passes = 0;
  for (bool black = true; passes < 2; black = !black) {
    const std::string answer = s.handle(black ? "genmove black" : "genmove white");
    ASSERT_EQ(answer.substr(0, 2), "= ") << answer;
    passes = answer == "= pass\n\n" ? passes + 1 : 0;
    ++moves;
    ASSERT_LT(moves, 130);
  }
  const std::string board = s.handle("showboard");
  EXPECT_NE(board.find("the game is over"), std::string::npos) << board;
  const size_t x = board.find("X (black) ");
  const int black = std::stoi(board.substr(x + 10));
  const int white = std::stoi(board.substr(board.find("O (white) ") + 10));
  const int empty = 64 - black - white;
  const int diff = black - white + (black > white ? empty : black < white ? -empty : 0);
  const std::string want = diff == 0  ? "0"
                           : diff > 0 ? "B+" + std::to_string(diff)
                                      : "W+" + std::to_string(-diff);
  EXPECT_EQ(s.handle("final_score"), "= " + want + "\n\n");
  for (int i = 0; i < moves; ++i) ASSERT_EQ(s.handle("undo"), "=\n\n") << i;
  EXPECT_EQ(s.handle("undo"), "? cannot undo\n\n");
  EXPECT_EQ(s.handle("showboard"), kStartBoard);
}

TEST(GtpTest, PlaysWholeGamesAtTheOneMovePlayersLevelAndTheEngines) {
  playOut(1);
  playOut(2);
}

TEST(GtpTest, LevelOneIsTheGamesOneMoveAheadPlayer) {
  // From the start all four moves weigh the same and the first in column order is played.
  Session s(1, 1);
  EXPECT_EQ(s.handle("genmove black"), "= C4\n\n");
  // After black d3 the one-move player's white answer is c3, which the weights prefer.
  s.handle("clear_board");
  s.handle("play black d3");
  EXPECT_EQ(s.handle("genmove white"), "= C3\n\n");
}

// Every level's moves are those of the game's opponent at that level and seed.
TEST(GtpTest, EachLevelPlaysAsTheGamesOpponent) {
  for (int level = engine::kMinLevel; level <= engine::kMaxLevel; ++level) {
    Session s(level, 7);
    engine::Opponent opponent(level, 7);
    engine::Position p = engine::startPosition();
    bool black = true;
    for (int ply = 0; ply < (level == engine::kMaxLevel ? 8 : 16); ++ply, black = !black) {
      const int want = engine::legalMoves(p) == 0
                           ? engine::kPassMove
                           : opponent.chooseSquare(p, black ? kBlack : kWhite);
      std::string square = want == engine::kPassMove ? "pass" : engine::squareName(want);
      for (char& c : square) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      ASSERT_EQ(s.handle(black ? "genmove black" : "genmove white"), "= " + square + "\n\n")
          << "level " << level << ", ply " << ply;
      p = want == engine::kPassMove ? p.passed()
                                    : engine::afterMove(p, want, engine::flipsOf(p, want));
    }
  }
}

}  // namespace
}  // namespace brelvoxan::gtp
