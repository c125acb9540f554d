// The exact solver: the best final disc difference (empty squares to the winner) from a
// position, by alpha-beta with a transposition table, fastest-first move ordering and parity
// ordering near the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "reversi/bitboard.h"

namespace brelvoxan::engine {

using Clock = std::chrono::steady_clock;

// When a search gives up; the far future when it never does.
struct Deadline {
  Clock::time_point at = Clock::time_point::max();
  bool passed() const { return at != Clock::time_point::max() && Clock::now() >= at; }
};

struct ExactResult {
  int move = kPassMove;    // the first best move found, or kPassMove
  std::vector<int> equal;  // every move with the best score (filled on request)
  int score = 0;           // final disc difference for the side to move
  bool complete = true;    // false when the deadline stopped the search; nothing else is valid
};

class EndgameSolver {
 public:
  // A table of 2^tableBits entries.
  explicit EndgameSolver(int tableBits = 19);

  // Best move and exact score. With `findEqual`, also every move of the same score (a little
  // slower). A position where neither side can move gives kPassMove and its final score.
  ExactResult solve(const Position& p, bool findEqual, Deadline deadline = {});

  // Positions visited since construction.
  uint64_t nodes() const { return nodes_; }

 private:
  struct Entry {
    Mask own = 0;
    Mask opp = 0;
    int8_t lower = -64;
    int8_t upper = 64;
    int8_t move = -1;
  };

  int search(const Position& p, int alpha, int beta, int empties);
  int searchSmall(const Position& p, int alpha, int beta, int* squares, int count, bool passed);
  int searchLast(const Position& p, int square);
  bool shouldStop();
  Entry& slot(const Position& p);

  std::vector<Entry> table_;
  Mask tableMask_;
  uint64_t nodes_ = 0;
  Deadline deadline_;
  bool stopped_ = false;
  int untilClockLook_ = 0;  // nodes until the next look at the clock
};

// Orders moves for the searches: a few points for a corner, minus the opponent's replies.
int moveOrderKey(const Position& next, int square);

// A hash of both sides' discs.
uint64_t hashPosition(const Position& p);

}  // namespace brelvoxan::engine
