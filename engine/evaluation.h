// A hand-made judgement of a position that is not yet finished: mobility, frontier, corners and
// the squares next to empty corners, stable discs, parity and disc count, each weighted by how
// many squares are still empty. The searching levels judge by values learnt from games played
// with it (patterns.h, tools/eval), and the exact solver bounds scores by its stable discs.
#pragma once

#include "engine/bitboard.h"

namespace brelvoxan::engine {

// Scores stay within this bound, below the scores of finished games (search.h).
inline constexpr int kMaxEvaluation = 60000;

// Score of `p` for the side to move; higher is better.
int evaluate(const Position& p);

// Discs of `own` that can never be turned: a lower bound, grown from the edges and full lines.
Mask stableDiscs(Mask own, Mask opp);
// The number of those discs when it is at least `least`; otherwise a number from it up to
// `least` - 1, found more cheaply.
int stableCount(Mask own, Mask opp, int least);

// Empty squares next to any disc of `discs`.
Mask emptyNeighbours(Mask discs, Mask empties);

}  // namespace brelvoxan::engine
