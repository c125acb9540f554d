#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/bitboard.h"
#include "engine/endgame.h"
#include "engine/evaluation.h"
#include "engine/patterns.h"
#include "engine/search.h"
#include "reversi/board.h"
#include "reversi/perft.h"

namespace brelvoxan::engine {
namespace {

// A random game on the bordered board, one position per ply with the side to move.
struct Ply {
  Board board;
  Side side;
};
std::vector<Ply> randomGame(std::mt19937& rng) {
  std::vector<Ply> plies;
  Board b;
  resetBoard(b);
  Side side = kBlack;
  for (int passes = 0; passes < 2;) {
    plies.push_back({b, side});
    std::vector<std::pair<int, int>> legal;
    for (int x = 1; x <= 8; ++x) {
      for (int y = 1; y <= 8; ++y) {
        if (b.at(x, y) == kEmpty && isLegalMove(b, x, y, side)) legal.push_back({x, y});
      }
    }
    if (legal.empty()) {
      ++passes;
    } else {
      passes = 0;
      const auto [x, y] = legal[rng() % legal.size()];
      const FlipScan scan = scanFlips(b, x, y, side);
      b.at(x, y) = side;
      applyFlips(b, scan, x, y, side);
    }
    side = static_cast<Side>(-side);
  }
  return plies;
}

// The exact score by plain alpha-beta on the bordered board: no table, no ordering, no shortcut.
int referenceScore(Board& b, Side side, int alpha, int beta, bool passed) {
  int best = -65;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      if (b.at(x, y) != kEmpty) continue;
      const FlipScan scan = scanFlips(b, x, y, side);
      if (scan.flipDirections < 1) continue;
      const Board before = b;
      b.at(x, y) = side;
      applyFlips(b, scan, x, y, side);
      const int v = -referenceScore(b, static_cast<Side>(-side), -beta, -alpha, false);
      b = before;
      if (v > best) best = v;
      if (best > alpha) alpha = best;
      if (alpha >= beta) return best;
    }
  }
  if (best > -65) return best;
  if (!passed) return -referenceScore(b, static_cast<Side>(-side), -beta, -alpha, true);
  const StoneCounts c = countStones(b);
  const int own = side == kBlack ? c.black : c.white;
  const int opp = side == kBlack ? c.white : c.black;
  const int empties = 64 - own - opp;
  return own > opp ? own - opp + empties : own < opp ? own - opp - empties : 0;
}

// Random positions with `minEmpties`..`maxEmpties` empty squares from random games.
std::vector<Ply> randomEndgames(int count, int minEmpties, int maxEmpties, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<Ply> out;
  while (static_cast<int>(out.size()) < count) {
    const int want = minEmpties + static_cast<int>(rng() % (maxEmpties - minEmpties + 1));
    for (const Ply& p : randomGame(rng)) {
      if (fromBoard(p.board, p.side).emptyCount() == want) {
        out.push_back(p);
        break;
      }
    }
  }
  return out;
}

TEST(BitboardTest, AgreesWithTheBorderedBoardOnMovesAndFlipsOverRandomGames) {
  std::mt19937 rng(17);
  int positions = 0;
  for (int game = 0; game < 300; ++game) {
    for (const Ply& ply : randomGame(rng)) {
      const Position p = fromBoard(ply.board, ply.side);
      const Mask moves = legalMoves(p);
      for (int x = 1; x <= 8; ++x) {
        for (int y = 1; y <= 8; ++y) {
          const int sq = squareOf(x, y);
          if (ply.board.at(x, y) != kEmpty) {
            EXPECT_FALSE(moves & bitOf(sq));
            continue;
          }
          const bool legal = isLegalMove(ply.board, x, y, ply.side);
          ASSERT_EQ(legal, (moves & bitOf(sq)) != 0) << squareName(sq);
          ASSERT_EQ(legal, flipsOf(p, sq) != 0) << squareName(sq);
          if (!legal) continue;
          Board after = ply.board;
          after.at(x, y) = ply.side;
          applyFlips(after, scanFlips(ply.board, x, y, ply.side), x, y, ply.side);
          ASSERT_EQ(afterMove(p, sq, flipsOf(p, sq)),
                    fromBoard(after, static_cast<Side>(-ply.side)))
              << squareName(sq);
        }
      }
      ++positions;
    }
  }
  EXPECT_GT(positions, 300 * 55);
}

