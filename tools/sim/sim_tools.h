// The simulator's tools for Reversi players and engine authors: the exact solver over positions
// read from standard input, and matches between two levels.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "engine/bitboard.h"

namespace brelvoxan::sim {

// The most empty squares --solve takes in a position: beyond, one solve could run for hours.
inline constexpr int kMaxSolveEmpties = 28;
// Longer lines are refused without being kept whole.
inline constexpr size_t kMaxSolveLineLength = 1000;

// One line of --solve input: 64 squares a1..h8 row by row ('X' black, 'O' white, '-' empty), a
// space and the side to move ('X' or 'O'). Text after ';' is ignored. Gives the position as seen
// by the side to move, or nothing with the reason in *error. `comment` is set for a line to skip
// (starting with '%', or blank).
struct SolveLine {
  bool comment = false;
  engine::Position position;
};
std::optional<SolveLine> parseSolveLine(std::string_view line, std::string* error);

// --solve: one line "move score" per position on `out` ("a2 +38", "pass -4"), nodes and time per
// position on `err`, a one-line error for each malformed line. Returns 0, or 1 when a line was
// malformed.
int runSolve(std::istream& in, std::ostream& out, std::ostream& err);

// --match: `games` games (even, at most twice the openings) of level `a` against level `b`, each
// opening twice with the colours swapped. Prints the result line on `out` and the worst thinking
// time of each level on `err`. Returns 0.
struct MatchResult {
  int wins = 0;
  int draws = 0;
  int losses = 0;
  // The longest think of each level's moves: wall-clock time, and the processor time the
  // program used for it (which other programs running at the same time do not stretch).
  double worstThinkMsA = 0;
  double worstThinkMsB = 0;
  double worstThinkCpuMsA = 0;
  double worstThinkCpuMsB = 0;
};
MatchResult playMatch(int a, int b, int games, uint64_t seed);
std::string formatMatchResult(int a, int b, const MatchResult& r);

}  // namespace brelvoxan::sim
