// What the midgame search and the exact solver share: the deadline and its cheap polling, the
// children of a position in the order to search them, and the hash of a position for their
// tables.
#pragma once

#include <bit>
#include <chrono>
#include <cstdint>

#include "engine/bitboard.h"

namespace brelvoxan::engine {

using Clock = std::chrono::steady_clock;

// When a search gives up; the far future when it never does.
struct Deadline {
  Clock::time_point at = Clock::time_point::max();
  bool passed() const { return at != Clock::time_point::max() && Clock::now() >= at; }
};

// A search polls once per position; the clock is looked at only every this many polls.
inline constexpr int kNodesBetweenClockLooks = 2048;

// Looks at the clock once every `every` polls, which are cheap, and stays stopped once the
// deadline has passed.
class StopCheck {
 public:
  explicit StopCheck(int every = kNodesBetweenClockLooks) : every_(every) {}
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

// The children of `p` for `moves` in `out`, sorted by `keyOf(next, square)`, highest first, with
// `tableMove` ahead of all.
template <class KeyOf>
int sortedChildren(const Position& p, Mask moves, int tableMove, Child* out, KeyOf keyOf) {
  int n = 0;
  while (moves) {
    const int sq = std::countr_zero(moves);
    moves &= moves - 1;
    const Position next = afterMove(p, sq, flipsOf(p, sq));
    const int key = sq == tableMove ? 1 << 30 : keyOf(next, sq);
    int i = n++;
    while (i > 0 && out[i - 1].key < key) {
      out[i] = out[i - 1];
      --i;
    }
    out[i] = Child{next, sq, key};
  }
  return n;
}

// The four corners, which both searches weigh when ordering moves.
inline constexpr Mask kCornerMask = 0x8100000000000081ULL;

// Orders moves for the searches: fewer replies for the opponent first (corner replies count
// twice), then corners and frontiers. `next` is the position after the move on `square`.
int moveOrderKey(const Position& next, int square);

// The children of `p` for `moves` in `out` (room for 32), best first: `tableMove` first, then by
// moveOrderKey. Returns their number.
int orderedChildren(const Position& p, Mask moves, int tableMove, Child* out);

// A hash of both sides' discs.
uint64_t hashPosition(const Position& p);

}  // namespace brelvoxan::engine
