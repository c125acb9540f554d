#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/bitboard.h"
#include "engine/endgame.h"
#include "engine/opponent.h"
#include "engine/search.h"
#include "gtp/ggf.h"
#include "gtp/nboard_session.h"

namespace brelvoxan::gtp {
namespace {

using engine::Position;

constexpr const char* kStartBoard =
    "BO[8 ---------------------------O*------*O--------------------------- *]";

// The position after `moves` ("f5", or "pa" for a pass) from the start, black first.
Position played(const std::vector<std::string>& moves) {
  Position p = engine::startPosition();
  for (const std::string& m : moves) {
    if (m == "pa") {
      p = p.passed();
      continue;
    }
    const int sq = *engine::parseSquare(m);
    p = engine::afterMove(p, sq, engine::flipsOf(p, sq));
  }
  return p;
}

std::string upperName(int square) {
  std::string name = engine::squareName(square);
  name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// A game position `empties` squares from the end, reached by random moves, with moves to play.
Position randomPosition(int empties, unsigned seed) {
  std::mt19937 rng(seed);
  for (;;) {
    Position p = engine::startPosition();
    while (p.emptyCount() > empties) {
      engine::Mask moves = engine::legalMoves(p);
      if (moves == 0) {
        p = p.passed();
        moves = engine::legalMoves(p);
        if (moves == 0) break;
      }
      std::vector<int> squares;
      for (int sq = 0; sq < 64; ++sq) {
        if (moves & engine::bitOf(sq)) squares.push_back(sq);
      }
      const int sq = squares[rng() % squares.size()];
      p = engine::afterMove(p, sq, engine::flipsOf(p, sq));
    }
    if (p.emptyCount() == empties && engine::legalMoves(p) != 0) return p;
  }
}

// `p` as a GGF game with no moves, black to move in it when `black`.
std::string ggfOf(const Position& p, bool black) {
  std::string board = "(;GM[Othello]TY[8]BO[8 ";
  for (int sq = 0; sq < 64; ++sq) {
    const engine::Mask bit = engine::bitOf(sq);
    const bool own = (p.own & bit) != 0;
    const bool opp = (p.opp & bit) != 0;
    board += !own && !opp ? '-' : (own == black) ? '*' : 'O';
  }
  return board + (black ? " *" : " O") + "];)";
}

TEST(GgfTest, ReadsTheBoardTheSideMovesAndPassesAndSkipsEverythingElse) {
  std::string error;
  const std::string game = std::string("(;GM[Othello]PC[somewhere]DT[2014-02-21 20:52:27 GMT]") +
                           "PB[a]PW[b]RE[?]TI[15:00]TY[8]" + kStartBoard +
                           "B[F5]W[f6//0.5]B[D3/-1.25/3.1] W[C5]C[a comment with \\] and B[a1\\]]"
                           "B[E6]W[F7]\nB[E7]W[F4];)";
  const std::optional<GgfGame> g = readGgf(game, &error);
  ASSERT_TRUE(g) << error;
  const Position p = played({"f5", "f6", "d3", "c5", "e6", "f7", "e7", "f4"});
  EXPECT_EQ(g->black, p.own);
  EXPECT_EQ(g->white, p.opp);
  EXPECT_TRUE(g->blackToMove);
  EXPECT_EQ(g->moves, 8);

  // Black on a1 and white on b1, white to move: white has no move, black only c1. Its pass may
  // be written or left out; after c1 neither side can move.
  const std::string corner = "8 *O" + std::string(62, '-') + " O";
  for (const std::string moves : {"W[PA]B[c1]", "B[C1]", "W[pass]B[c1//1]"}) {
    const std::optional<GgfGame> c = readGgf("(;BO[" + corner + "]" + moves + ";)", &error);
    ASSERT_TRUE(c) << moves << ": " << error;
    EXPECT_EQ(c->black, engine::bitOf(0) | engine::bitOf(1) | engine::bitOf(2)) << moves;
    EXPECT_EQ(c->white, 0u) << moves;
    EXPECT_FALSE(c->blackToMove) << moves;
  }
  // Without a board, the usual start; a board set with white to move.
  const std::optional<GgfGame> bare = readGgf("  (;B[d3];)  ", &error);
  ASSERT_TRUE(bare) << error;
  EXPECT_EQ(bare->white, played({"d3"}).own);
  const std::optional<GgfGame> white = readGgf(ggfOf(played({"d3"}), false), &error);
  ASSERT_TRUE(white) << error;
  EXPECT_EQ(white->black, bare->black);
  EXPECT_FALSE(white->blackToMove);
}

TEST(GgfTest, RefusesBrokenGamesWithTheirFault) {
  const std::string start = std::string("(;") + kStartBoard;
  const struct {
    std::string text;
    std::string fault;
  } cases[] = {
      {"", "starts with"},
      {"GM[Othello]", "starts with"},
      {start, "no end"},
      {start + "B[f5]", "no end"},
      {start + "B[f5", "no closing ]"},
      {start + "PB[x\\", "no closing ]"},
      {start + "B f5;)", "no value"},
      {start + "[f5];)", "property name"},
      {start + ";)(;;)", "follows the game's end"},
      {"(;GM[Chess];)", "not a game of Reversi"},
      {"(;TY[10];)", "not an 8 x 8"},
      {"(;TY[8a];)", "variant"},
      {"(;BO[10 --];)", "not an 8 x 8"},
      {"(;BO[8 ---];)", "3 squares"},
      {"(;BO[8 " + std::string(63, '-') + "x *];)", "h8 holds 'x'"},
      {"(;BO[8 " + std::string(64, '-') + " +];)", "side to move"},
      {start + "B[z9];)", "not a square"},
      {start + "B[a1];)", "A1 at move 1 is not legal"},
      {start + "W[d3];)", "black is to move"},
      {start + "B[PA];)", "passes at move 1"},
      {start + "B[f5]" + kStartBoard + ";)", "comes after moves"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(readGgf(c.text, &error)) << c.text;
    EXPECT_NE(error.find(c.fault), std::string::npos) << c.text << " -> " << error;
  }
}

TEST(GgfTest, SurvivesTruncatedAndMangledGames) {
  const std::string game = std::string("(;GM[Othello]PB[x]TY[8]") + kStartBoard +
                           "B[f5]W[f6]B[e6]W[f4]B[e3]W[c5]B[c4]W[d3]C[\\]];)";
  std::string error;
  ASSERT_TRUE(readGgf(game, &error)) << error;
  for (size_t n = 0; n < game.size(); ++n) {
    EXPECT_FALSE(readGgf(game.substr(0, n), &error)) << n;
    EXPECT_FALSE(error.empty());
  }
  // Any byte anywhere: refused with a reason, or read as a position with no square taken twice.
  std::mt19937 rng(5);
  for (int i = 0; i < 3000; ++i) {
    std::string mangled = game;
    for (int k = 0; k < 1 + i % 3; ++k) {
      mangled[rng() % mangled.size()] = static_cast<char>(rng() % 256);
    }
    error.clear();
    const std::optional<GgfGame> g = readGgf(mangled, &error);
    if (g) {
      EXPECT_EQ(g->black & g->white, 0u) << mangled;
    } else {
      EXPECT_FALSE(error.empty()) << mangled;
      EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
  }
}

TEST(NboardTest, SetDepthChoosesTheStrongestLevelLookingNoFurther) {
  const int levels[][2] = {{1, 1}, {2, 2}, {3, 2},  {4, 3}, {5, 3},
                           {6, 4}, {9, 4}, {10, 5}, {60, 5}};
  for (const auto& [depth, level] : levels) EXPECT_EQ(levelForDepth(depth), level) << depth;
  NboardSession s(5, 1);
  EXPECT_EQ(s.handle("nboard 2"), "set myname Brelvoxan\n");
  EXPECT_EQ(s.handle("set depth 6"),
            "status depth 6: level 4, looking 6 moves ahead, exact from 16 empty squares\n");
  EXPECT_EQ(s.level(), 4);
  EXPECT_EQ(s.handle("set depth 1"), "status depth 1: level 1, looking one move ahead\n");
  EXPECT_EQ(s.level(), 1);
  // The manual page says the same, whatever the levels' depths become.
  std::ifstream in(std::string(BRELVOXAN_SOURCE_DIR) + "/packaging/brelvoxan-engine.6.in");
  std::ostringstream page;
  page << in.rdbuf();
  std::string text = page.str();
  for (char& c : text) c = c == '\n' ? ' ' : c;
  std::string looks = "levels ";
  std::string depths;
  for (int level = engine::kMinLevel, from = 1; level <= engine::kMaxLevel; ++level) {
    int to = from;
    while (to < 60 && levelForDepth(to + 1) == level) ++to;
    if (level > engine::kMinSearchLevel) looks += level == engine::kMaxLevel ? " and " : ", ";
    if (level >= engine::kMinSearchLevel) looks += std::to_string(level);
    if (level > engine::kMinLevel) depths += level == engine::kMaxLevel ? ", and " : ", ";
    depths += to == 60         ? "depth " + std::to_string(from) + " or more"
              : to == from     ? "depth " + std::to_string(from)
              : to == from + 1 ? "depths " + std::to_string(from) + " and " + std::to_string(to)
                               : "depths " + std::to_string(from) + " to " + std::to_string(to);
    depths += (level == engine::kMinLevel ? " gives level " : " level ") + std::to_string(level);
    from = to + 1;
  }
  looks += " look ";
  for (int level = engine::kMinSearchLevel; level <= engine::kMaxLevel; ++level) {
    if (level > engine::kMinSearchLevel) looks += level == engine::kMaxLevel ? " and " : ", ";
    looks += std::to_string(engine::levelSettings(level).depth);
  }
  EXPECT_NE(text.find(looks + " moves ahead, so " + depths + "."), std::string::npos)
      << looks << " moves ahead, so " << depths;
  // Level 1 values no move: go names its move alone, and hints come from level 2's search.
  engine::Opponent one(1, 1);
  EXPECT_EQ(s.handle("go"),
            "=== " + upperName(one.chooseSquare(engine::startPosition(), kBlack)) + "\n");
  const std::vector<std::string> hints = lines(s.handle("hint 4"));
  ASSERT_EQ(hints.size(), 4u);
  for (const std::string& hint : hints) EXPECT_EQ(hint.substr(hint.size() - 4), " 0 3") << hint;
}

TEST(NboardTest, HintsAreTheBestMovesWithExactValuesOnceSolvedAndGoPlaysTheBest) {
  for (unsigned seed = 1; seed <= 3; ++seed) {
    const Position p = randomPosition(12, seed);
    NboardSession s(3, seed);  // level 3 solves from 12 empty squares
    ASSERT_EQ(s.handle("set game " + ggfOf(p, seed % 2 == 0)), "");
    engine::EndgameSolver solver;
    const int best = solver.solve(p, false).score;
    const std::vector<std::string> hints = lines(s.handle("hint 3"));
    ASSERT_EQ(hints.size(), std::min(3, engine::countBits(engine::legalMoves(p))));
    double last = 64;
    for (const std::string& hint : hints) {
      char move[8] = {};
      double value = 0;
      char depth[8] = {};
      ASSERT_EQ(std::sscanf(hint.c_str(), "search %2s %lf 0 %7s", move, &value, depth), 3) << hint;
      EXPECT_STREQ(depth, "100%") << hint;
      EXPECT_LE(value, last) << hint;
      last = value;
      // The move's value is the exact score of the position after it, for the other side.
      const int sq = *engine::parseSquare(move);
      const Position next = engine::afterMove(p, sq, engine::flipsOf(p, sq));
      EXPECT_EQ(value, -solver.solve(next, false).score) << hint;
    }
    EXPECT_EQ(std::atof(hints[0].c_str() + 10), best) << hints[0];
    // go answers the move the opponent plays, with the best value, and keeps the position.
    const std::string before = s.handle("status");
    engine::Opponent opponent(3, seed);
    const std::string go = s.handle("go");
    EXPECT_EQ(go.substr(0, 7), "=== " + upperName(opponent.chooseSquare(p, kBlack)) + "/") << go;
    EXPECT_EQ(std::atof(go.c_str() + 7), best) << go;
    EXPECT_EQ(s.handle("status"), before);
  }
  // Black on a1, white on b1, white to move: white must pass, and black's c1 then wins 64 to 0.
  // The midgame search sees the game end: its values are in discs too.
  NboardSession s(3, 1);
  ASSERT_EQ(s.handle("set game (;BO[8 *O" + std::string(62, '-') + " O];)"), "");
  EXPECT_EQ(s.handle("hint 2").substr(0, 20), "search PA -64.00 0 5");
  EXPECT_EQ(s.handle("go"), "=== PA\n");
  EXPECT_EQ(s.handle("move PA"), "");
  EXPECT_EQ(s.handle("go").substr(0, 14), "=== C1/+64.00/");
  EXPECT_EQ(s.handle("move c1"), "");
  EXPECT_EQ(s.handle("hint 1"), "status the game is over\n");
  EXPECT_EQ(s.handle("go"), "status error: go: the game is over\n");
  EXPECT_EQ(s.handle("status"), "status level 3, the game is over, 61 empty squares\n");
}

TEST(NboardTest, MovesFollowTheGameAndBadLinesGetOneErrorLineAndChangeNothing) {
  NboardSession s(2, 4);
  EXPECT_EQ(s.handle("move f5"), "");
  EXPECT_EQ(s.handle("move D6/0.5/1.2"), "");
  EXPECT_EQ(s.handle("status"), "status level 2, black to move, 58 empty squares\n");
  const std::string bad[] = {
      "bogus",
      "set",
      "set colour 1",
      "set depth",
      "set depth 0",
      "set depth -3",
      "set depth x",
      "move",
      "move z9",
      "move a1",
      "move PA",
      "hint",
      "hint 0",
      "hint many",
      "ping",
      "ping one",
      "nboard 1",
      "set game",
      "set game (;B[a1];)",
      "\x01\x02\xff",
      "go!",
      std::string(5000, 'x'),
  };
  for (const std::string& line : bad) {
    const std::string answer = s.handle(line);
    EXPECT_EQ(answer.rfind("status error: ", 0), 0u) << line << " -> " << answer;
    EXPECT_EQ(answer.find('\n'), answer.size() - 1) << line << " -> " << answer;
    EXPECT_LT(answer.size(), 200u) << line;
    EXPECT_EQ(s.handle("status"), "status level 2, black to move, 58 empty squares\n") << line;
  }
  EXPECT_EQ(s.handle(""), "");
  EXPECT_EQ(s.handle(" \t\r"), "");
  EXPECT_EQ(s.handle("ping 17\r"), "pong 17\n");
  EXPECT_EQ(s.handle("learn"), "status nothing learnt: this engine keeps no book\nlearned\n");
  EXPECT_EQ(s.handle("set contempt 0.0"), "");
  EXPECT_EQ(s.handle("set contempt 2"),
            "status contempt is not supported: a draw counts as a draw\n");
  EXPECT_FALSE(s.quitting());
  EXPECT_EQ(s.handle("quit"), "");
  EXPECT_TRUE(s.quitting());
}

}  // namespace
}  // namespace brelvoxan::gtp
