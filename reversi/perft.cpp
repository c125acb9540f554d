#include "reversi/perft.h"

namespace brelvoxan {

uint64_t perft(Board& b, Side side, int depth) {
  if (depth <= 0) return 1;
  const Side opponent = static_cast<Side>(-side);
  uint64_t leaves = 0;
  bool moved = false;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      if (b.at(x, y) != kEmpty) continue;
      if (depth == 1) {
        // The last ply only needs the count of moves, not the positions they make.
        if (isLegalMove(b, x, y, side)) {
          ++leaves;
          moved = true;
        }
        continue;
      }
      const FlipScan scan = scanFlips(b, x, y, side);
      if (scan.flipDirections < 1) continue;
      moved = true;
      const Board before = b;
      b.at(x, y) = side;
      applyFlips(b, scan, x, y, side);
      leaves += perft(b, opponent, depth - 1);
      b = before;
    }
  }
  if (moved) return leaves;
  if (!hasAnyLegalMove(b, opponent)) return 1;
  return perft(b, opponent, depth - 1);
}

}  // namespace brelvoxan
