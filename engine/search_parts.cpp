#include "engine/search_parts.h"

#include <ctime>

#include "engine/evaluation.h"

namespace brelvoxan::engine {

void StopCheck::start(const SearchLimit& limit, uint64_t visited) {
  limit_ = limit;
  startVisited_ = visited;
  cpuStart_ = static_cast<long long>(std::clock());
  stopped_ = false;
  guarded_ = false;
  untilLook_ = kNodesBetweenClockLooks;
}

void StopCheck::lookAtClocks(uint64_t visited) {
  if (limit_.cap == Clock::time_point::max() || Clock::now() < limit_.cap) return;
  // Past the cap: is this a machine far slower than the one the budgets were sized on? (Where
  // std::clock counts wall time, as on Windows, a busy machine may look slow too.)
  const long long cpu = static_cast<long long>(std::clock()) - cpuStart_;
  const double ms = 1000.0 * static_cast<double>(cpu) / CLOCKS_PER_SEC;
  if (static_cast<double>(visited - startVisited_) < ms * static_cast<double>(limit_.slowestPace)) {
    stopped_ = true;
    guarded_ = true;
  }
}

int orderedChildren(const Position& p, Mask moves, int tableMove, Child* out) {
  return sortedChildren(p, moves, tableMove, out, moveOrderKey);
}

int moveOrderKey(const Position& next, int square) {
  // `next` has the opponent to move: fewer replies for it first, corner replies counted twice,
  // and fewer corners in its hands.
  const Mask replies = legalMoves(next);
  int key = -16 * (countBits(replies) + countBits(replies & kCornerMask));
  key -= 2 * countBits(next.own & kCornerMask);
  if (bitOf(square) & kCornerMask) key += 12;
  // Frontiers: empty squares next to the opponent's discs are the mover's future moves.
  key += 4 * (countBits(emptyNeighbours(next.own, next.empties())) -
              countBits(emptyNeighbours(next.opp, next.empties())));
  return key;
}

}  // namespace brelvoxan::engine
