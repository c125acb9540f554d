// Move-path counting from a position: the standard check that the rules generate exactly the
// right moves, shared by the tests and the benchmarks.
#pragma once

#include <cstdint>

#include "reversi/board.h"

namespace brelvoxan {

// Number of leaves `depth` plies below `b` with `side` to move. A side without a legal move
// passes when its opponent can move, and the pass uses one ply; a position where neither side
// can move is one leaf however many plies remain. `b` is left as it was.
uint64_t perft(Board& b, Side side, int depth);

}  // namespace brelvoxan
