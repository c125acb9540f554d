// The simulator's tools for Reversi players and engine authors: the exact solver over positions
// read from standard input, and matches between two levels.
#pragma once

#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>

#include "engine/bitboard.h"

namespace brelvoxan::sim {

// The most empty squares --solve solves in a position: beyond, one solve could run for hours,
// and the answer is `unknown`.
inline constexpr int kMaxSolveEmpties = 28;
// The most positions one --solve answer may visit: the hardest published positions of up to 26
// empty squares take less. Positions from ordinary games take some 5 to 7 million at 20 empty
// squares, 20 to 30 million at 22 and 100 to 300 million at 24; with 26 or more most need more
// than the budget, which lets one answer run for half a minute to a few minutes.
inline constexpr uint64_t kSolveNodeBudget = 500'000'000;
// What the answer past the budget says to expect.
inline constexpr const char* kBudgetExpectation =
    "beyond 24 empty squares most positions need more";
// A longer line is no position, even with a comment; reading stops where it passes this length.
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

// A C stream read through a stream buffer, so that a read error shows as one (badbit) and not as
// the end of the input.
class FileInput : public std::streambuf {
 public:
  explicit FileInput(std::FILE* file) : file_(file) {}
  // Why the read failed, or nothing.
  const std::string& error() const { return error_; }

 protected:
  int_type underflow() override;

 private:
  std::FILE* file_;
  char buffer_[4096];
  std::string error_;
};

// --solve: one answer per position on `out`: "move score" ("a2 +38", "pass -4" when the side to
// move must pass), "end score" for a finished game, or "unknown (reason)" beyond the solver's
// budget (kMaxSolveEmpties, `nodeBudget`); nodes and time per position on `err`, and a one-line
// error for each malformed line. A UTF-8 byte-order mark before the first line is skipped. Each
// position is solved afresh, so its answer and its count of positions do not depend on the lines
// before it. Returns 0 when every position was solved; 1 when a line was malformed or left
// unknown, and at once when a line is too long, the input cannot be read or an answer cannot be
// written (quietly when the reader has gone away).
int runSolve(std::istream& in, std::ostream& out, std::ostream& err,
             uint64_t nodeBudget = kSolveNodeBudget);

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
  // What an opponent had to say (the time guard's note), if anything.
  std::string note;
};
MatchResult playMatch(int a, int b, int games, uint64_t seed);
std::string formatMatchResult(int a, int b, const MatchResult& r);

}  // namespace brelvoxan::sim
