// The searching levels (kMinSearchLevel to kMaxLevel, levels.h): iterative deepening alpha-beta
// (principal variation search) with a transposition table over the judgement learnt for each
// phase of the game (gameScore in patterns.h), and the exact solver once few squares are empty.
// A level is a depth, a number of empty squares and budgets of positions, and each move starts
// afresh, so its move depends on the position, the level and the seed alone: not on the
// machine, its load or the moves before. A time cap only guards a far slower machine.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "engine/bitboard.h"
#include "engine/endgame.h"
#include "engine/levels.h"
#include "engine/search_parts.h"

namespace brelvoxan::engine {

inline constexpr int kNoFallback = kExactCertainty + 1;

struct LevelSettings {
  int depth;               // plies searched ahead in the midgame
  int exactEmpties;        // from this many empty squares on, the exact solver plays...
  uint64_t exactNodes;     // ...unless it needs more positions than this
  uint64_t midgameNodes;   // past this many positions the last depth completed decides
  int lateDepth = 0;       // plies searched ahead from `lateEmpties` empty squares down to...
  int lateEmpties = 0;     // ...those where a solve is tried (0: `depth` throughout)
  bool selective = false;  // whether the midgame search skips what a shallow search rules out
  // A solve the budget stopped still plays the move of its last selective pass if that pass's
  // certainty was at least this; kNoFallback: never.
  int fallbackCertainty = kNoFallback;
  // Plies searched ahead, and the budget, when a solve gave up with no pass sure enough
  // (0: `depth`, `midgameNodes`).
  int gaveUpDepth = 0;
  uint64_t gaveUpNodes = 0;
};

// The selective search: at a depth from kCutFirstDepth on, a search kCutReduction plies
// shallower predicts the deep one: the deep score less the shallow one has a mean and a standard
// deviation (1/kPatternScale discs) that depend on the depth and the empty squares. A shallow
// score beyond the window by more than kCutSpreadsTimes4 / 4 deviations counts as the deep one's.
inline constexpr int kCutFirstDepth = 5;
inline constexpr int kCutReduction = 4;
inline constexpr int kCutSpreadsTimes4 = 6;
struct CutModel {
  int mean;
  int spread;
};
CutModel cutModel(int empties, int depth);

// The settings of a searching level; a level outside them is taken as the nearest one.
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
  int score = 0;  // exact disc difference when `exact`, else the judgement's
  bool exact = false;
  int depth = 0;           // plies searched ahead: to the end, unproven, after a selective solve
  bool guarded = false;    // the time guard stopped a search: a machine far slower than this one
  std::vector<int> equal;  // the moves of the best value, `move` among them
};

class Engine {
 public:
  explicit Engine(uint64_t seed);

  // The move of `level` (kMinSearchLevel..kMaxLevel) for the side to move in `p`, chosen among the
  // moves of the best value by the seed and the position. `cap` is the time guard (SearchLimit): it
  // changes the move only on a machine far slower than this one.
  MoveChoice choose(const Position& p, int level, std::chrono::milliseconds cap);

  // The pace, in positions a millisecond of processor time, below which the guard counts the
  // machine as far slower than this one; for tests that play such a machine.
  void setSlowestPace(uint64_t positionsPerMs) { slowestPace_ = positionsPerMs; }

  // The midgame search's score of `p` at `depth`, with no budget, plain or selective: what the
  // selective search's spreads are fitted from.
  int searchScore(const Position& p, int depth, bool selective);

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

  MoveChoice searchMidgame(const Position& p, int depth, const SearchLimit& limit);
  // Searches the root to `depth`; false when the limit stopped it.
  bool searchRoot(const Position& p, int depth, MoveChoice* choice);
  int search(const Position& p, int depth, int alpha, int beta, bool passed);

  uint64_t seed_;
  uint64_t slowestPace_ = SearchLimit{}.slowestPace;
  EndgameSolver solver_;
  std::vector<Entry> table_;
  uint64_t nodes_ = 0;
  bool selective_ = false;
  StopCheck stop_;
};

}  // namespace brelvoxan::engine
