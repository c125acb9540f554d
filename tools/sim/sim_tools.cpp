#include "tools/sim/sim_tools.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <istream>
#include <ostream>
#include <utility>

#include "cli/command_line.h"
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
  const std::optional<engine::Discs> discs = engine::parseSquares(line.substr(0, 64), error);
  if (!discs) return std::nullopt;
  std::string_view rest = line.substr(64);
  if (!isBlank(rest[0])) {
    *error = "expected a space after the 64 squares";
    return std::nullopt;
  }
  while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
  if (rest == "X" || rest == "x") {
    result.position = {discs->black, discs->white};
  } else if (rest == "O" || rest == "o") {
    result.position = {discs->white, discs->black};
  } else {
    *error = "the side to move must be X or O, not '" + cli::printable(std::string(rest)) + "'";
    return std::nullopt;
  }
  return result;
}

// The answer to one position; *nodes the positions its solve visited.
std::string solveAnswer(const Position& p, uint64_t nodeBudget, uint64_t* nodes) {
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
  // A solver of its own, which has seen nothing of the lines before: a line's answer, and the work
  // it takes, are the same wherever it stands in the input. Its table is sized to the position,
  // so that a near-finished one is not slowed by making a large table it does not need.
  engine::EndgameSolver solver(std::clamp(empties, 12, 19));
  const engine::ExactResult r = solver.solve(p, false, limit);
  *nodes = solver.nodes();
  if (!r.complete) {
    return "unknown (more than " + std::to_string(nodeBudget) + " positions; " +
           kBudgetExpectation + ")";
  }
  return engine::squareName(r.move) + ' ' + signedScore(r.score);
}

FileInput::int_type FileInput::underflow() {
  const size_t got = std::fread(buffer_, 1, sizeof buffer_, file_);
  if (got == 0) {
    if (std::ferror(file_)) {
      error_ = std::strerror(errno);
      // The stream reading through this buffer takes it as a failed read (badbit).
      throw std::ios_base::failure(error_);
    }
    return traits_type::eof();
  }
  setg(buffer_, buffer_, buffer_ + got);
  return traits_type::to_int_type(buffer_[0]);
}

int runSolve(std::istream& in, std::ostream& out, std::ostream& err, uint64_t nodeBudget) {
  std::string line;
  int status = 0;
  for (int number = 1;; ++number) {
    const LineRead read = readBoundedLine(in, &line);
    if (in.bad()) {
      const auto* file = dynamic_cast<const FileInput*>(in.rdbuf());
      err << "brelvoxan-sim: line " << number << ": cannot read the input"
          << (file && !file->error().empty() ? ": " + file->error() : "") << '\n';
      return 1;
    }
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
    uint64_t nodes = 0;
    const auto start = std::chrono::steady_clock::now();
    const std::string answer = solveAnswer(parsed->position, nodeBudget, &nodes);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Each answer is flushed as it comes, so a failed write shows here and not only at the end.
    errno = 0;
    out << answer << '\n' << std::flush;
    if (!out) {
      // A reader that went away (a closed pipe) ends the run quietly, as it ends a filter's.
      if (errno == EPIPE) return 1;
      err << "brelvoxan-sim: line " << number << ": cannot write the answer"
          << (errno != 0 ? std::string(": ") + std::strerror(errno) : "") << '\n';
      return 1;
    }
    if (answer.starts_with("unknown")) status = 1;
    char timing[96];
    std::snprintf(timing, sizeof timing, "line %d: %llu nodes, %.3f s\n", number,
                  static_cast<unsigned long long>(nodes), seconds);
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
