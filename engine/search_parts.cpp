#include "engine/search_parts.h"

#include "engine/evaluation.h"

namespace brelvoxan::engine {

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

uint64_t hashPosition(const Position& p) {
  uint64_t h = p.own * 0x9E3779B97F4A7C15ULL;
  h ^= std::rotl(p.opp * 0xC2B2AE3D27D4EB4FULL, 31);
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ULL;
  return h ^ (h >> 32);
}

}  // namespace brelvoxan::engine
