#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

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
  EXPECT_EQ(s.handle("known_command komi"), "= true\n\n");
  EXPECT_EQ(s.handle("known_command loadsgf"), "= false\n\n");
  EXPECT_EQ(s.handle("list_commands"),
            "= protocol_version\nname\nversion\nknown_command\nlist_commands\nquit\nboardsize\n"
            "clear_board\nplay\ngenmove\nundo\nshowboard\nfinal_score\nkomi\ntime_settings\n"
            "time_left\nreg_genmove\nset_position\n\n");
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
  for (const char* bad : {"foo", "loadsgf game.sgf", "Name"}) {
    EXPECT_EQ(s.handle(bad), "? unknown command\n\n") << bad;
  }
  EXPECT_EQ(s.handle("13"), "?13 unknown command\n\n");
  for (const char* bad :
       {"play black", "play purple d3", "play black z9", "play black d33", "genmove", "genmove red",
        "name x", "known_command", "boardsize", "boardsize abc", "boardsize -8"}) {
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
  // The two passes that found the game over changed nothing and are not kept.
  for (int i = 0; i < moves - 2; ++i) ASSERT_EQ(s.handle("undo"), "=\n\n") << i;
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

// Lines read from `input` one after another and each answered, as the program does.
std::vector<std::string> answersTo(Session& s, const std::string& input) {
  size_t at = 0;
  const auto next = [&]() {
    return at < input.size() ? static_cast<unsigned char>(input[at++]) : EOF;
  };
  std::vector<std::string> answers;
  InputLine line;
  while (readLine(next, &line) == LineRead::kLine) answers.push_back(s.handle(line));
  return answers;
}

TEST(GtpInputTest, AnswersEveryCommandOnceWhateverItsCommentOrLineEnd) {
  Session s(2, 1);
  const std::string longComment(1100, '0');
  const std::string longWord(1100, 'x');
  // known_command and a word that fills the line to exactly the longest length.
  const std::string full = "known_command " + std::string(kMaxLineLength - 14, 'y');
  const std::vector<std::string> answers =
      answersTo(s, "# " + longComment + "\n" +              // a comment: no answer, however long
                       "1 name\r\n" +                       // CRLF
                       "7 name # " + longComment + "\n" +   // the command fits, its comment is long
                       full + "\r\n" +                      // the CR is not counted
                       full + "z\r\n" +                     // one too many
                       "8 " + longWord + "\n" +             // refused with its id
                       std::string(1200, ' ') + "\t\r\n" +  // blank, however long
                       "9 " + longWord + " # " + longComment + "\n" + "2 protocol_version");
  EXPECT_EQ(answers,
            (std::vector<std::string>{"", "=1 Brelvoxan\n\n", "=7 Brelvoxan\n\n", "= false\n\n",
                                      "? line longer than 1000 characters\n\n",
                                      "?8 line longer than 1000 characters\n\n", "",
                                      "?9 line longer than 1000 characters\n\n", "=2 2\n\n"}));
}

TEST(GtpInputTest, StopsReadingALineWithoutEnd) {
  size_t taken = 0;
  const auto endless = [&]() { return ++taken > (size_t{4} << 20) ? EOF : '#'; };
  InputLine line;
  EXPECT_EQ(readLine(endless, &line), LineRead::kEndless);
  EXPECT_EQ(taken, kMaxLineLength + kMaxSkipped + 1);
}

TEST(GtpTest, TakesWhatClientsSendBeforeAGameAndAWholePosition) {
  Session s(2, 1);
  for (const char* taken : {"komi 6.5", "komi -7", "komi 0", "time_settings 300 0 0",
                            "time_left black 30 0", "time_left W 0 0"}) {
    EXPECT_EQ(s.handle(taken), "=\n\n") << taken;
  }
  for (const char* bad : {"komi", "komi six", "komi 6.5.1", "time_settings 300 0",
                          "time_settings 300 -1 0", "time_left red 30 0", "time_left b 30",
                          "reg_genmove", "reg_genmove red", "set_position black"}) {
    EXPECT_EQ(s.handle(bad), "? syntax error\n\n") << bad;
  }
  EXPECT_EQ(s.handle("showboard"), kStartBoard);

  // reg_genmove answers what genmove would play, and plays nothing.
  s.handle("play black d3");
  const std::string before = s.handle("showboard");
  const std::string chosen = s.handle("reg_genmove white");
  EXPECT_EQ(s.handle("showboard"), before);
  EXPECT_EQ(s.handle("genmove white"), chosen);

  // A whole position, the side to move given; it starts a new history.
  const std::string squares = "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXO-";
  EXPECT_EQ(s.handle("set_position " + squares + " X"), "=\n\n");
  EXPECT_EQ(s.handle("undo"), "? cannot undo\n\n");
  EXPECT_NE(
      s.handle("showboard").find(" 8 X X X X X X O .\nX (black) 62, O (white) 1, black to move"),
      std::string::npos)
      << s.handle("showboard");
  EXPECT_EQ(s.handle("reg_genmove b"), "= H8\n\n");
  EXPECT_EQ(s.handle("set_position " + squares + " white"), "=\n\n");
  EXPECT_EQ(s.handle("genmove white"), "= pass\n\n");
  EXPECT_EQ(s.handle("set_position " + std::string(64, '-') + " b"),
            "? syntax error: centre square d4 is empty, as it never is in a game\n\n");
  EXPECT_EQ(s.handle("set_position \xEF\xBB\xBF" + squares.substr(3) + " b"),
            "? syntax error: square a1 holds the byte 0xEF, not X, O or -\n\n");
  EXPECT_EQ(s.handle("set_position " + squares + " Z"),
            "? syntax error: the side to move must be black, white, X or O\n\n");
}

TEST(GtpTest, KeepsNothingForUndoOnceTheGameIsOver) {
  Session s(1, 1);
  s.handle("play black d3");
  // All black but h8 and a white g8: black's h8 ends the game.
  s.handle("set_position XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXO- black");
  EXPECT_EQ(s.handle("genmove black"), "= H8\n\n");
  // Far more passes than a game can keep.
  for (int i = 0; i < 2 * static_cast<int>(kMaxHistory); ++i) {
    ASSERT_EQ(s.handle(i % 2 == 0 ? "genmove white" : "play black pass"),
              i % 2 == 0 ? "= pass\n\n" : "=\n\n")
        << i;
  }
  EXPECT_EQ(s.handle("final_score"), "= B+64\n\n");
  EXPECT_EQ(s.handle("undo"), "=\n\n");
  EXPECT_NE(s.handle("showboard").find("black to move"), std::string::npos);
  EXPECT_EQ(s.handle("undo"), "? cannot undo\n\n");
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
