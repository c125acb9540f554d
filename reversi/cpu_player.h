// The CPU player: one move ahead under a fixed table of positional weights.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "reversi/board.h"

namespace brelvoxan {

// Positional weights stored like the board (index x * 10 + y, border 0).
extern std::array<int16_t, 100> kSquareWeights;
inline constexpr int16_t kCornerTakenEdgeWeight = 30;
inline constexpr int16_t kCornerTakenDiagonalWeight = 10;

// Fills the weight table and saves the normal weights the corner adjustments return to.
void fillCpuTables();

// Score of `b` from the view of `side`.
int16_t evaluateBoard(const Board& b, Side side);

struct MoveCandidate {
  int16_t score = 0;
  int16_t x = 0;
  int16_t y = 0;
};

// The decision alone: every legal square tried in x-outer, y-inner order and scored; `best` is
// the first with the highest score. No candidates means a pass. `b` is left as it was.
struct CpuDecision {
  std::vector<MoveCandidate> candidates;
  bool pass = true;
  MoveCandidate best;
};
CpuDecision decideCpuMove(Board& b, Side side);

// The CPU's whole turn on the game's board: decides, then plays and draws the move (or shows the
// pass), updating the game state.
void chooseCpuMove(Side side);

}  // namespace brelvoxan
