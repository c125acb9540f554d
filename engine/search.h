// The searching levels 2 to 5: iterative deepening alpha-beta (principal variation search) with
// a transposition table over the evaluation, and the exact solver once few squares are empty.
// A level is a depth and a number of empty squares, so its play does not depend on the
// machine; a time cap only guards against a slow machine.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/bitboard.h"
#include "engine/endgame.h"
#include "engine/levels.h"
#include "engine/search_parts.h"

namespace brelvoxan::engine {

struct LevelSettings {
  int depth;         // plies searched ahead in the midgame
  int exactEmpties;  // from this many empty squares on, the exact solver plays
  int sureEmpties;   // up to this many the exact solve always runs to its end, cap or not
};

// The settings of levels 2..5.
LevelSettings levelSettings(int level);

// Score of a finished game for the midgame search: above every evaluation, more discs better.
int terminalScore(const Position& p);

// A small, fast generator for choosing among equal moves; the same seed gives the same choices.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t next();
  // 0..n-1
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

 private:
  uint64_t state_;
};

struct MoveChoice {
  int move = kPassMove;
  int score = 0;  // exact disc difference when `exact`, else an evaluation
  bool exact = false;
  int depth = 0;           // midgame plies completed
  bool capped = false;     // the time cap cut the search short
  std::vector<int> equal;  // the moves of the best value, `move` among them
};

class Engine {
 public:
  explicit Engine(uint64_t seed);

  // The move of `level` (2..5) for the side to move in `p`, chosen at random among the moves of
  // the best value. `cap` bounds the thinking time.
  MoveChoice choose(const Position& p, int level, std::chrono::milliseconds cap);

  // Positions visited since construction, midgame and endgame together.
  uint64_t nodes() const { return nodes_ + solver_.nodes(); }

 private:
  struct Entry {
    Mask own = 0;
    Mask opp = 0;
    int32_t lower = 0;
    int32_t upper = 0;
    int8_t depth = -1;
    int8_t move = -1;
  };

  // One of `moves`, at random.
  int pickEqual(const std::vector<int>& moves);
  MoveChoice searchMidgame(const Position& p, int depth, Deadline deadline);
  // Searches the root to `depth`; false when the deadline stopped it.
  bool searchRoot(const Position& p, int depth, MoveChoice* choice);
  int search(const Position& p, int depth, int alpha, int beta, bool passed);

  Random random_;
  EndgameSolver solver_;
  // The last exact score found, none before the first: the next one, two moves later, is
  // usually close.
  std::optional<int> lastExactScore_;
  std::vector<Entry> table_;
  uint64_t nodes_ = 0;
  StopCheck stop_;
};

}  // namespace brelvoxan::engine
