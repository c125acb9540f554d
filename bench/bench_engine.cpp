// The searching levels' figures beside their goals: perft from the start on 64-bit masks against
// the bordered board, ten published endgame positions solved exactly, and the longest think of
// each level over 20 games. Wrong results (leaf counts, scores) end with status 1.
//
// Usage: brelvoxan-engine-bench [--page] [--quick] [--threads N] [perft] [endgame] [think]
//   --page       the goals of the browser page (a move within 1.5 s) for a WebAssembly build
//   --quick      perft to depth 9 and the first three endgame positions only
//   --threads N  the endgame positions solved on N threads (1 or 2); processor time is then
//                every thread's
// Each endgame's nodes include those the learnt judgement looked at to order moves and make the
// first guess, also printed on their own as "judged".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "engine/bitboard.h"
#include "engine/endgame.h"
#include "engine/levels.h"
#include "reversi/board.h"
#include "reversi/perft.h"
#include "tools/sim/sim_tools.h"

namespace {

using brelvoxan::engine::Clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

const char* verdict(bool met) {
  return met ? "met" : "MISSED";
}

bool benchPerft(bool quick) {
  const int depth = quick ? 9 : 11;
  const uint64_t want = quick ? 3005288u : 212258800u;
  auto start = Clock::now();
  const uint64_t masks = brelvoxan::engine::perft(brelvoxan::engine::startPosition(), depth);
  const double maskSeconds = secondsSince(start);
  brelvoxan::Board b;
  brelvoxan::resetBoard(b);
  start = Clock::now();
  const uint64_t bordered = brelvoxan::perft(b, brelvoxan::kBlack, depth);
  const double borderedSeconds = secondsSince(start);
  const double ratio = borderedSeconds / maskSeconds;
  std::printf(
      "perft %d: %llu leaves, 64-bit masks %.2f s, bordered board %.2f s: %.1fx "
      "(goal >= 10x) %s\n",
      depth, static_cast<unsigned long long>(masks), maskSeconds, borderedSeconds, ratio,
      verdict(ratio >= 10));
  if (masks != want || bordered != want) {
    std::printf("perft %d: WRONG leaf count (%llu and %llu, want %llu)\n", depth,
                static_cast<unsigned long long>(masks), static_cast<unsigned long long>(bordered),
                static_cast<unsigned long long>(want));
    return false;
  }
  return true;
}

// Ten well-known test positions of 20 to 26 empty squares with their published best scores.
struct Endgame {
  const char* board;
  int score;
};
constexpr Endgame kEndgames[] = {
    {"O--OOOOX-OOOOOOXOOXXOOOXOOXOOOXXOOOOOOXX---OOOOX----O--X-------- X", 38},
    {"-OOOOO----OOOOX--OOOOOO-XXXXXOO--XXOOX--OOXOXX----OXXO---OOO--O- X", 0},
    {"--OOO-------XX-OOOOOOXOO-OOOOXOOX-OOOXXO---OOXOO---OOOXO--OOOO-- X", 6},
    {"--XXXXX---XXXX---OOOXX---OOXXXX--OOXXXO-OOOOXOO----XOX----XXXXX- O", -12},
    {"--O-X-O---O-XO-O-OOXXXOOOOOOXXXOOOOOXX--XXOOXO----XXXX-----XXX-- O", -14},
    {"---XXXX-X-XXXO--XXOXOO--XXXOXO--XXOXXO---OXXXOO-O-OOOO------OO-- X", 6},
    {"---XXX----OOOX----OOOXX--OOOOXXX--OOOOXX--OXOXXX--XXOO---XXXX-O- X", -8},
    {"-OOOOO----OOOO---OOOOX--XXXXXX---OXOOX--OOOXOX----OOXX----XXXX-- O", 4},
    {"-----X--X-XXX---XXXXOO--XOXOOXX-XOOXXX--XOOXX-----OOOX---XXXXXX- O", 28},
    {"--OX-O----XXOO--OOOOOXX-OOOOOX--OOOXOXX-OOOOXX-----OOX----X-O--- X", 16},
};

bool benchEndgames(bool quick, int threads) {
  bool right = true;
  double total = 0;
  double totalCpu = 0;
  uint64_t totalNodes = 0;
  uint64_t totalJudged = 0;
  int solved = 0;
  for (const Endgame& e : kEndgames) {
    if (quick && solved == 3) break;
    std::string error;
    const auto line = brelvoxan::sim::parseSolveLine(e.board, &error);
    if (!line) {
      std::printf("endgame: bad position %s: %s\n", e.board, error.c_str());
      return false;
    }
    brelvoxan::engine::EndgameSolver solver;
    solver.setThreads(threads);
    const auto start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    const brelvoxan::engine::ExactResult r = solver.solve(line->position, false);
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double seconds = secondsSince(start);
    total += seconds;
    totalCpu += cpuSeconds;
    totalNodes += solver.nodes();
    ++solved;
    totalJudged += solver.judgedNodes();
    std::printf(
        "endgame %2d empties: %s %+d in %6.2f s (processor %6.2f s), %llu nodes (%llu judged), "
        "%.1f M a second%s\n",
        line->position.emptyCount(), brelvoxan::engine::squareName(r.move).c_str(), r.score,
        seconds, cpuSeconds, static_cast<unsigned long long>(solver.nodes()),
        static_cast<unsigned long long>(solver.judgedNodes()),
        static_cast<double>(solver.nodes()) / std::max(cpuSeconds, 1e-6) / 1e6,
        r.score == e.score ? "" : "  WRONG score");
    std::fflush(stdout);
    right = right && r.score == e.score;
  }
  std::printf(
      "endgame: %d positions solved exactly in %.1f s (processor %.1f s), %llu nodes (%llu "
      "judged), %.1f M a second, on %d thread%s (goal < 20 s for ten) %s\n",
      solved, total, totalCpu, static_cast<unsigned long long>(totalNodes),
      static_cast<unsigned long long>(totalJudged),
      static_cast<double>(totalNodes) / std::max(totalCpu, 1e-6) / 1e6, threads,
      threads == 1 ? "" : "s", verdict(!quick && total < 20));
  return right;
}

void benchThink(bool page) {
  const double goalMs = page ? 1500 : 700;
  for (int level = brelvoxan::engine::kMinLevel; level <= brelvoxan::engine::kMaxLevel; ++level) {
    const auto r = brelvoxan::sim::playMatch(level, level, 20, 17 + static_cast<uint64_t>(level));
    const double worst = std::max(r.worstA.ms, r.worstB.ms);
    const double worstCpu = std::max(r.worstA.cpuMs, r.worstB.cpuMs);
    std::printf(
        "think level %d: worst %.0f ms per move over 20 games, processor time %.0f ms "
        "(goal < %.0f ms) %s\n",
        level, worst, worstCpu, goalMs, verdict(worst < goalMs));
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool page = false;
  bool quick = false;
  int threads = 1;
  std::vector<std::string> parts;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc &&
        (std::strcmp(argv[i + 1], "1") == 0 || std::strcmp(argv[i + 1], "2") == 0)) {
      threads = argv[++i][0] - '0';
      continue;
    }
    if (std::strcmp(argv[i], "--page") == 0) {
      page = true;
    } else if (std::strcmp(argv[i], "--quick") == 0) {
      quick = true;
    } else if (std::strcmp(argv[i], "perft") == 0 || std::strcmp(argv[i], "endgame") == 0 ||
               std::strcmp(argv[i], "think") == 0) {
      parts.emplace_back(argv[i]);
    } else {
      std::fprintf(stderr,
                   "usage: brelvoxan-engine-bench [--page] [--quick] [--threads 1|2] [perft] "
                   "[endgame] [think]\n");
      return 2;
    }
  }
  if (parts.empty()) parts = {"perft", "endgame", "think"};
  bool right = true;
  for (const std::string& part : parts) {
    if (part == "perft") right = benchPerft(quick) && right;
    if (part == "endgame") right = benchEndgames(quick, threads) && right;
    if (part == "think") benchThink(page);
  }
  return right ? 0 : 1;
}
