// The bordered board and the rules of Reversi. Nothing here draws or prints.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace brelvoxan {

using Cell = int16_t;
using Side = int16_t;

inline constexpr Cell kEmpty = 0;
inline constexpr Cell kBlack = 1;
inline constexpr Cell kWhite = -1;
inline constexpr Cell kWall = 3;

// 10 x 10 cells, cell (x, y) at index x * 10 + y; x is the column, y the row, 1..8 on the
// playing squares, the border holds kWall so that every walk stops without a bounds check.
struct Board {
  std::array<Cell, 100> cells{};

  Cell& at(int x, int y) { return cells[static_cast<size_t>(x * 10 + y)]; }
  Cell at(int x, int y) const { return cells[static_cast<size_t>(x * 10 + y)]; }
};

struct Direction {
  int16_t dx;
  int16_t dy;
};

// The eight steps in the fixed order that decides scan order.
inline constexpr std::array<Direction, 8> kDirections{{
    {-1, -1},
    {0, -1},
    {1, -1},
    {-1, 0},
    {1, 0},
    {-1, 1},
    {0, 1},
    {1, 1},
}};

// The result of scanning one square: stones turned per direction and the number of directions
// whose run is closed by an own stone.
struct FlipScan {
  std::array<int16_t, 8> flipRun{};
  int16_t flipDirections = 0;
};

struct StoneCounts {
  int16_t black = 0;
  int16_t white = 0;
};

// Start position: playing squares empty, walls round, (4,4) and (5,5) white, (5,4) and (4,5)
// black.
void resetBoard(Board& b);

// Full scan of (x, y) for `side`; the caller has checked the square is empty.
FlipScan scanFlips(const Board& b, int x, int y, Side side);

// Turns the runs recorded by `scan`, which must be the scan of (x, y) for `side`. Does not place
// the stone on (x, y).
void applyFlips(Board& b, const FlipScan& scan, int x, int y, Side side);

// Legality of an empty square, stopping at the first direction that flips.
bool isLegalMove(const Board& b, int x, int y, Side side);

// Whether `side` has any legal square, tested ring by ring from the centre outwards.
bool hasAnyLegalMove(const Board& b, Side side);

StoneCounts countStones(const Board& b);

}  // namespace brelvoxan