TEST(BitboardTest, PerftMatchesTheBorderedBoardAndConvertsBothWays) {
  Board b;
  resetBoard(b);
  EXPECT_EQ(fromBoard(b, kBlack), startPosition());
  for (int depth = 1; depth <= 7; ++depth) {
    EXPECT_EQ(perft(startPosition(), depth), brelvoxan::perft(b, kBlack, depth)) << depth;
  }
  EXPECT_EQ(perft(startPosition(), 9), 3005288u);

  std::mt19937 rng(3);
  for (const Ply& ply : randomGame(rng)) {
    Board back;
    toBoard(fromBoard(ply.board, ply.side), ply.side, &back);
    ASSERT_EQ(back.cells, ply.board.cells);
  }
}

// Bits are counted by the processor's instruction where it has one and portably otherwise, and
// at compile time too.
static_assert(countBits(0xF0F0'0000'0000'0001ULL) == 9);
TEST(BitboardTest, CountsBitsAlikeOnEveryPath) {
  std::mt19937_64 rng(11);
  std::vector<Mask> masks = {0, ~Mask{0}, Mask{1} << 63, 1};
  for (int i = 0; i < 2000; ++i) {
    // Sparse and dense masks, as boards of few and many discs.
    masks.push_back(rng() & rng() & rng());
    masks.push_back(rng() | rng());
  }
  for (const Mask m : masks) {
    ASSERT_EQ(countBits(m), std::popcount(m)) << std::hex << m;
    ASSERT_EQ(detail::countBitsPortable(m), std::popcount(m)) << std::hex << m;
  }
}

TEST(BitboardTest, NamesSquares) {
  EXPECT_EQ(squareName(squareOf(1, 1)), "a1");
  EXPECT_EQ(squareName(squareOf(8, 1)), "h1");
  EXPECT_EQ(squareName(squareOf(1, 2)), "a2");
  EXPECT_EQ(squareName(kPassMove), "pass");
  EXPECT_EQ(parseSquare("h8"), squareOf(8, 8));
  EXPECT_EQ(parseSquare("C4"), squareOf(3, 4));
  EXPECT_EQ(parseSquare("i1"), std::nullopt);
  EXPECT_EQ(parseSquare("a9"), std::nullopt);
  EXPECT_EQ(parseSquare("a"), std::nullopt);
}

TEST(EvaluationTest, StableDiscsNeverTurnLaterInTheGame) {
  std::mt19937 rng(5);
  int stableSeen = 0;
  for (int game = 0; game < 200; ++game) {
    const std::vector<Ply> plies = randomGame(rng);
    for (size_t i = 0; i < plies.size(); ++i) {
      const Position p = fromBoard(plies[i].board, kBlack);
      const Mask black = stableDiscs(p.own, p.opp);
      const Mask white = stableDiscs(p.opp, p.own);
      ASSERT_EQ(black & ~p.own, 0u);
      stableSeen += countBits(black | white);
      for (size_t j = i + 1; j < plies.size(); ++j) {
        const Position later = fromBoard(plies[j].board, kBlack);
        ASSERT_EQ(black & ~later.own, 0u) << "ply " << i << " to " << j;
        ASSERT_EQ(white & ~later.opp, 0u) << "ply " << i << " to " << j;
      }
    }
  }
  EXPECT_GT(stableSeen, 1000);
}

// The stable discs of `own` found square by square: a disc is stable when, along each of the
// four lines through it, the line is full or a neighbour on that line is the edge or a stable
// disc of its own, grown until nothing more is found.
Mask stableBySquares(Mask own, Mask opp) {
  constexpr int kLines[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  const auto at = [](int x, int y) { return Mask{1} << (y * 8 + x); };
  const auto onBoard = [](int x, int y) { return x >= 0 && x < 8 && y >= 0 && y < 8; };
  Mask stable = 0;
  for (bool grew = true; grew;) {
    grew = false;
    for (int sq = 0; sq < 64; ++sq) {
      if (!(own & bitOf(sq)) || (stable & bitOf(sq))) continue;
      bool safe = true;
      for (const auto& d : kLines) {
        bool full = true;
        bool anchored = false;
        for (const int sign : {1, -1}) {
          int x = sq % 8 + sign * d[0];
          int y = sq / 8 + sign * d[1];
          if (!onBoard(x, y) || (stable & at(x, y))) anchored = true;
          for (; onBoard(x, y); x += sign * d[0], y += sign * d[1]) {
            if (!((own | opp) & at(x, y))) full = false;
          }
        }
        safe = safe && (full || anchored);
      }
      if (safe) {
        stable |= bitOf(sq);
        grew = true;
      }
    }
  }
  return stable;
}

TEST(EvaluationTest, StableDiscsAreEveryOneASquareBySquareLookFinds) {
  // Crowded boards, where full lines along rows, columns and both diagonals hold many of them.
  std::mt19937_64 rng(17);
  int stableSeen = 0;
  for (int i = 0; i < 20000; ++i) {
    Mask occupied = rng() | rng() | rng();
    if (i % 2) occupied |= rng();
    const Mask own = occupied & rng();
    const Mask stable = stableDiscs(own, occupied & ~own);
    ASSERT_EQ(stable, stableBySquares(own, occupied & ~own)) << own << " " << (occupied & ~own);
    stableSeen += countBits(stable);
    // The quick count: exact from `least` on; under `least`, never below the true count.
    const int count = countBits(stable);
    for (const int least : {count - 1, count, count + 1, count + 5}) {
      const int quick = stableCount(own, occupied & ~own, least);
      if (quick >= least) {
        ASSERT_EQ(quick, count) << own << " " << (occupied & ~own) << " least " << least;
      } else {
        ASSERT_GE(quick, count) << own << " " << (occupied & ~own) << " least " << least;
      }
    }
  }
  EXPECT_GT(stableSeen, 20000);
}

TEST(EvaluationTest, PrefersCornersAndMobilityAndIsBounded) {
  // White holds a1 against black's x-square: better for white to move than for black.
  Position p = startPosition();
  const Position withCorner{p.own | bitOf(squareOf(2, 2)), p.opp | bitOf(squareOf(1, 1))};
  EXPECT_LT(evaluate(withCorner), 0);
  EXPECT_GT(evaluate(withCorner.passed()), 0);
  EXPECT_LE(std::abs(evaluate({~Mask{0} >> 1, Mask{1} << 63})), kMaxEvaluation);
}

// The position turned by one of the board's eight symmetries.
Position transformed(const Position& p, int symmetry) {
  Position out;
  for (int sq = 0; sq < 64; ++sq) {
    int x = sq % 8;
    int y = sq / 8;
    if (symmetry & 1) x = 7 - x;
    if (symmetry & 2) y = 7 - y;
    if (symmetry & 4) std::swap(x, y);
    out.own |= ((p.own >> sq) & 1) << (y * 8 + x);
    out.opp |= ((p.opp >> sq) & 1) << (y * 8 + x);
  }
  return out;
}

TEST(PatternTest, JudgesAlikeUnderSymmetryAndFollowsExactScores) {
  const PatternSet& set = patternSet();
  std::vector<uint32_t> indices;
  patternIndices(startPosition(), &indices);
  for (const uint32_t i : indices) ASSERT_LT(i, static_cast<uint32_t>(set.values));

  // Read through the board's symmetries with shifts and masks, it sums the same values as
  // when read square by square.
  EXPECT_TRUE(patternReadsFast());
  std::mt19937 rng(11);
  for (int game = 0; game < 40; ++game) {
    for (const Ply& ply : randomGame(rng)) {
      const Position p = fromBoard(ply.board, ply.side);
      const int score = patternScore(p);
      indices.clear();
      patternIndices(p, &indices);
      int sum = 0;
      for (const uint32_t i : indices) sum += patternValue(i);
      ASSERT_EQ(score, sum);
      for (int symmetry = 1; symmetry < 8; ++symmetry) {
        ASSERT_EQ(patternScore(transformed(p, symmetry)), score) << "symmetry " << symmetry;
      }
    }
  }

  // Boards no game reaches, such as the empty one, are judged from within the values (the
  // address sanitizer build checks the reads).
  for (const Position& unusual : {Position{}, Position{~Mask{0} >> 1, 0}}) {
    EXPECT_LE(std::abs(patternScore(unusual)), static_cast<int>(indices.size()) * 127);
  }

  // On positions it never saw, its prediction is much closer to the exact score than 0 is.
  EndgameSolver solver(16);
  double error = 0;
  double spread = 0;
  for (const Ply& ply : randomEndgames(60, 10, 14, 12)) {
    const Position p = fromBoard(ply.board, ply.side);
    const double exact = solver.solve(p, false).score;
    const double predicted = static_cast<double>(patternScore(p)) / kPatternScale;
    error += (predicted - exact) * (predicted - exact);
    spread += exact * exact;
  }
  EXPECT_LT(error, spread / 2);
}

TEST(PatternTest, EveryPhaseHasItsValuesAndTheWholeGameIsJudgedByThem) {
  // Each midgame phase's values were read in full from their code: a good share of them are
  // not 0.
  const PatternSet& set = patternSet();
  for (int phase = 1; phase <= kMidgamePhases; ++phase) {
    int nonZero = 0;
    for (int slot = 0; slot < set.values; ++slot) {
      nonZero += phaseValue(phase, static_cast<uint32_t>(slot)) != 0;
    }
    EXPECT_GT(nonZero, set.values / 50) << "phase " << phase;
  }

  // Every position is judged by the values of its own phase, the late ones at the end, alike
  // under the board's symmetries.
  std::vector<uint32_t> indices;
  std::set<int> phasesSeen;
  std::mt19937 rng(12);
  for (int game = 0; game < 20; ++game) {
    for (const Ply& ply : randomGame(rng)) {
      const Position p = fromBoard(ply.board, ply.side);
      const int phase = phaseOf(p.emptyCount());
      phasesSeen.insert(phase);
      const int score = gameScore(p);
      if (p.emptyCount() <= kLateEmpties) {
        ASSERT_EQ(score, patternScore(p));
      }
      indices.clear();
      patternIndices(p, &indices);
      int sum = 0;
      for (const uint32_t i : indices) sum += phaseValue(phase, i);
      ASSERT_EQ(score, sum) << "empty squares " << p.emptyCount();
      for (int symmetry = 1; symmetry < 8; ++symmetry) {
        ASSERT_EQ(gameScore(transformed(p, symmetry)), score) << "symmetry " << symmetry;
      }
    }
  }
  EXPECT_EQ(phasesSeen.size(), static_cast<size_t>(kMidgamePhases + 1));
  EXPECT_EQ(phaseOf(60), kMidgamePhases);
  EXPECT_EQ(phaseOf(kLateEmpties + 1), 1);
  EXPECT_EQ(phaseOf(kLateEmpties + kPhaseEmpties), 1);
  EXPECT_EQ(phaseOf(kLateEmpties + kPhaseEmpties + 1), 2);
}

TEST(PatternSlowTest, TheFirstMidgamePhaseFollowsExactScores) {
  // Positions just past the late phase, which the late values never saw: the first phase's
  // prediction is much closer to the exact score than 0 is.
  EndgameSolver solver(20);
  double error = 0;
  double spread = 0;
  for (const Ply& ply : randomEndgames(6, kLateEmpties + 1, kLateEmpties + 2, 13)) {
    const Position p = fromBoard(ply.board, ply.side);
    const double exact = solver.solve(p, false).score;
    const double predicted = static_cast<double>(gameScore(p)) / kPatternScale;
    error += (predicted - exact) * (predicted - exact);
    spread += exact * exact;
  }
  EXPECT_LT(error, spread / 2);
}

TEST(SearchTest, TheMidgameSearchJudgesByTheLearntValues) {
  // Level 2 looks two plies ahead: its score is the best of the worst of gameScore over the
  // replies (no position here ends the game or passes within two plies).
  std::mt19937 rng(31);
  const std::vector<Ply> plies = randomGame(rng);
  for (const size_t ply : {size_t{6}, size_t{20}, size_t{30}}) {
    const Position p = fromBoard(plies[ply].board, plies[ply].side);
    int best = -1 << 30;
    for (Mask m = legalMoves(p); m; m &= m - 1) {
      const int sq = std::countr_zero(m);
      const Position next = afterMove(p, sq, flipsOf(p, sq));
      int worst = 1 << 30;
      for (Mask r = legalMoves(next); r; r &= r - 1) {
        const int reply = std::countr_zero(r);
        const Position leaf = afterMove(next, reply, flipsOf(next, reply));
        ASSERT_NE(legalMoves(leaf), 0u);
        worst = std::min(worst, gameScore(leaf));
      }
      ASSERT_LT(worst, 1 << 30);
      best = std::max(best, worst);
    }
    const MoveChoice choice = Engine(3).choose(p, 2, std::chrono::hours(1));
    EXPECT_EQ(choice.depth, 2);
    EXPECT_EQ(choice.score, best) << "ply " << ply;
  }
}

TEST(EndgameTest, SolverMatchesPlainAlphaBetaOnRandomPositions) {
  EndgameSolver solver(16);
  // A guess of the score, right or far off, changes only the speed.
  EndgameSolver guessing(16);
  constexpr int kGuesses[] = {-64, -21, 0, 6, 30, 64};
  int guess = 0;
  for (const Ply& ply : randomEndgames(300, 1, 11, 11)) {
    Board b = ply.board;
    const int want = referenceScore(b, ply.side, -64, 64, false);
    const Position p = fromBoard(ply.board, ply.side);
    const ExactResult r = solver.solve(p, true);
    ASSERT_TRUE(r.complete);
    ASSERT_EQ(r.score, want) << p.own << " " << p.opp;
    const ExactResult guessed = guessing.solve(p, false, {}, kGuesses[guess++ % 6]);
    ASSERT_EQ(guessed.score, want) << "guess " << kGuesses[(guess - 1) % 6];
    if (legalMoves(p) == 0) {
      EXPECT_EQ(r.move, kPassMove);
      continue;
    }
    // Every move named equal reaches the best score, and no other does.
    const Mask equal = [&] {
      Mask m = 0;
      for (int sq : r.equal) m |= bitOf(sq);
      return m;
    }();
    EXPECT_TRUE(equal & bitOf(r.move));
    for (Mask moves = legalMoves(p); moves; moves &= moves - 1) {
      const int sq = std::countr_zero(moves);
      Board after;
      toBoard(afterMove(p, sq, flipsOf(p, sq)), static_cast<Side>(-ply.side), &after);
      const int v = -referenceScore(after, static_cast<Side>(-ply.side), -64, 64, false);
      ASSERT_EQ(v == want, (equal & bitOf(sq)) != 0) << squareName(sq);
      if (sq == guessed.move) {
        EXPECT_EQ(v, want) << "guessed move " << squareName(sq);
      }
    }
  }
}

// Unoptimised builds (the sanitizer builds) check fewer positions in the long checks.
#ifdef NDEBUG
constexpr int kLongCheckPositions = 1000;
#else
constexpr int kLongCheckPositions = 50;
#endif

// The long check: 1,000 positions of up to 13 empty squares (label slow). Every threshold of the
// solver's (engine/endgame.cpp) lies at 12 empty squares or fewer, or at 14 or more where they
// change nothing below 15, so 13 reaches every path that more would, for a fraction of the plain
// search's time.
TEST(EndgameSlowTest, SolverMatchesPlainAlphaBetaOnAThousandPositions) {
  EndgameSolver solver;
  int checked = 0;
  for (const Ply& ply : randomEndgames(kLongCheckPositions, 4, 13, 1000)) {
    const ExactResult r = solver.solve(fromBoard(ply.board, ply.side), false);
    // A fail-soft search answers a score strictly inside its window only when that is the
    // position's value, so a window of one score around the solver's proves it, or disproves
    // it, for a fraction of the whole window's cost.
    Board b = ply.board;
    ASSERT_EQ(referenceScore(b, ply.side, r.score - 1, r.score + 1, false), r.score);
    ++checked;
  }
  EXPECT_EQ(checked, kLongCheckPositions);
}

// 20 empty squares; the best move is a2 and black wins by 38. About ten million positions.
Position publishedTwenty() {
  const std::string board = "O--OOOOX-OOOOOOXOOXXOOOXOOXOOOXXOOOOOOXX---OOOOX----O--X--------";
  Position p;
  for (int sq = 0; sq < 64; ++sq) {
    if (board[static_cast<size_t>(sq)] == 'X') p.own |= bitOf(sq);
    if (board[static_cast<size_t>(sq)] == 'O') p.opp |= bitOf(sq);
  }
  return p;
}

TEST(EndgameSlowTest, SolvesAPublishedPositionAndStopsAtItsBudget) {
  const Position p = publishedTwenty();
  EndgameSolver solver;
  SearchLimit limit;
  limit.nodes = 100000;
  const uint64_t before = solver.nodes();
  const ExactResult stopped = solver.solve(p, false, limit);
  EXPECT_FALSE(stopped.complete);
  EXPECT_FALSE(stopped.guarded);
  // Stopped at its budget, give or take the positions below one poll.
  EXPECT_LT(solver.nodes() - before, 2 * limit.nodes);
  // Its own first guess, or one given far off either way.
  for (const std::optional<int> guess :
       {std::optional<int>{}, std::optional<int>{-64}, std::optional<int>{64}}) {
    EndgameSolver fresh;
    const ExactResult r = fresh.solve(p, false, {}, guess);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(squareName(r.move), "a2");
    EXPECT_EQ(r.score, 38);
  }
}

TEST(SearchTest, LevelsGoDeeperAndSolveEarlierOneAfterAnother) {
  for (int level = kMinSearchLevel; level < kMaxLevel; ++level) {
    EXPECT_LT(levelSettings(level).depth, levelSettings(level + 1).depth);
    EXPECT_LT(levelSettings(level).exactEmpties, levelSettings(level + 1).exactEmpties);
  }
  EXPECT_GE(levelSettings(kMaxLevel).exactEmpties, 18);
}

TEST(SearchTest, TheSelectiveSearchStaysCloseToThePlainOneForFewerPositions) {
  // Its cuts trust a shallow score only far beyond the window, so its scores stay within a sixth
  // of the shallow search's distance from the plain one, while it visits fewer positions.
  uint64_t plainNodes = 0;
  uint64_t selectiveNodes = 0;
  int selectiveOff = 0;
  int shallowOff = 0;
  int count = 0;
  for (const Ply& ply : randomEndgames(12, 24, 44, 36)) {
    const Position p = fromBoard(ply.board, ply.side);
    if (legalMoves(p) == 0) continue;
    Engine plain(1);
    Engine selective(1);
    const int deep = plain.searchScore(p, 8, false);
    plainNodes += plain.nodes();
    selectiveOff += std::abs(selective.searchScore(p, 8, true) - deep);
    selectiveNodes += selective.nodes();
    shallowOff += std::abs(plain.searchScore(p, 8 - kCutReduction, false) - deep);
    ++count;
  }
  ASSERT_GT(count, 8);
  EXPECT_LT(selectiveOff * 6, shallowOff);
  EXPECT_LT(selectiveNodes, plainNodes * 3 / 4);
  // Models are known for every depth and count of empty squares, the deepest standing for more.
  EXPECT_GT(cutModel(60, 30).spread, 0);
  EXPECT_GT(cutModel(0, kCutFirstDepth).spread, 0);
}

TEST(SearchTest, LevelFiveLooksDeeperNearTheEnd) {
  const LevelSettings five = levelSettings(kMaxLevel);
  ASSERT_GT(five.lateDepth, five.depth);
  for (const Ply& ply : randomEndgames(2, five.exactEmpties + 4, five.lateEmpties, 12)) {
    const Position p = fromBoard(ply.board, ply.side);
    if (legalMoves(p) == 0) continue;
    Engine engine(1);
    // Its budget may stop the deepest plies, not the first two beyond its usual depth.
    const int depth = engine.choose(p, kMaxLevel, std::chrono::hours(1)).depth;
    EXPECT_GT(depth, five.depth + 1);
    EXPECT_LE(depth, five.lateDepth);
  }
}

TEST(SearchTest, LevelFiveSearchesToTheEndWhereASolveDoesNotFit) {
  // Where its budget stops the exact solve, level 5 plays its last selective pass's move,
  // searched to the end, rather than the midgame search's; where no pass was sure enough, the
  // midgame search still looks further ahead than elsewhere.
  const LevelSettings five = levelSettings(kMaxLevel);
  int unproven = 0;
  int gaveUp = 0;
  for (const Ply& ply : randomEndgames(12, 21, five.exactEmpties, 31)) {
    const Position p = fromBoard(ply.board, ply.side);
    if (legalMoves(p) == 0) continue;
    Engine engine(1);
    const MoveChoice choice = engine.choose(p, kMaxLevel, std::chrono::hours(1));
    EXPECT_TRUE(legalMoves(p) & bitOf(choice.move));
    if (choice.exact) continue;
    if (choice.depth == p.emptyCount()) {
      ++unproven;
      EXPECT_EQ(choice.equal, std::vector<int>{choice.move});
    } else {
      ++gaveUp;
      EXPECT_GT(choice.depth, five.depth) << "at " << p.emptyCount() << " empty squares";
      EXPECT_LE(choice.depth, five.gaveUpDepth);
    }
    if (unproven > 0 && gaveUp > 0) break;  // each costs millions of positions
  }
  EXPECT_GT(unproven, 0) << "no position played a selective pass's move";
  EXPECT_GT(gaveUp, 0) << "no solve gave up without a sure pass";
}

TEST(SearchTest, ASelectiveSearchBeforeLeavesAPlainLevelPlain) {
  for (const Ply& ply : randomEndgames(3, 26, 34, 8)) {
    const Position p = fromBoard(ply.board, ply.side);
    if (legalMoves(p) == 0) continue;
    Engine fresh(1);
    Engine used(1);
    used.searchScore(p, 6, true);
    const uint64_t before = used.nodes();
    const MoveChoice a = fresh.choose(p, 4, std::chrono::hours(1));
    const MoveChoice b = used.choose(p, 4, std::chrono::hours(1));
    EXPECT_EQ(a.score, b.score);
    EXPECT_EQ(a.equal, b.equal);
    EXPECT_EQ(fresh.nodes(), used.nodes() - before);
  }
}

TEST(SearchTest, LevelFivePlaysABestMoveInTheEndgame) {
  Engine engine(7);
  EndgameSolver solver(16);
  for (const Ply& ply : randomEndgames(4, 14, 16, 21)) {
    const Position p = fromBoard(ply.board, ply.side);
    if (legalMoves(p) == 0) continue;
    const MoveChoice choice = engine.choose(p, kMaxLevel, std::chrono::hours(1));
    ASSERT_TRUE(choice.exact);
    const int best = solver.solve(p, false).score;
    const Position next = afterMove(p, choice.move, flipsOf(p, choice.move));
    EXPECT_EQ(-solver.solve(next, false).score, best);
  }
}

TEST(SearchTest, SeedRepeatsChoicesAndDifferentSeedsVary) {
  // The four first moves are equal by symmetry.
  std::set<int> firstMoves;
  for (uint64_t seed = 1; seed <= 16; ++seed) {
    Engine a(seed);
    Engine b(seed);
    const MoveChoice ca = a.choose(startPosition(), 3, std::chrono::hours(1));
    EXPECT_EQ(ca.equal.size(), 4u);
    EXPECT_EQ(ca.move, b.choose(startPosition(), 3, std::chrono::hours(1)).move);
    firstMoves.insert(ca.move);
  }
  EXPECT_GT(firstMoves.size(), 1u);
}

TEST(SearchTest, TheGuardStopsASearchOnlyOnAFarSlowerMachine) {
  std::mt19937 rng(9);
  const std::vector<Ply> plies = randomGame(rng);
  const Position p = fromBoard(plies[20].board, plies[20].side);
  Engine engine(1);
  // With no pace too slow, a cap of nothing stops nothing.
  engine.setSlowestPace(0);
  EXPECT_FALSE(engine.choose(p, kMaxLevel, std::chrono::milliseconds(0)).guarded);
  // A machine that manages less than a million positions a millisecond counts as far slower,
  // and past its cap of none the guard stops the search after the first ply.
  engine.setSlowestPace(1'000'000);
  const MoveChoice choice = engine.choose(p, kMaxLevel, std::chrono::milliseconds(0));
  EXPECT_TRUE(choice.guarded);
  EXPECT_GE(choice.depth, 1);
  EXPECT_LT(choice.depth, levelSettings(kMaxLevel).depth);
  EXPECT_TRUE(legalMoves(p) & bitOf(choice.move));
}

TEST(SearchTest, MovesDependOnThePositionLevelAndSeedAloneNotOnTheCapOrEarlierMoves) {
  std::mt19937 rng(21);
  const std::vector<Ply> plies = randomGame(rng);
  // The opening, the midgame, near the exact range, and a published ending whose exact solve
  // runs past level 5's budget.
  std::vector<Position> positions;
  for (const size_t ply : {size_t{4}, size_t{24}, plies.size() - 22}) {
    positions.push_back(fromBoard(plies[ply].board, plies[ply].side));
  }
  positions.push_back(publishedTwenty());
  for (int level = kMinSearchLevel; level <= kMaxLevel; ++level) {
    Engine used(5);
    for (const Position& p : positions) {
      const MoveChoice a = Engine(5).choose(p, level, std::chrono::milliseconds(1));
      // Even a busy machine or a sanitizer's build is not far slower: the guard never fired.
      EXPECT_FALSE(a.guarded) << "level " << level;
      const MoveChoice b = Engine(5).choose(p, level, std::chrono::seconds(10));
      // After the same position at another level, which leaves much to remember.
      used.choose(p, level == kMaxLevel ? level - 1 : level + 1, std::chrono::seconds(10));
      const MoveChoice c = used.choose(p, level, std::chrono::seconds(10));
      EXPECT_EQ(a.move, b.move) << "level " << level;
      EXPECT_EQ(a.score, b.score) << "level " << level;
      EXPECT_EQ(a.depth, b.depth) << "level " << level;
      EXPECT_EQ(a.move, c.move) << "level " << level << " after other moves";
      EXPECT_EQ(a.score, c.score) << "level " << level << " after other moves";
    }
  }
}

}  // namespace
}  // namespace brelvoxan::engine
