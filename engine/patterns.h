// A judgement of late positions learnt from solved ones: the final disc difference predicted
// from the contents of lines and corner regions. Every line or region of one shape shares one
// table of values, indexed by its squares read as a base-3 number (0 empty, 1 the mover's,
// 2 the opponent's); orderings of one set of squares that the board's symmetries give share a
// value. The exact solver orders moves by it.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/bitboard.h"

namespace brelvoxan::engine {

// The shapes and the places each one takes on the board.
struct PatternShape {
  int size;                              // squares
  std::vector<uint32_t> slots;           // index -> its value among all the values
  std::vector<std::vector<int>> places;  // squares of each place, in index order
};

struct PatternSet {
  std::vector<PatternShape> shapes;
  int values;  // all the values, those besides the shapes' included
};

// The shapes in use, built once.
const PatternSet& patternSet();

// Appends to `out` the value index of every place for `p` (side to move's view).
void patternIndices(const Position& p, std::vector<uint32_t>* out);

// Values are kept in this many steps per disc, each within one signed byte.
inline constexpr int kPatternScale = 8;

// The value kept in `slot` (below patternSet().values), in 1/kPatternScale discs; 0 when the
// values were learnt for other shapes.
int patternValue(uint32_t slot);

// Whether patternScore reads every shape with shifts and masks, as it should, rather than square
// by square (when a shape has changed without its reading).
bool patternReadsFast();

// The predicted final disc difference for the side to move, in 1/kPatternScale discs: the sum
// of the late values of patternIndices(p).
int patternScore(const Position& p);
// The same with the side to move's moves, legalMoves(p), already known.
int patternScore(const Position& p, Mask moves);

// The whole game is judged by the same shapes with values learnt for each phase: the late
// values up to kLateEmpties empty squares, then a phase for every kPhaseEmpties more, the last
// one reaching the start.
inline constexpr int kLateEmpties = 20;
inline constexpr int kPhaseEmpties = 10;
inline constexpr int kMidgamePhases = 4;

// The phase of a position with `empties` empty squares: 0 the late one, 1..kMidgamePhases.
int phaseOf(int empties);

// The value kept in `slot` for `phase`; 0 when the values were learnt for other shapes.
int phaseValue(int phase, uint32_t slot);

// The predicted final disc difference for the side to move, in 1/kPatternScale discs, from the
// values of p's phase: the judgement of the midgame search.
int gameScore(const Position& p);

}  // namespace brelvoxan::engine
