#include "tools/sim/sim_tools.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <istream>
#include <ostream>
#include <utility>

#include "engine/endgame.h"
#include "engine/opponent.h"
#include "tools/sim/openings.h"

namespace brelvoxan::sim {

namespace {

using engine::bitOf;
using engine::Position;

enum class LineRead { kLine, kEnd, kTooLong };

// Reads one line of at most kMaxSolveLineLength bytes. A longer line is refused as soon as its
// length is passed, without reading on: the input may never end.
LineRead readBoundedLine(std::istream& in, std::string* line) {
  line->clear();
  int c;
  bool any = false;
  while ((c = in.get()) != EOF) {
    any = true;
    if (c == '\n') return LineRead::kLine;
    if (line->size() == kMaxSolveLineLength) return LineRead::kTooLong;
    line->push_back(static_cast<char>(c));
  }
  return any ? LineRead::kLine : LineRead::kEnd;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string signedScore(int score) {
  std::string text = std::to_string(score);
  if (score >= 0) text.insert(0, 1, '+');
  return text;
}

}  // namespace

std::optional<SolveLine> parseSolveLine(std::string_view line, std::string* error) {
  SolveLine result;
  line = line.substr(0, line.find(';'));
  while (!line.empty() && isBlank(line.back())) line.remove_suffix(1);
  while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
  if (line.empty() || line[0] == '%') {
    result.comment = true;
    return result;
  }
  if (line.size() < 66) {
    *error = "expected 64 squares of X, O or -, a space and X or O; got " +
             std::to_string(line.size()) + " characters";
    return std::nullopt;
  }
  engine::Mask black = 0;
  engine::Mask white = 0;
  for (int sq = 0; sq < 64; ++sq) {
    const char c = line[static_cast<size_t>(sq)];
    if (c == 'X' || c == 'x') {
      black |= bitOf(sq);
    } else if (c == 'O' || c == 'o') {
      white |= bitOf(sq);
    } else if (c != '-') {
      *error = "square " + engine::squareName(sq) + " is neither X, O nor -";
      return std::nullopt;
    }
  }
  // The four centre squares are filled before the first move and never emptied.
  for (const int sq : {engine::squareOf(4, 4), engine::squareOf(5, 4), engine::squareOf(4, 5),
                       engine::squareOf(5, 5)}) {
    if (((black | white) & bitOf(sq)) == 0) {
      *error = "centre square " + engine::squareName(sq) + " is empty, as it never is in a game";
      return std::nullopt;
    }
  }
  std::string_view rest = line.substr(64);
  if (!isBlank(rest[0])) {
    *error = "expected a space after the 64 squares";
    return std::nullopt;
  }
  while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
  if (rest == "X" || rest == "x") {
    result.position = {black, white};
  } else if (rest == "O" || rest == "o") {
    result.position = {white, black};
  } else {
    *error = "the side to move must be X or O";
    return std::nullopt;
  }
  return result;
}

std::string solveAnswer(engine::EndgameSolver& solver, const Position& p, uint64_t nodeBudget) {
  if (engine::legalMoves(p) == 0 && engine::legalMoves(p.passed()) == 0) {
    return "end " + signedScore(engine::finalScore(p));
  }
  const int empties = p.emptyCount();
  if (empties > kMaxSolveEmpties) {
    return "unknown (" + std::to_string(empties) + " empty squares; at most " +
           std::to_string(kMaxSolveEmpties) + " are solved)";
  }
  engine::SearchLimit limit;
  limit.nodes = nodeBudget;
  const engine::ExactResult r = solver.solve(p, false, limit);
  if (!r.complete) return "unknown (more than " + std::to_string(nodeBudget) + " positions)";
  return engine::squareName(r.move) + ' ' + signedScore(r.score);
}

int runSolve(std::istream& in, std::ostream& out, std::ostream& err, uint64_t nodeBudget) {
  engine::EndgameSolver solver;
  std::string line;
  int status = 0;
  for (int number = 1;; ++number) {
    const LineRead read = readBoundedLine(in, &line);
    if (read == LineRead::kEnd) break;
    if (read == LineRead::kTooLong) {
      err << "brelvoxan-sim: line " << number << ": longer than " << kMaxSolveLineLength
          << " characters; reading stops\n";
      return 1;
    }
    // A byte-order mark, as some editors begin a file with.
    if (number == 1 && line.starts_with(kByteOrderMark)) line.erase(0, kByteOrderMark.size());
    std::string error;
    const std::optional<SolveLine> parsed = parseSolveLine(line, &error);
    if (!parsed) {
      err << "brelvoxan-sim: line " << number << ": " << error << '\n';
      status = 1;
      continue;
    }
    if (parsed->comment) continue;
    const uint64_t nodesBefore = solver.nodes();
    const auto start = std::chrono::steady_clock::now();
    const std::string answer = solveAnswer(solver, parsed->position, nodeBudget);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Each answer is flushed as it comes, so a failed write shows here and not only at the end.
    out << answer << '\n' << std::flush;
    if (!out) {
      err << "brelvoxan-sim: line " << number << ": the answer could not be written\n";
      return 1;
    }
    if (answer.starts_with("unknown")) status = 1;
    char timing[96];
    std::snprintf(timing, sizeof timing, "line %d: %llu nodes, %.3f s\n", number,
                  static_cast<unsigned long long>(solver.nodes() - nodesBefore), seconds);
    err << timing << std::flush;
  }
  return status;
}

MatchResult playMatch(int a, int b, int games, uint64_t seed) {
  MatchResult result;
  engine::Opponent first(a, seed);
  engine::Opponent second(b, seed ^ 0x5DEECE66DULL);
  for (int game = 0; game < games; ++game) {
    const std::string_view opening =
        kMatchOpenings[static_cast<size_t>(game / 2) % kMatchOpenings.size()];
    const Side firstSide = game % 2 == 0 ? kBlack : kWhite;
    Board board;
    resetBoard(board);
    Side side = kBlack;
    for (size_t i = 0; i + 1 < opening.size(); i += 2) {
      const std::optional<int> sq = engine::parseSquare(opening.substr(i, 2));
      const int x = engine::columnOf(*sq);
      const int y = engine::rowOf(*sq);
      const FlipScan scan = scanFlips(board, x, y, side);
      board.at(x, y) = side;
      applyFlips(board, scan, x, y, side);
      side = static_cast<Side>(-side);
    }
    int passes = 0;
    while (passes < 2) {
      engine::Opponent& mover = side == firstSide ? first : second;
      const auto start = std::chrono::steady_clock::now();
      const std::clock_t cpuStart = std::clock();
      const engine::ComputerMove move = mover.choose(board, side);
      if (std::string note = mover.takeNote(); !note.empty() && result.note.empty()) {
        result.note = std::move(note);
      }
      const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
      const double ms =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count();
      const bool isFirst = side == firstSide;
      double& worst = isFirst ? result.worstThinkMsA : result.worstThinkMsB;
      double& worstCpu = isFirst ? result.worstThinkCpuMsA : result.worstThinkCpuMsB;
      worst = std::max(worst, ms);
      worstCpu = std::max(worstCpu, cpuMs);
      if (move.pass) {
        ++passes;
      } else {
        passes = 0;
        const FlipScan scan = scanFlips(board, move.x, move.y, side);
        board.at(move.x, move.y) = side;
        applyFlips(board, scan, move.x, move.y, side);
      }
      side = static_cast<Side>(-side);
    }
    const StoneCounts counts = countStones(board);
    const int firstDiscs = firstSide == kBlack ? counts.black : counts.white;
    const int secondDiscs = firstSide == kBlack ? counts.white : counts.black;
    if (firstDiscs > secondDiscs) {
      ++result.wins;
    } else if (firstDiscs < secondDiscs) {
      ++result.losses;
    } else {
      ++result.draws;
    }
  }
  return result;
}

std::string formatMatchResult(int a, int b, const MatchResult& r) {
  const int games = r.wins + r.draws + r.losses;
  const double score = games == 0 ? 0 : 100.0 * (r.wins + 0.5 * r.draws) / games;
  char text[160];
  std::snprintf(text, sizeof text, "%d vs %d: wins %d, draws %d, losses %d, score %.1f%%\n", a, b,
                r.wins, r.draws, r.losses, score);
  return text;
}

}  // namespace brelvoxan::sim
