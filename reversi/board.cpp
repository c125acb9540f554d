#include "reversi/board.h"

#include <cassert>
#include <cstddef>

namespace brelvoxan {

namespace {

// Every walk starts on a playing square; the wall border then stops it without bounds checks.
[[maybe_unused]] bool isPlayingSquare(int x, int y) {
  return x >= 1 && x <= 8 && y >= 1 && y <= 8;
}

[[maybe_unused]] bool isSide(Side side) {
  return side == kBlack || side == kWhite;
}

int cellIndex(int x, int y) {
  return x * 10 + y;
}

int stepOf(const Direction& d) {
  return d.dx * 10 + d.dy;
}

}  // namespace

void resetBoard(Board& b) {
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) b.at(x, y) = kEmpty;
  }
  for (int i = 0; i <= 9; ++i) {
    b.at(i, 0) = kWall;
    b.at(i, 9) = kWall;
    b.at(0, i) = kWall;
    b.at(9, i) = kWall;
  }
  b.at(4, 4) = kWhite;
  b.at(5, 4) = kBlack;
  b.at(4, 5) = kBlack;
  b.at(5, 5) = kWhite;
}

FlipScan scanFlips(const Board& b, int x, int y, Side side) {
  assert(isPlayingSquare(x, y) && isSide(side));
  const Cell opponent = static_cast<Cell>(-side);
  FlipScan scan;
  for (size_t d = 0; d < kDirections.size(); ++d) {
    const int step = stepOf(kDirections[d]);
    int pos = cellIndex(x, y) + step;
    if (b.cells[static_cast<size_t>(pos)] != opponent) continue;
    int16_t run = 1;
    pos += step;
    while (b.cells[static_cast<size_t>(pos)] == opponent) {
      ++run;
      pos += step;
    }
    if (b.cells[static_cast<size_t>(pos)] == side) {
      ++scan.flipDirections;
      scan.flipRun[d] = run;
    }
  }
  return scan;
}

void applyFlips(Board& b, const FlipScan& scan, int x, int y, Side side) {
  assert(isPlayingSquare(x, y) && isSide(side));
  for (size_t d = 0; d < kDirections.size(); ++d) {
    const int step = stepOf(kDirections[d]);
    int pos = cellIndex(x, y);
    for (int n = 0; n < scan.flipRun[d]; ++n) {
      pos += step;
      // A scan of another square or side would walk onto walls or empties here.
      assert(b.cells[static_cast<size_t>(pos)] == -side);
      b.cells[static_cast<size_t>(pos)] = side;
    }
  }
}

bool isLegalMove(const Board& b, int x, int y, Side side) {
  assert(isPlayingSquare(x, y) && isSide(side));
  const Cell opponent = static_cast<Cell>(-side);
  for (const Direction& d : kDirections) {
    const int step = stepOf(d);
    int pos = cellIndex(x, y) + step;
    if (b.cells[static_cast<size_t>(pos)] != opponent) continue;
    do {
      pos += step;
    } while (b.cells[static_cast<size_t>(pos)] == opponent);
    if (b.cells[static_cast<size_t>(pos)] == side) return true;
  }
  return false;
}

bool hasAnyLegalMove(const Board& b, Side side) {
  auto legal = [&](int x, int y) { return b.at(x, y) == kEmpty && isLegalMove(b, x, y, side); };
  // Rings from the centre outwards: moves near the centre are the likeliest early on.
  for (int k = 3; k >= 1; --k) {
    const int span = (4 - k) * 2;
    for (int off = 0; off <= span; ++off) {
      if (legal(k + off, k) || legal(9 - k, k + off) || legal(9 - k - off, 9 - k) ||
          legal(k, 9 - k - off)) {
        return true;
      }
    }
  }
  return false;
}

StoneCounts countStones(const Board& b) {
  StoneCounts counts;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const Cell c = b.at(x, y);
      if (c == kBlack) {
        ++counts.black;
      } else if (c != kEmpty) {
        ++counts.white;
      }
    }
  }
  return counts;
}

}  // namespace brelvoxan
