// The CPU player: one move ahead under a fixed table of positional weights. Pure functions of
// their arguments; nothing here draws or keeps state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "reversi/board.h"

namespace brelvoxan {

namespace detail {

// The weights of one quarter, (x, y) for x, y = 1..4; the table is mirrored into the other three.
inline constexpr int16_t kQuarterWeights[4][4] = {
    {60, -20, 0, -2},
    {-20, -40, -3, -3},
    {0, -3, 0, -1},
    {-2, -3, -1, -1},
};

constexpr std::array<int16_t, 100> makeSquareWeights() {
  std::array<int16_t, 100> w{};
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const int qx = x <= 4 ? x - 1 : 8 - x;
      const int qy = y <= 4 ? y - 1 : 8 - y;
      w[static_cast<size_t>(x * 10 + y)] = kQuarterWeights[qx][qy];
    }
  }
  return w;
}

}  // namespace detail

// Positional weights stored like the board (index x * 10 + y, border 0), for free corners.
inline constexpr std::array<int16_t, 100> kSquareWeights = detail::makeSquareWeights();
// Once a corner is taken, its two edge neighbours and its diagonal neighbour weigh these.
inline constexpr int16_t kCornerTakenEdgeWeight = 30;
inline constexpr int16_t kCornerTakenDiagonalWeight = 10;

// The weights for `b`: kSquareWeights with the neighbours of every taken corner reweighed.
std::array<int16_t, 100> squareWeightsFor(const Board& b);

// Score of `b` from the view of `side`.
int16_t evaluateBoard(const Board& b, Side side);

struct MoveCandidate {
  int16_t score = 0;
  int16_t x = 0;
  int16_t y = 0;
};

// The decision alone: every legal square tried in x-outer, y-inner order and scored; `best` is
// the first with the highest score. No candidates means a pass.
struct CpuDecision {
  std::vector<MoveCandidate> candidates;
  bool pass = true;
  MoveCandidate best;
};
CpuDecision decideCpuMove(const Board& b, Side side);

}  // namespace brelvoxan
