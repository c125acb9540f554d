// The exact solver on two threads against one, and its move among equal ones whatever its
// first guess: both must leave the answer unchanged; its selective passes, which must leave it
// unchanged too and stay near it when asked for alone; and its budget, which bounds all of its
// work. Built in the thread sanitizer's build too.
#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <random>
#include <vector>

#include "engine/bitboard.h"
#include "engine/endgame.h"

namespace brelvoxan::engine {
namespace {

// Positions with `minEmpties`..`maxEmpties` empty squares, from random games.
std::vector<Position> randomEndgames(int count, int minEmpties, int maxEmpties, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<Position> out;
  while (static_cast<int>(out.size()) < count) {
    const int want = minEmpties + static_cast<int>(rng() % (maxEmpties - minEmpties + 1));
    Position p = startPosition();
    while (p.emptyCount() > want) {
      Mask moves = legalMoves(p);
      if (moves == 0) {
        p = p.passed();
        moves = legalMoves(p);
        if (moves == 0) break;
      }
      for (int skip = static_cast<int>(rng() % std::popcount(moves)); skip > 0; --skip) {
        moves &= moves - 1;
      }
      const int sq = std::countr_zero(moves);
      p = afterMove(p, sq, flipsOf(p, sq));
    }
    if (p.emptyCount() == want) out.push_back(p);
  }
  return out;
}

// Unoptimised builds (the sanitizer builds) check fewer and smaller positions.
#ifdef NDEBUG
constexpr int kPositions = 60;
constexpr int kMostEmpties = 16;
constexpr int kSelectivePositions = 12;
#else
constexpr int kPositions = 12;
constexpr int kMostEmpties = 12;
constexpr int kSelectivePositions = 3;
#endif

TEST(EndgameThreadsTest, TwoThreadsGiveTheSameScoreMoveAndEqualMoves) {
  EndgameSolver one(16);
  EndgameSolver two(16);
  two.setThreads(2);
  for (const Position& p : randomEndgames(kPositions, 6, kMostEmpties, 5)) {
    for (const bool findEqual : {true, false}) {
      one.clear();
      two.clear();
      const ExactResult a = one.solve(p, findEqual);
      const ExactResult b = two.solve(p, findEqual);
      ASSERT_TRUE(a.complete && b.complete);
      EXPECT_EQ(a.score, b.score) << p.own << " " << p.opp;
      EXPECT_EQ(a.move, b.move) << p.own << " " << p.opp;
      EXPECT_EQ(a.equal, b.equal) << p.own << " " << p.opp;
    }
  }
}

TEST(EndgameThreadsTest, TheMoveAmongEqualOnesDoesNotHangOnTheGuess) {
  // A guess far too high or too low takes other passes to the score; the move named, and the
  // order of the equal ones, must not change with them, on one thread or two.
  for (const Position& p : randomEndgames(kPositions, 6, kMostEmpties, 9)) {
    EndgameSolver plain(16);
    const ExactResult want = plain.solve(p, true);
    for (const int threads : {1, 2}) {
      for (const int guess : {-64, want.score - 10, want.score + 10, 64}) {
        EndgameSolver solver(16);
        solver.setThreads(threads);
        const ExactResult r = solver.solve(p, true, {}, guess);
        EXPECT_EQ(r.score, want.score) << "guess " << guess;
        EXPECT_EQ(r.move, want.move) << "guess " << guess << " threads " << threads;
        EXPECT_EQ(r.equal, want.equal) << "guess " << guess << " threads " << threads;
      }
    }
  }
}

// Where an exact solve climbs the selective levels before its exact passes; unoptimised builds
// take the smallest such positions alone.
constexpr int kSelectiveFewest = kSelectiveRootEmpties;
#ifdef NDEBUG
constexpr int kSelectiveMost = kSelectiveRootEmpties + 2;
#else
constexpr int kSelectiveMost = kSelectiveRootEmpties;
#endif

TEST(EndgameSelectiveTest, SelectivePassesChangeNoExactAnswer) {
  // With the selective passes and without, on one thread and two: the same score, move and
  // equal moves.
  for (const Position& p :
       randomEndgames(kSelectivePositions, kSelectiveFewest, kSelectiveMost, 13)) {
    EndgameSolver plain(16);
    plain.setSelectivePasses(false);
    const ExactResult want = plain.solve(p, true);
    for (const int threads : {1, 2}) {
      EndgameSolver solver(16);
      solver.setThreads(threads);
      const ExactResult r = solver.solve(p, true);
      ASSERT_TRUE(r.complete);
      EXPECT_EQ(r.certainty, kExactCertainty);
      EXPECT_EQ(r.score, want.score) << p.own << " " << p.opp;
      EXPECT_EQ(r.move, want.move) << p.own << " " << p.opp << " threads " << threads;
      EXPECT_EQ(r.equal, want.equal) << p.own << " " << p.opp << " threads " << threads;
    }
  }
}

TEST(EndgameSelectiveTest, AnExactSolveTrustsNoBoundOfASelectiveOne) {
  // Selective solves at every certainty leave their bounds in the table; an exact solve after
  // them must reach the answer of a fresh one. Some selective scores miss, or this proves
  // nothing.
  int missed = 0;
  for (const Position& p :
       randomEndgames(kSelectivePositions, kSelectiveFewest, kSelectiveMost, 17)) {
    EndgameSolver fresh(16);
    const ExactResult want = fresh.solve(p, true);
    EndgameSolver solver(16);
    for (int certainty = 0; certainty < kExactCertainty; ++certainty) {
      const ExactResult selective = solver.solve(p, false, {}, std::nullopt, certainty);
      EXPECT_EQ(selective.certainty, certainty);
      missed += selective.score != want.score ? 1 : 0;
    }
    const ExactResult r = solver.solve(p, true);
    EXPECT_EQ(r.score, want.score) << p.own << " " << p.opp;
    EXPECT_EQ(r.move, want.move) << p.own << " " << p.opp;
    EXPECT_EQ(r.equal, want.equal) << p.own << " " << p.opp;
  }
  EXPECT_GT(missed, 0);
}

TEST(EndgameSelectiveTest, SelectiveSolvesStayNearTheScoreForFewerPositions) {
  // The least certain pass alone visits fewer positions than the exact solve, and the most
  // certain one misses the score rarely and by little.
  int missed = 0;
  int farOff = 0;
  uint64_t selectiveNodes = 0;
  uint64_t exactNodes = 0;
  const auto positions = randomEndgames(kSelectivePositions, kSelectiveMost, kSelectiveMost, 19);
  for (const Position& p : positions) {
    EndgameSolver exact(16);
    const int want = exact.solve(p, false).score;
    exactNodes += exact.nodes();
    EndgameSolver least(16);
    const ExactResult quick = least.solve(p, false, {}, std::nullopt, 0);
    ASSERT_TRUE(quick.complete);
    selectiveNodes += least.nodes();
    EndgameSolver most(16);
    const int score = most.solve(p, false, {}, std::nullopt, kExactCertainty - 1).score;
    missed += score != want ? 1 : 0;
    farOff += std::abs(score - want) > 6 ? 1 : 0;
  }
  EXPECT_LT(selectiveNodes, exactNodes / 2);
  EXPECT_LE(missed, static_cast<int>(positions.size()) / 4);
  EXPECT_EQ(farOff, 0);
}

TEST(EndgameSelectiveTest, AStoppedSolveGivesItsLastFinishedPass) {
  // A budget that runs out in a later pass leaves the move and score of the last one that
  // finished, as a solve asked for that certainty alone gives them; one that runs out in the
  // first pass leaves nothing.
  for (const Position& p : randomEndgames(4, kSelectiveMost, kSelectiveMost, 23)) {
    EndgameSolver alone(16);
    const ExactResult want = alone.solve(p, false, {}, std::nullopt, 0);
    for (const int certainty : {1, kExactCertainty}) {
      EndgameSolver solver(16);
      SearchLimit limit;
      limit.nodes = alone.nodes() + 50;
      const ExactResult r = solver.solve(p, false, limit, std::nullopt, certainty);
      EXPECT_FALSE(r.complete);
      EXPECT_EQ(r.certainty, 0);
      EXPECT_EQ(r.move, want.move) << p.own << " " << p.opp;
      EXPECT_EQ(r.score, want.score) << p.own << " " << p.opp;
    }
    EndgameSolver early(16);
    SearchLimit limit;
    limit.nodes = 50;
    const ExactResult none = early.solve(p, false, limit, std::nullopt, 1);
    EXPECT_FALSE(none.complete);
    EXPECT_EQ(none.certainty, -1);
    EXPECT_EQ(none.move, kPassMove);
  }
}

TEST(EndgameThreadsTest, TwoThreadsStopAtTheBudget) {
  // Each thread keeps to the budget: the solve stops, says so, and visits a bounded number.
  const Position p = randomEndgames(1, 20, 20, 3).front();
  EndgameSolver solver(16);
  solver.setThreads(2);
  SearchLimit limit;
  limit.nodes = 20000;
  const ExactResult r = solver.solve(p, true, limit);
  EXPECT_FALSE(r.complete);
  EXPECT_LT(solver.nodes(), 4 * limit.nodes);
}

TEST(EndgameBudgetTest, TheJudgementsWorkCountsAgainstTheBudget) {
  // Where many squares are empty, the learnt judgement's search for the first guess and the
  // order of moves is much of a stopped solve's work. Its evaluations, counted on their own,
  // and every position together stay within the budget and a slack of 1,000 for the positions
  // that finish once it has run out.
  constexpr uint64_t kSlack = 1000;
  for (const Position& p : randomEndgames(3, 24, 26, 21)) {
    for (const uint64_t budget : {uint64_t{500}, uint64_t{20000}}) {
      EndgameSolver solver(16);
      SearchLimit limit;
      limit.nodes = budget;
      const ExactResult r = solver.solve(p, true, limit);
      EXPECT_FALSE(r.complete);
      EXPECT_LE(solver.evaluations(), budget + kSlack) << "budget " << budget;
      EXPECT_LE(solver.nodes(), budget + kSlack) << "budget " << budget;
    }
  }
}

}  // namespace
}  // namespace brelvoxan::engine
