// The exact solver: the best final disc difference (empty squares to the winner) from a
// position, by null-window alpha-beta passes round a guess, with transposition tables,
// fastest-first move ordering helped by a judgement learnt from solved positions where many
// squares are empty, and parity ordering near the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/bitboard.h"

namespace brelvoxan::engine {

using Clock = std::chrono::steady_clock;

// When a search gives up; the far future when it never does.
struct Deadline {
  Clock::time_point at = Clock::time_point::max();
  bool passed() const { return at != Clock::time_point::max() && Clock::now() >= at; }
};

// Looks at the clock once every `every` polls, which are cheap, and stays stopped once the
// deadline has passed.
class StopCheck {
 public:
  explicit StopCheck(int every) : every_(every) {}
  void start(Deadline deadline) {
    deadline_ = deadline;
    stopped_ = false;
    untilLook_ = 0;
  }
  bool poll() {
    if (--untilLook_ <= 0) {
      untilLook_ = every_;
      if (deadline_.passed()) stopped_ = true;
    }
    return stopped_;
  }
  bool stopped() const { return stopped_; }

 private:
  int every_;
  Deadline deadline_;
  bool stopped_ = false;
  int untilLook_ = 0;
};

struct ExactResult {
  int move = kPassMove;    // the first best move found, or kPassMove
  std::vector<int> equal;  // every move with the best score (filled on request)
  int score = 0;           // final disc difference for the side to move
  bool complete = true;    // false when the deadline stopped the search; nothing else is valid
};

// A move and the position it leads to, with its ordering key.
struct Child {
  Position next;
  int square;
  int key;
};

// Room for the children of one position (no position has more than 32 moves), left
// uninitialised: it is written before it is read, and clearing it at every node of a search
// costs a few percent of the search.
struct Children {
  Children() {}
  Child* data() { return items; }
  Child& operator[](int i) { return items[i]; }

 private:
  union {
    Child items[32];
  };
};

class EndgameSolver {
 public:
  // A table of 2^tableBits entries, and a small one for positions near the end.
  explicit EndgameSolver(int tableBits = 19);

  // Best move and exact score. With `findEqual`, also every move of the same score (a little
  // slower). A position where neither side can move gives kPassMove and its final score.
  // `guess`, an expected score, only changes how fast the answer comes; without one the solver
  // makes its own from the learnt judgement.
  ExactResult solve(const Position& p, bool findEqual, Deadline deadline = {},
                    std::optional<int> guess = std::nullopt);

  // Positions visited since construction.
  uint64_t nodes() const { return nodes_; }

 private:
  struct Entry {
    Mask own = 0;
    Mask opp = 0;
    int8_t lower = -64;
    int8_t upper = 64;
    int8_t move = -1;
    int8_t empties = -1;
  };

  int searchRoot(const Child* children, int n, int alpha, int beta, int empties, int* move);
  int search(const Position& p, int alpha, int beta, int empties);
  int searchNear(const Position& p, int alpha, int beta, int empties);
  int searchSmall(const Position& p, int alpha, int beta, int* squares, int count, bool passed);
  int searchTwo(const Position& p, int alpha, int beta, int a, int b);
  int searchLast(const Position& p, int square);
  // The two slots where `p`, with `empties` empty squares, may be kept.
  Entry* pairFor(const Position& p, int empties);
  const Entry* find(const Position& p, int empties);
  // The entry to fill for `p`.
  Entry& place(const Position& p, int empties);

  std::vector<Entry> deep_;
  Mask deepMask_;
  std::vector<Entry> shallow_;
  uint64_t nodes_ = 0;
  StopCheck stop_;
};

// Orders moves for the searches: fewer replies for the opponent first (corner replies count
// twice), then corners and frontiers. `next` is the position after the move on `square`.
int moveOrderKey(const Position& next, int square);

// The children of `p` for `moves` in `out` (room for 32), best first: `tableMove` first, then by
// moveOrderKey. Returns their number.
int orderedChildren(const Position& p, Mask moves, int tableMove, Child* out);

// A hash of both sides' discs.
uint64_t hashPosition(const Position& p);

}  // namespace brelvoxan::engine
