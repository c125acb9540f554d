#include <array>
#include <cassert>
#include <cstddef>

#include "reversi/board.h"
#include "reversi/cpu_player.h"

namespace brelvoxan {

namespace {

// The weights of one quarter, (x, y) for x, y = 1..4; the table is mirrored into the other three.
constexpr int16_t kQuarterWeights[4][4] = {
    {60, -20, 0, -2},
    {-20, -40, -3, -3},
    {0, -3, 0, -1},
    {-2, -3, -1, -1},
};

constexpr std::array<int16_t, 100> makeWeights() {
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

constexpr std::array<int16_t, 100> kInitialWeights = makeWeights();

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

// Statically initialised as well, so an evaluation before fillCpuTables cannot write zeros
// into the table when it puts the adjusted squares back.
int16_t normalEdgeWeight = kInitialWeights[21];
int16_t normalDiagonalWeight = kInitialWeights[22];

}  // namespace

std::array<int16_t, 100> kSquareWeights = kInitialWeights;

void fillCpuTables() {
  kSquareWeights = kInitialWeights;
  normalEdgeWeight = kSquareWeights[21];
  normalDiagonalWeight = kSquareWeights[22];
}

int16_t evaluateBoard(const Board& b, Side side) {
  for (const CornerSquares& c : kCorners) {
    if (b.cells[static_cast<size_t>(c.corner)] == kEmpty) continue;
    kSquareWeights[static_cast<size_t>(c.edge1)] = kCornerTakenEdgeWeight;
    kSquareWeights[static_cast<size_t>(c.edge2)] = kCornerTakenEdgeWeight;
    kSquareWeights[static_cast<size_t>(c.diagonal)] = kCornerTakenDiagonalWeight;
  }
  int score = 0;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const Cell c = b.at(x, y);
      if (c != kEmpty) score += kSquareWeights[static_cast<size_t>(x * 10 + y)] * c * side;
    }
  }
  for (const CornerSquares& c : kCorners) {
    kSquareWeights[static_cast<size_t>(c.edge1)] = normalEdgeWeight;
    kSquareWeights[static_cast<size_t>(c.edge2)] = normalEdgeWeight;
    kSquareWeights[static_cast<size_t>(c.diagonal)] = normalDiagonalWeight;
  }
  return static_cast<int16_t>(score);
}

CpuDecision decideCpuMove(Board& b, Side side) {
  CpuDecision decision;
  const Board saved = b;
  auto restorePlayingSquares = [&] {
    for (int x = 1; x <= 8; ++x) {
      for (int y = 1; y <= 8; ++y) b.at(x, y) = saved.at(x, y);
    }
  };
  for (int16_t x = 1; x <= 8; ++x) {
    for (int16_t y = 1; y <= 8; ++y) {
      if (b.at(x, y) != kEmpty) continue;
      const FlipScan scan = scanFlips(b, x, y, side);
      if (scan.flipDirections < 1) continue;
      b.at(x, y) = side;
      applyFlips(b, scan, x, y, side);
      decision.candidates.push_back({evaluateBoard(b, side), x, y});
      restorePlayingSquares();
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
