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

// What bounds one search. The budget of positions decides where a search stops, the same on
// every machine. The time cap is only a guard for a machine far slower than the one the budgets
// were sized on: past it, a search stops only if it has been visiting fewer than `slowestPace`
// positions a millisecond of processor time (a desktop processor visits 3,000 to 15,000, and
// one slowed tenfold by a sanitizer still hundreds), so that on any machine within tens of times
// this one's speed, busy or not, the cap never decides anything.
struct SearchLimit {
  uint64_t nodes = UINT64_MAX;
  Clock::time_point cap = Clock::time_point::max();
  uint64_t slowestPace = 50;
};

// A search polls once per position; the clocks are looked at only every this many polls.
inline constexpr int kNodesBetweenClockLooks = 2048;

// Holds a search to its limit: given the count of positions the search has visited at each
// poll, it stops the search once the count has grown by more than the budget, looks at the
// clocks every kNodesBetweenClockLooks polls for the guard, and stays stopped.
class StopCheck {
 public:
  void start(const SearchLimit& limit, uint64_t visited);
  bool poll(uint64_t visited) {
    if (visited - startVisited_ > limit_.nodes) {
      stopped_ = true;
    } else if (--untilLook_ <= 0) {
      untilLook_ = kNodesBetweenClockLooks;
      lookAtClocks(visited);
    }
    return stopped_;
  }
  bool stopped() const { return stopped_; }
  // Stops the search from now on, as the budget would.
  void halt() { stopped_ = true; }
  // True when the guard, not the budget, stopped the search.
  bool guarded() const { return guarded_; }

 private:
  void lookAtClocks(uint64_t visited);

  SearchLimit limit_;
  uint64_t startVisited_ = 0;
  // Processor time at the start, in the units of std::clock.
  long long cpuStart_ = 0;
  bool stopped_ = false;
  bool guarded_ = false;
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
template <typename T>
struct ChildRoom {
  ChildRoom() {}
  T* data() { return items; }
  T& operator[](int i) { return items[i]; }

 private:
  union {
    T items[32];
  };
};
using Children = ChildRoom<Child>;

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

// A hash of both sides' discs. Inline: the solver hashes every child it orders.
inline uint64_t hashPosition(const Position& p) {
  uint64_t h = p.own * 0x9E3779B97F4A7C15ULL;
  h ^= std::rotl(p.opp * 0xC2B2AE3D27D4EB4FULL, 31);
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ULL;
  return h ^ (h >> 32);
}

}  // namespace brelvoxan::engine
