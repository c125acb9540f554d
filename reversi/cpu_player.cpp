#include "reversi/cpu_player.h"

#include <array>
#include <cstddef>

#include "reversi/board.h"

namespace brelvoxan {

namespace {

// A corner and the squares whose weight depends on whether it is taken.
struct CornerSquares {
  int corner;
  int edge1;
  int edge2;
  int diagonal;
};
constexpr std::array<CornerSquares, 4> kCorners{{
    {11, 21, 12, 22},
    {18, 28, 17, 27},
    {81, 82, 71, 72},
    {88, 78, 87, 77},
}};

}  // namespace

std::array<int16_t, 100> squareWeightsFor(const Board& b) {
  std::array<int16_t, 100> weights = kSquareWeights;
  for (const CornerSquares& c : kCorners) {
    if (b.cells[static_cast<size_t>(c.corner)] == kEmpty) continue;
    weights[static_cast<size_t>(c.edge1)] = kCornerTakenEdgeWeight;
    weights[static_cast<size_t>(c.edge2)] = kCornerTakenEdgeWeight;
    weights[static_cast<size_t>(c.diagonal)] = kCornerTakenDiagonalWeight;
  }
  return weights;
}

int16_t evaluateBoard(const Board& b, Side side) {
  const std::array<int16_t, 100> weights = squareWeightsFor(b);
  int score = 0;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const Cell c = b.at(x, y);
      if (c != kEmpty) score += weights[static_cast<size_t>(x * 10 + y)] * c * side;
    }
  }
  return static_cast<int16_t>(score);
}

CpuDecision decideCpuMove(const Board& b, Side side) {
  CpuDecision decision;
  for (int16_t x = 1; x <= 8; ++x) {
    for (int16_t y = 1; y <= 8; ++y) {
      if (b.at(x, y) != kEmpty) continue;
      const FlipScan scan = scanFlips(b, x, y, side);
      if (scan.flipDirections < 1) continue;
      Board trial = b;
      trial.at(x, y) = side;
      applyFlips(trial, scan, x, y, side);
      decision.candidates.push_back({evaluateBoard(trial, side), x, y});
    }
  }
  if (decision.candidates.empty()) return decision;

  decision.pass = false;
  int16_t bestScore = -10000;
  size_t bestIndex = 0;
  for (size_t i = 0; i < decision.candidates.size(); ++i) {
    // Strictly greater: ties stay with the first found, the smallest x and then y.
    if (decision.candidates[i].score > bestScore) {
      bestScore = decision.candidates[i].score;
      bestIndex = i;
    }
  }
  decision.best = decision.candidates[bestIndex];
  return decision;
}

}  // namespace brelvoxan
