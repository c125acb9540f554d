// Levels 4 and 5 against perfect play on positions from self-played games. Every legal move of
// each position was scored by the exact solver once (from 25 empty squares on the best moves
// alone, the others when a level plays them), and the scores are kept in bench/scored_set.txt,
// so that a run spends its time on the levels' thinks. Prints, by
// band of empty squares, the share of best moves and the mean discs lost beside their goals, and
// each level's longest think in processor time.
//
// Usage: brelvoxan-scored-bench [--page] [--set FILE]... [--level N] [--list]
//        brelvoxan-scored-bench --make FILE --games N [--first-game G] [--empties LO HI]
//        brelvoxan-scored-bench --fit-cuts N
//        brelvoxan-scored-bench --fit-solver-cuts N
//        brelvoxan-scored-bench --selective FEWEST [--set FILE]...
//   --page   the think goal of the browser page (1.5 s) for a WebAssembly build
//   --set    the scored positions (default: bench/scored_set.txt of the source tree); given
//            more than once, the sets' positions are counted together
//   --level  score this level alone (4 or 5)
//   --list   also print each position with its best score and the level's move and loss
//   --make   appends to FILE the positions of games G..G+N-1 (game g stops at LO + g % (HI-LO+1)
//            empty squares, 14 to 26 by default), scored exactly; minutes a position past 24
//   --fit-cuts  prints the selective search's models fitted on N self-played positions
//   --fit-solver-cuts  prints the exact solver's selective cuts' models fitted on N games
//   --selective  the solver's selective solve at each certainty on the positions of FEWEST
//            empty squares or more: best moves, mean loss and positions visited, by band
#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/bitboard.h"
#include "engine/endgame.h"
#include "engine/evaluation.h"
#include "engine/patterns.h"
#include "engine/search.h"

#ifndef BRELVOXAN_SCORED_SET
#define BRELVOXAN_SCORED_SET "bench/scored_set.txt"
#endif

