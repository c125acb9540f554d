// Levels 4 and 5 against perfect play on positions from self-played games: each position, with
// 14 to 26 empty squares, is solved exactly, and each level's move is scored by the exact
// solver. Prints, by band of empty squares, the share of best moves and the mean discs lost
// beside their goals, and each level's longest think in processor time.
//
// Usage: brelvoxan-scored-bench [--page] [--games N] [--list]
//   --page   the think goal of the browser page (1.5 s) for a WebAssembly build
//   --games  self-played games to take positions from, one position each (default 52)
//   --list   also print each position with its best score and each level's move and loss
#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "engine/bitboard.h"
#include "engine/endgame.h"
#include "engine/search.h"

namespace {

namespace eng = brelvoxan::engine;

constexpr int kFewestEmpties = 14;
constexpr int kMostEmpties = 26;
constexpr int kBandSplit = 20;  // bands: 14-19 and 20-26
constexpr double kGoalBestShare = 0.85;
constexpr double kGoalMeanLoss = 0.5;

struct Scored {
  eng::Position position;
  int best = 0;                // exact score of the best move
  std::vector<int> bestMoves;  // every move of that score
};

// Game `game` of level 3 against itself after six random plies, stopped at the first position
// with `empties` empty squares or fewer where the side to move has two moves or more.
bool selfPlayedPosition(int game, int empties, eng::Position* out) {
  eng::Engine player(0xB5 + static_cast<uint64_t>(game));
  eng::Random random(0x5C0BEDULL * static_cast<uint64_t>(game + 1));
  eng::Position p = eng::startPosition();
  for (int ply = 0;; ++ply) {
    const eng::Mask moves = eng::legalMoves(p);
    if (moves == 0) {
      if (eng::legalMoves(p.passed()) == 0) return false;
      p = p.passed();
      continue;
    }
    if (p.emptyCount() <= empties && eng::countBits(moves) >= 2) {
      *out = p;
      return true;
    }
    int square;
    if (ply < 6) {
      eng::Mask left = moves;
      for (int skip = random.below(eng::countBits(moves)); skip > 0; --skip) left &= left - 1;
      square = std::countr_zero(left);
    } else {
      square = player.choose(p, 3, std::chrono::milliseconds(60000)).move;
    }
    p = eng::afterMove(p, square, eng::flipsOf(p, square));
  }
}

// The exact score of playing `square` in `p`.
int moveScore(eng::EndgameSolver& solver, const eng::Position& p, int square) {
  const eng::Position next = eng::afterMove(p, square, eng::flipsOf(p, square));
  solver.clear();
  return -solver.solve(next, false).score;
}

struct Tally {
  int positions = 0;
  int best = 0;
  int lost = 0;
};

}  // namespace

int main(int argc, char** argv) {
  bool page = false;
  bool list = false;
  int games = 52;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--page") == 0) {
      page = true;
    } else if (std::strcmp(argv[i], "--list") == 0) {
      list = true;
    } else if (std::strcmp(argv[i], "--games") == 0 && i + 1 < argc) {
      games = std::clamp(std::atoi(argv[++i]), 1, 1000);
    } else {
      std::fprintf(stderr, "usage: brelvoxan-scored-bench [--page] [--games N] [--list]\n");
      return 2;
    }
  }
  eng::EndgameSolver solver;
  std::vector<Scored> set;
  for (int game = 0; game < games; ++game) {
    const int empties = kFewestEmpties + game % (kMostEmpties - kFewestEmpties + 1);
    Scored s;
    if (!selfPlayedPosition(game, empties, &s.position)) continue;
    solver.clear();
    const eng::ExactResult r = solver.solve(s.position, true);
    s.best = r.score;
    s.bestMoves = r.equal;
    set.push_back(s);
  }
  const double goalMs = page ? 1500 : 700;
  for (const int level : {4, 5}) {
    Tally bands[2];
    double worstMs = 0;
    for (const Scored& s : set) {
      eng::Engine engine(1);
      const std::clock_t start = std::clock();
      const eng::MoveChoice choice = engine.choose(s.position, level, std::chrono::seconds(60));
      const double ms = 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
      worstMs = std::max(worstMs, ms);
      const bool best =
          std::find(s.bestMoves.begin(), s.bestMoves.end(), choice.move) != s.bestMoves.end();
      const int lost = best ? 0 : s.best - moveScore(solver, s.position, choice.move);
      Tally& t = bands[s.position.emptyCount() >= kBandSplit ? 1 : 0];
      ++t.positions;
      t.best += best ? 1 : 0;
      t.lost += lost;
      if (list) {
        std::printf("  level %d, %d empties: best %+d by %s, played %s losing %d (%.0f ms)\n",
                    level, s.position.emptyCount(), s.best,
                    eng::squareName(s.bestMoves.front()).c_str(),
                    eng::squareName(choice.move).c_str(), lost, ms);
      }
    }
    Tally all;
    const char* names[2] = {"14-19", "20-26"};
    for (int b = 0; b < 3; ++b) {
      const Tally& t = b < 2 ? bands[b] : all;
      if (b < 2) {
        all.positions += t.positions;
        all.best += t.best;
        all.lost += t.lost;
      }
      if (t.positions == 0) continue;
      const double share = static_cast<double>(t.best) / t.positions;
      const double loss = static_cast<double>(t.lost) / t.positions;
      const bool ok = share >= kGoalBestShare && loss <= kGoalMeanLoss;
      std::printf(
          "scored level %d, %s empties (%d positions): best move %d (%.0f%%, goal >= 85%%), "
          "mean loss %.2f discs (goal <= 0.5) %s\n",
          level, b < 2 ? names[b] : "all", t.positions, t.best, 100 * share, loss,
          level == 5 ? (ok ? "met" : "MISSED") : "");
    }
    std::printf("scored level %d: longest think %.0f ms processor time (goal < %.0f ms) %s\n",
                level, worstMs, goalMs, worstMs < goalMs ? "met" : "MISSED");
    std::fflush(stdout);
  }
  return 0;
}