namespace {

namespace eng = brelvoxan::engine;

constexpr double kGoalBestShare = 0.85;
constexpr double kGoalMeanLoss = 0.5;
constexpr int kFirstBand[] = {14, 20, 27};  // bands: 14-19, 20-26, 27 and more
constexpr int kBands = 3;
constexpr size_t kMostPositions = 10000;
// From this many empty squares on, the set keeps only the best moves' score, '?' for the others.
constexpr int kBestOnlyEmpties = 25;
constexpr int kUnknown = 100;

struct Scored {
  eng::Position position;  // own = X, to move
  int moveScore[64];       // exact final disc difference after each legal move, or kUnknown
  int best = -65;
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

std::string boardText(const eng::Position& p) {
  std::string text(64, '-');
  for (int sq = 0; sq < 64; ++sq) {
    if (p.own & eng::bitOf(sq)) text[static_cast<size_t>(sq)] = 'X';
    if (p.opp & eng::bitOf(sq)) text[static_cast<size_t>(sq)] = 'O';
  }
  return text;
}

int make(const char* file, int firstGame, int games, int fewest, int most) {
  std::FILE* out = std::fopen(file, "a");
  if (out == nullptr) {
    std::fprintf(stderr, "brelvoxan-scored-bench: cannot append to %s\n", file);
    return 1;
  }
  eng::EndgameSolver solver;
  for (int game = firstGame; game < firstGame + games; ++game) {
    eng::Position p;
    if (!selfPlayedPosition(game, fewest + game % (most - fewest + 1), &p)) continue;
    std::string line = boardText(p);
    if (p.emptyCount() >= kBestOnlyEmpties) {
      // Every other move's score would take the solver minutes: the bench solves those its
      // levels play.
      solver.clear();
      const eng::ExactResult r = solver.solve(p, true);
      for (eng::Mask moves = eng::legalMoves(p); moves; moves &= moves - 1) {
        const int sq = std::countr_zero(moves);
        const bool best = std::find(r.equal.begin(), r.equal.end(), sq) != r.equal.end();
        line.append(" ").append(eng::squareName(sq)).append(":");
        line.append(best ? std::to_string(r.score) : "?");
      }
    } else {
      for (eng::Mask moves = eng::legalMoves(p); moves; moves &= moves - 1) {
        const int sq = std::countr_zero(moves);
        solver.clear();
        const int score = -solver.solve(eng::afterMove(p, sq, eng::flipsOf(p, sq)), false).score;
        line.append(" ").append(eng::squareName(sq)).append(":").append(std::to_string(score));
      }
    }
    std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
    std::fprintf(stderr, "game %d, %d empties: %s\n", game, p.emptyCount(), line.c_str() + 65);
  }
  std::fclose(out);
  return 0;
}

// The selective search's models (kCutModels in engine/search.cpp): the plain search's
// scores at every depth up to the deepest of the table on `count` self-played positions with
// 24 to 50 empty squares, and for each deep depth the standard deviation of the deep score less
// the shallow one, kCutReduction plies shallower, with its mean, from 30 empty squares down and
// above. Finished games' scores are left out.
int fitCuts(int count) {
  constexpr int kDeepest = eng::kCutFirstDepth + 5;
  constexpr int kRows = 2;
  double sum[kRows][kDeepest + 1] = {};
  double squares[kRows][kDeepest + 1] = {};
  int pairs[kRows][kDeepest + 1] = {};
  for (int game = 0; game < count; ++game) {
    eng::Position p;
    if (!selfPlayedPosition(5000 + game, 24 + game % 27, &p)) continue;
    eng::Engine engine(1);
    int score[kDeepest + 1];
    for (int depth = 1; depth <= kDeepest; ++depth)
      score[depth] = engine.searchScore(p, depth, false);
    const int row = p.emptyCount() <= 30 ? 0 : 1;
    for (int deep = eng::kCutFirstDepth; deep <= kDeepest; ++deep) {
      const int shallow = score[deep - eng::kCutReduction];
      if (std::abs(score[deep]) >= eng::kMaxEvaluation ||
          std::abs(shallow) >= eng::kMaxEvaluation) {
        continue;
      }
      const double d = score[deep] - shallow;
      sum[row][deep] += d;
      squares[row][deep] += d * d;
      ++pairs[row][deep];
    }
    std::fprintf(stderr, "position %d of %d, %d empties\n", game + 1, count, p.emptyCount());
  }
  for (int row = 0; row < kRows; ++row) {
    std::printf("%s empty squares:", row == 0 ? "up to 30" : "above 30");
    for (int deep = eng::kCutFirstDepth; deep <= kDeepest; ++deep) {
      const double n = std::max(pairs[row][deep], 1);
      const double mean = sum[row][deep] / n;
      const double spread = std::sqrt(std::max(squares[row][deep] / n - mean * mean, 0.0));
      std::printf(" depth %d: spread %.0f (mean %+.0f, %d);", deep, spread, mean, pairs[row][deep]);
    }
    std::printf("\n");
  }
  return 0;
}

// The exact solver's selective cuts' model (kSolverCuts in engine/endgame.cpp): game 7000 + g
// of `count` self-played games (level 3) stopped at 10 + g % 14 empty squares, then random moves
// down to 10, every position with a move solved exactly. For each band of empty squares that
// the solver's cuts search equally far ahead (10-11, 12-15, 16-19, 20-23) and each depth from 0
// to kDeepest, the mean and the standard deviation of the exact score less the learnt judgement
// searched that many moves ahead, in 1/kPatternScale discs.
int fitSolverCuts(int count) {
  constexpr int kFewest = 10;
  constexpr int kMost = 23;
  constexpr int kDeepest = 6;
  constexpr int kBandsOf[] = {10, 12, 16, 20, 24};
  constexpr int kCutBands = 4;
  double sum[kCutBands][kDeepest + 1] = {};
  double squares[kCutBands][kDeepest + 1] = {};
  int pairs[kCutBands] = {};
  eng::EndgameSolver solver;
  for (int game = 0; game < count; ++game) {
    eng::Position p;
    if (!selfPlayedPosition(7000 + game, kFewest + game % (kMost - kFewest + 1), &p)) continue;
    eng::Random random(0xF1CA7ULL * static_cast<uint64_t>(game + 1));
    while (p.emptyCount() >= kFewest) {
      const eng::Mask moves = eng::legalMoves(p);
      if (moves == 0) {
        if (eng::legalMoves(p.passed()) == 0) break;
        p = p.passed();
        continue;
      }
      solver.clear();
      const int exact = solver.solve(p, false).score;
      int band = 0;
      while (p.emptyCount() >= kBandsOf[band + 1]) ++band;
      for (int depth = 0; depth <= kDeepest; ++depth) {
        const double d = exact * eng::kPatternScale - solver.judgement(p, depth);
        sum[band][depth] += d;
        squares[band][depth] += d * d;
      }
      ++pairs[band];
      eng::Mask left = moves;
      for (int skip = random.below(eng::countBits(moves)); skip > 0; --skip) left &= left - 1;
      const int square = std::countr_zero(left);
      p = eng::afterMove(p, square, eng::flipsOf(p, square));
    }
    std::fprintf(stderr, "game %d of %d\n", game + 1, count);
  }
  for (int band = 0; band < kCutBands; ++band) {
    std::printf("%d-%d empties (%d positions):", kBandsOf[band], kBandsOf[band + 1] - 1,
                pairs[band]);
    const double n = std::max(pairs[band], 1);
    for (int depth = 0; depth <= kDeepest; ++depth) {
      const double mean = sum[band][depth] / n;
      const double spread = std::sqrt(std::max(squares[band][depth] / n - mean * mean, 0.0));
      std::printf(" depth %d: %+.0f/%.0f;", depth, mean, spread);
    }
    std::printf("\n");
  }
  return 0;
}

// One line of the set: the board with X to move, then "square:score" for every legal move.
bool parseLine(const std::string& line, Scored* s, std::string* error) {
  std::istringstream in(line);
  std::string board;
  in >> board;
  const auto discs = eng::parseSquares(board, error);
  if (!discs) return false;
  s->position = eng::Position{discs->black, discs->white};
  std::fill(std::begin(s->moveScore), std::end(s->moveScore), -65);
  eng::Mask scored = 0;
  std::string item;
  while (in >> item) {
    const size_t colon = item.find(':');
    const auto sq = eng::parseSquare(item.substr(0, std::min(colon, item.size())));
    if (colon == std::string::npos || !sq) {
      *error = "a move is not square:score: " + item.substr(0, 20);
      return false;
    }
    const std::string value = item.substr(colon + 1);
    const int score = value == "?" ? kUnknown : std::atoi(value.c_str());
    if ((score < -64 || score > 64) && score != kUnknown) {
      *error = "a score is outside -64..64";
      return false;
    }
    s->moveScore[*sq] = score;
    if (score != kUnknown) s->best = std::max(s->best, score);
    scored |= eng::bitOf(*sq);
  }
  if (scored != eng::legalMoves(s->position) || s->best < -64) {
    *error = "the scored moves are not the legal moves";
    return false;
  }
  return true;
}

struct Tally {
  int positions = 0;
  int best = 0;
  int lost = 0;
};

// The exact score of `move` in `s`, solved when the set does not know it.
int moveScore(const Scored& s, int move, eng::EndgameSolver* solver) {
  if (s.moveScore[move] != kUnknown) return s.moveScore[move];
  solver->clear();
  const eng::Position& p = s.position;
  return -solver->solve(eng::afterMove(p, move, eng::flipsOf(p, move)), false).score;
}

// The solver's selective solve at each certainty below the exact one on the positions of
// `fewest` empty squares or more: by band of empty squares, the share of best moves, the mean
// discs lost, and the positions each solve visited, on average and at most.
void selectiveTable(const std::vector<Scored>& set, int fewest) {
  constexpr int kBandStarts[] = {20, 23, 25, 65};
  eng::EndgameSolver checker;
  for (int certainty = 0; certainty < eng::kExactCertainty; ++certainty) {
    for (int band = 0; band + 1 < static_cast<int>(std::size(kBandStarts)); ++band) {
      Tally t;
      uint64_t total = 0;
      uint64_t most = 0;
      for (const Scored& s : set) {
        const int empties = s.position.emptyCount();
        if (empties < std::max(fewest, kBandStarts[band]) || empties >= kBandStarts[band + 1]) {
          continue;
        }
        eng::EndgameSolver solver;
        const eng::ExactResult r = solver.solve(s.position, false, {}, std::nullopt, certainty);
        const int lost = s.best - moveScore(s, r.move, &checker);
        ++t.positions;
        t.best += lost == 0 ? 1 : 0;
        t.lost += lost;
        total += solver.nodes();
        most = std::max(most, solver.nodes());
      }
      if (t.positions == 0) continue;
      std::printf(
          "selective %.1f deviations, %d-%d empties (%d positions): best move %.0f%%, mean loss "
          "%.2f discs, positions %.1f M a solve on average, %.1f M at most\n",
          eng::kCertaintyTimes10[certainty] / 10.0, std::max(fewest, kBandStarts[band]),
          kBandStarts[band + 1] - 1, t.positions, 100.0 * t.best / t.positions,
          static_cast<double>(t.lost) / t.positions, static_cast<double>(total) / t.positions / 1e6,
          static_cast<double>(most) / 1e6);
      std::fflush(stdout);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool page = false;
  bool list = false;
  std::vector<const char*> setFiles;
  const char* makeFile = nullptr;
  int games = 65;
  int firstGame = 0;
  int fewest = 14;
  int most = 26;
  int onlyLevel = 0;
  int fitCount = 0;
  int fitSolverCount = 0;
  int selectiveFrom = 0;
  for (int i = 1; i < argc; ++i) {
    const bool more = i + 1 < argc;
    if (std::strcmp(argv[i], "--page") == 0) {
      page = true;
    } else if (std::strcmp(argv[i], "--list") == 0) {
      list = true;
    } else if (std::strcmp(argv[i], "--set") == 0 && more) {
      setFiles.push_back(argv[++i]);
    } else if (std::strcmp(argv[i], "--level") == 0 && more) {
      onlyLevel = std::clamp(std::atoi(argv[++i]), 4, 5);
    } else if (std::strcmp(argv[i], "--make") == 0 && more) {
      makeFile = argv[++i];
    } else if (std::strcmp(argv[i], "--fit-cuts") == 0 && more) {
      fitCount = std::clamp(std::atoi(argv[++i]), 1, 10000);
    } else if (std::strcmp(argv[i], "--fit-solver-cuts") == 0 && more) {
      fitSolverCount = std::clamp(std::atoi(argv[++i]), 1, 10000);
    } else if (std::strcmp(argv[i], "--selective") == 0 && more) {
      selectiveFrom = std::clamp(std::atoi(argv[++i]), 1, 60);
    } else if (std::strcmp(argv[i], "--games") == 0 && more) {
      games = std::clamp(std::atoi(argv[++i]), 1, 1000);
    } else if (std::strcmp(argv[i], "--first-game") == 0 && more) {
      firstGame = std::clamp(std::atoi(argv[++i]), 0, 100000);
    } else if (std::strcmp(argv[i], "--empties") == 0 && i + 2 < argc) {
      fewest = std::clamp(std::atoi(argv[++i]), 1, 40);
      most = std::clamp(std::atoi(argv[++i]), fewest, 40);
    } else {
      std::fprintf(stderr,
                   "usage: brelvoxan-scored-bench [--page] [--set FILE]... [--level N] [--list]\n"
                   "       brelvoxan-scored-bench --make FILE --games N [--first-game G] "
                   "[--empties LO HI]\n"
                   "       brelvoxan-scored-bench --fit-cuts N\n"
                   "       brelvoxan-scored-bench --fit-solver-cuts N\n"
                   "       brelvoxan-scored-bench --selective FEWEST [--set FILE]...\n");
      return 2;
    }
  }
  if (makeFile != nullptr) return make(makeFile, firstGame, games, fewest, most);
  if (fitCount > 0) return fitCuts(fitCount);
  if (fitSolverCount > 0) return fitSolverCuts(fitSolverCount);

  if (setFiles.empty()) setFiles.push_back(BRELVOXAN_SCORED_SET);
  std::vector<Scored> set;
  for (const char* setFile : setFiles) {
    std::ifstream in(setFile);
    if (!in) {
      std::fprintf(stderr, "brelvoxan-scored-bench: cannot read %s\n", setFile);
      return 1;
    }
    std::string line;
    for (int number = 1; std::getline(in, line) && set.size() < kMostPositions; ++number) {
      if (line.empty() || line[0] == '#') continue;
      Scored s;
      std::string error;
      if (!parseLine(line.substr(0, 1000), &s, &error)) {
        std::fprintf(stderr, "brelvoxan-scored-bench: %s line %d: %s\n", setFile, number,
                     error.c_str());
        return 1;
      }
      set.push_back(s);
    }
  }

  if (selectiveFrom > 0) {
    selectiveTable(set, selectiveFrom);
    return 0;
  }
  eng::EndgameSolver solver;
  const double goalMs = page ? 1500 : 700;
  for (const int level : {4, 5}) {
    if (onlyLevel != 0 && level != onlyLevel) continue;
    Tally bands[kBands];
    double worstMs = 0;
    int worstEmpties = 0;
    for (const Scored& s : set) {
      eng::Engine engine(1);
      const std::clock_t start = std::clock();
      const eng::MoveChoice choice = engine.choose(s.position, level, std::chrono::seconds(60));
      const double ms = 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
      const int empties = s.position.emptyCount();
      if (ms > worstMs) {
        worstMs = ms;
        worstEmpties = empties;
      }
      const int lost = s.best - moveScore(s, choice.move, &solver);
      int band = kBands - 1;
      while (band > 0 && empties < kFirstBand[band]) --band;
      Tally& t = bands[band];
      ++t.positions;
      t.best += lost == 0 ? 1 : 0;
      t.lost += lost;
      if (list) {
        std::printf(
            "  level %d, %d empties: best %+d, played %s losing %d (%s, depth %d, %.0f ms, "
            "%llu positions)\n",
            level, empties, s.best, eng::squareName(choice.move).c_str(), lost,
            choice.exact ? "exact" : "midgame", choice.depth, ms,
            static_cast<unsigned long long>(engine.nodes()));
      }
    }
    Tally all;
    for (int b = 0; b <= kBands; ++b) {
      const Tally& t = b < kBands ? bands[b] : all;
      if (b < kBands) {
        all.positions += t.positions;
        all.best += t.best;
        all.lost += t.lost;
      }
      if (t.positions == 0) continue;
      char name[16];
      if (b == kBands) {
        std::snprintf(name, sizeof name, "all");
      } else if (b + 1 < kBands) {
        std::snprintf(name, sizeof name, "%d-%d", kFirstBand[b], kFirstBand[b + 1] - 1);
      } else {
        std::snprintf(name, sizeof name, "%d+", kFirstBand[b]);
      }
      const double share = static_cast<double>(t.best) / t.positions;
      const double loss = static_cast<double>(t.lost) / t.positions;
      const bool ok = share >= kGoalBestShare && loss <= kGoalMeanLoss;
      std::printf(
          "scored level %d, %s empties (%d positions): best move %d (%.0f%%, goal >= 85%%), "
          "mean loss %.2f discs (goal <= 0.5) %s\n",
          level, name, t.positions, t.best, 100 * share, loss,
          level == 5 ? (ok ? "met" : "MISSED") : "");
    }
    std::printf(
        "scored level %d: longest think %.0f ms processor time at %d empties (goal < %.0f ms) "
        "%s\n",
        level, worstMs, worstEmpties, goalMs, worstMs < goalMs ? "met" : "MISSED");
    std::fflush(stdout);
  }
  return 0;
}
