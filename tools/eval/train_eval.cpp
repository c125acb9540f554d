// brelvoxan-train-eval: learns the values of the judgements (engine/patterns.h).
//   positions SEED COUNT   plays games from random openings with noisy greedy moves and prints,
//                          every few moves from 20 empty squares down to 10, the position and its
//                          exact score, "own opp empties score" with masks in hex, until COUNT
//                          positions are printed. The same seed gives the same positions.
//   train FILE...          fits the values to those scores by least squares and prints them as
//                          C++ source for engine/generated/pattern_values.cpp; errors go to stderr.
//   games SEED COUNT       plays COUNT games, a few random moves and then a four-ply search over
//                          the hand-made judgement, solves each exactly at 18 empty squares and
//                          prints each position before that with that exact score, as above.
//   phases FILE...         fits the values of each midgame phase to those scores and prints them
//                          as C++ source for engine/generated/phase_values.cpp.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <string_view>
#include <vector>

#include "engine/endgame.h"
#include "engine/evaluation.h"
#include "engine/patterns.h"
#include "engine/search_parts.h"

namespace {

using namespace brelvoxan::engine;

constexpr int kMostEmpties = 20;
constexpr int kFewestEmpties = 10;
constexpr int kGameSolveEmpties = 18;

bool parseCount(std::string_view text, unsigned long long* out) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *out);
  return error == std::errc{} && end == text.data() + text.size();
}

int randomMove(Mask moves, std::mt19937_64& rng) {
  auto k = static_cast<int>(rng() % static_cast<unsigned>(countBits(moves)));
  while (k-- > 0) moves &= moves - 1;
  return std::countr_zero(moves);
}

int positions(unsigned long long seed, unsigned long long count) {
  std::mt19937_64 rng(seed);
  EndgameSolver solver(18);
  unsigned long long printed = 0;
  while (printed < count) {
    Position p = startPosition();
    const int randomPlies = static_cast<int>(rng() % 24);
    // Out of 1000, how often a move after the opening is random: 60 to 240.
    const double noise = 0.2 + 0.6 * static_cast<double>(rng() % 1000) / 1000.0;
    const double randomShare = noise * 1000 * 0.3;
    int nextSolve = kFewestEmpties + static_cast<int>(rng() % (kMostEmpties - kFewestEmpties + 1));
    for (int ply = 0;; ++ply) {
      const Mask moves = legalMoves(p);
      if (!moves) {
        p = p.passed();
        if (!legalMoves(p)) break;
        continue;
      }
      const int empties = p.emptyCount();
      if (empties < kFewestEmpties) break;
      if (empties <= nextSolve) {
        const ExactResult r = solver.solve(p, false);
        std::printf("%016llx %016llx %d %d\n", static_cast<unsigned long long>(p.own),
                    static_cast<unsigned long long>(p.opp), empties, r.score);
        if (++printed == count) break;
        nextSolve = empties - 2 - static_cast<int>(rng() % 3);
      }
      int pick = -1;
      if (ply < randomPlies || static_cast<double>(rng() % 1000) < randomShare) {
        pick = randomMove(moves, rng);
      } else {
        int best = -(1 << 30);
        for (Mask m = moves; m; m &= m - 1) {
          const int sq = std::countr_zero(m);
          const int v = -evaluate(afterMove(p, sq, flipsOf(p, sq))) + static_cast<int>(rng() % 200);
          if (v > best) {
            best = v;
            pick = sq;
          }
        }
      }
      p = afterMove(p, pick, flipsOf(p, pick));
    }
  }
  return 0;
}

// The midgame player of `games`: plain alpha-beta over the hand-made judgement, so that the
// games, and the values learnt from them, never depend on values learnt before.
int playerSearch(const Position& p, int depth, int alpha, int beta, bool passed) {
  const Mask moves = legalMoves(p);
  if (!moves) {
    if (passed) return 1000 * finalScore(p);
    return -playerSearch(p.passed(), depth, -beta, -alpha, true);
  }
  if (depth == 0) return evaluate(p);
  Children children;
  const int n = orderedChildren(p, moves, -1, children.data());
  int best = -(1 << 30);
  for (int i = 0; i < n; ++i) {
    const int v = -playerSearch(children[i].next, depth - 1, -beta, -alpha, false);
    if (v > best) best = v;
    if (v > alpha) alpha = v;
    if (alpha >= beta) break;
  }
  return best;
}

int playerMove(const Position& p, Mask moves, std::mt19937_64& rng) {
  constexpr int kDepth = 4;
  Children children;
  const int n = orderedChildren(p, moves, -1, children.data());
  int best = -(1 << 30);
  int pick = children[0].square;
  for (int i = 0; i < n; ++i) {
    // A little noise tells equal moves apart and varies the games.
    const int v = -playerSearch(children[i].next, kDepth - 1, -(1 << 30), (1 << 30), false) +
                  static_cast<int>(rng() % 40);
    if (v > best) {
      best = v;
      pick = children[i].square;
    }
  }
  return pick;
}

// Plays `count` games from random openings, each solved exactly at kGameSolveEmpties empty
// squares, and prints every position of each game before that point with the exact score of
// the solved one, seen from the side to move there.
int games(unsigned long long seed, unsigned long long count) {
  std::mt19937_64 rng(seed);
  EndgameSolver solver(18);
  struct Seen {
    Position p;
    bool black;  // the side to move is the one that moved first
  };
  std::vector<Seen> seen;
  for (unsigned long long game = 0; game < count; ++game) {
    Position p = startPosition();
    bool black = true;
    const int randomPlies = 2 + static_cast<int>(rng() % 15);
    seen.clear();
    int blackScore = 0;
    for (int ply = 0;; ++ply) {
      const Mask moves = legalMoves(p);
      if (!moves) {
        p = p.passed();
        black = !black;
        if (!legalMoves(p)) {
          blackScore = black ? finalScore(p) : -finalScore(p);
          break;
        }
        continue;
      }
      if (p.emptyCount() <= kGameSolveEmpties) {
        const int score = solver.solve(p, false).score;
        blackScore = black ? score : -score;
        break;
      }
      seen.push_back({p, black});
      const int pick = (ply < randomPlies || rng() % 100 < 2) ? randomMove(moves, rng)
                                                              : playerMove(p, moves, rng);
      p = afterMove(p, pick, flipsOf(p, pick));
      black = !black;
    }
    for (const Seen& s : seen) {
      std::printf("%016llx %016llx %d %d\n", static_cast<unsigned long long>(s.p.own),
                  static_cast<unsigned long long>(s.p.opp), s.p.emptyCount(),
                  s.black ? blackScore : -blackScore);
    }
  }
  return 0;
}

struct Sample {
  size_t first;  // of its indices
  float score;
};

// Reads the scored positions of `files` whose number of empty squares `keep` accepts.
template <class Keep>
bool readScored(int count, char** files, Keep keep, std::vector<Sample>* samples,
                std::vector<uint32_t>* indices) {
  for (int f = 0; f < count; ++f) {
    FILE* in = std::fopen(files[f], "r");
    if (!in) {
      std::fprintf(stderr, "brelvoxan-train-eval: cannot open %s\n", files[f]);
      return false;
    }
    unsigned long long own = 0;
    unsigned long long opp = 0;
    int empties = 0;
    int score = 0;
    int line = 0;
    int fields = 0;
    while ((fields = std::fscanf(in, "%llx %llx %d %d", &own, &opp, &empties, &score)) == 4) {
      ++line;
      const Position p{own, opp};
      if ((own & opp) || p.emptyCount() != empties || score < -64 || score > 64 || score % 2) {
        std::fprintf(stderr, "brelvoxan-train-eval: %s: line %d is not a scored position\n",
                     files[f], line);
        std::fclose(in);
        return false;
      }
      if (!keep(empties)) continue;
      samples->push_back({indices->size(), static_cast<float>(score)});
      patternIndices(p, indices);
    }
    std::fclose(in);
    if (fields != EOF) {
      std::fprintf(stderr, "brelvoxan-train-eval: %s: line %d is not a scored position\n", files[f],
                   line + 1);
      return false;
    }
  }
  if (samples->size() < 10) {
    std::fprintf(stderr, "brelvoxan-train-eval: too few positions\n");
    return false;
  }
  return true;
}

// Fits values to the samples' scores by least squares and reports the error on stderr. A value
// met in fewer than `fewest` of the positions learnt from is left at 0: too few to learn from.
std::vector<float> fit(std::vector<Sample>& samples, const std::vector<uint32_t>& indices,
                       int fewest = 0) {
  const PatternSet& set = patternSet();
  const size_t per = indices.size() / samples.size();
  // A tenth is kept aside to show how well the values carry over to positions not seen.
  std::mt19937 rng(1);
  std::shuffle(samples.begin(), samples.end(), rng);
  const size_t held = samples.size() / 10;
  std::vector<float> values(static_cast<size_t>(set.values), 0.0f);
  std::vector<float> squares(values.size(), 1e-8f);
  const auto predict = [&](const Sample& s) {
    float sum = 0;
    for (size_t j = 0; j < per; ++j) sum += values[indices[s.first + j]];
    return sum;
  };
  const auto error = [&](size_t from, size_t to) {
    double sum = 0;
    for (size_t k = from; k < to; ++k) {
      const double e = predict(samples[k]) - samples[k].score;
      sum += e * e;
    }
    return std::sqrt(sum / static_cast<double>(to - from));
  };
  // Stochastic gradient descent with a step per value that shrinks with its own history
  // (values of rare shapes move less often and keep larger steps), and a pull towards 0.
  constexpr float kStep = 0.5f;
  constexpr float kPull = 0.1f;
  constexpr int kRounds = 16;
  for (int round = 0; round < kRounds; ++round) {
    std::shuffle(samples.begin() + static_cast<std::ptrdiff_t>(held), samples.end(), rng);
    for (size_t k = held; k < samples.size(); ++k) {
      const float e = predict(samples[k]) - samples[k].score;
      for (size_t j = 0; j < per; ++j) {
        const uint32_t i = indices[samples[k].first + j];
        const float g = e + kPull * values[i];
        squares[i] += g * g;
        values[i] -= kStep * g / std::sqrt(squares[i]);
      }
    }
  }
  if (fewest > 0) {
    std::vector<int> met(values.size(), 0);
    for (size_t k = held; k < samples.size(); ++k) {
      for (size_t j = 0; j < per; ++j) ++met[indices[samples[k].first + j]];
    }
    for (size_t i = 0; i < values.size(); ++i) {
      if (met[i] < fewest) values[i] = 0;
    }
  }
  std::fprintf(
      stderr,
      "%zu positions; error in discs: %.2f on those learnt from, %.2f on the %zu kept aside\n",
      samples.size(), error(held, samples.size()), error(0, held), held);
  return values;
}

void printValues(const std::vector<float>& values) {
  for (size_t i = 0; i < values.size(); i += 16) {
    std::printf("   ");
    for (size_t j = i; j < std::min(values.size(), i + 16); ++j) {
      std::printf(" %ld,", std::clamp(std::lround(values[j] * kPatternScale), -127L, 127L));
    }
    std::printf("\n");
  }
}

int train(int count, char** files) {
  std::vector<uint32_t> indices;
  std::vector<Sample> samples;
  if (!readScored(
          count, files, [](int) { return true; }, &samples, &indices))
    return 1;
  const std::vector<float> values = fit(samples, indices);
  std::printf(
      "// The values of the late-position judgement, learnt from %zu solved positions by\n"
      "// tools/train-eval.sh; do not edit.\n",
      samples.size());
  std::printf("#include \"engine/pattern_values.h\"\n\nnamespace brelvoxan::engine {\n\n");
  std::printf("const int kPatternValueCount = %d;\n", patternSet().values);
  std::printf("// clang-format off\nconst int8_t kPatternValues[] = {\n");
  printValues(values);
  std::printf("};\n// clang-format on\n\n}  // namespace brelvoxan::engine\n");
  return 0;
}

// Each phase learns from its own positions and those a few squares either side, so that
// neighbouring phases judge alike where they meet.
constexpr int kPhaseOverlap = 3;
// The values of the phases are kept in the page's program: those of shapes met only a few times
// (mostly sides, whose tables are large) are left out.
constexpr int kPhaseFewest = 16;

int trainPhases(int count, char** files) {
  std::vector<std::vector<float>> phases;
  size_t total = 0;
  for (int phase = 1; phase <= kMidgamePhases; ++phase) {
    const int first = kLateEmpties + 1 + (phase - 1) * kPhaseEmpties - kPhaseOverlap;
    const int last = phase == kMidgamePhases ? 60 : first + kPhaseEmpties - 1 + 2 * kPhaseOverlap;
    std::vector<uint32_t> indices;
    std::vector<Sample> samples;
    const auto keep = [&](int empties) { return empties >= first && empties <= last; };
    if (!readScored(count, files, keep, &samples, &indices)) return 1;
    std::fprintf(stderr, "phase %d, %d to %d empty squares: ", phase, first, last);
    phases.push_back(fit(samples, indices, kPhaseFewest));
    total += samples.size();
  }
  std::printf(
      "// The values of the midgame's phases, learnt by tools/train-eval.sh from positions of\n"
      "// self-played games scored by the exact score later in each game (%zu samples over the\n"
      "// phases); do not edit.\n",
      total);
  std::printf("#include \"engine/pattern_values.h\"\n\nnamespace brelvoxan::engine {\n\n");
  std::printf("const int kPhaseValueCount = %d;\n", patternSet().values);
  std::printf("const int kPhaseCount = %d;\n", kMidgamePhases);
  // Runs of zeros as 0 and the run's length (pattern_values.h).
  std::vector<long> code;
  long zeros = 0;
  const auto endRun = [&] {
    if (zeros > 0) code.insert(code.end(), {0L, zeros});
    zeros = 0;
  };
  for (const auto& values : phases) {
    for (const float v : values) {
      const long value = std::clamp(std::lround(v * kPatternScale), -127L, 127L);
      if (value == 0) {
        if (++zeros == 127) endRun();
      } else {
        endRun();
        code.push_back(value);
      }
    }
  }
  endRun();
  std::printf("const int kPhaseCodeLength = %zu;\n", code.size());
  std::printf("// clang-format off\nconst int8_t kPhaseCode[] = {\n");
  for (size_t i = 0; i < code.size(); i += 16) {
    std::printf("   ");
    for (size_t j = i; j < std::min(code.size(), i + 16); ++j) std::printf(" %ld,", code[j]);
    std::printf("\n");
  }
  std::printf("};\n// clang-format on\n\n}  // namespace brelvoxan::engine\n");
  return 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: brelvoxan-train-eval positions SEED COUNT\n"
               "       brelvoxan-train-eval train FILE...\n"
               "       brelvoxan-train-eval games SEED COUNT\n"
               "       brelvoxan-train-eval phases FILE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string_view command = argv[1];
  if (command == "positions" && argc == 4) {
    unsigned long long seed = 0;
    unsigned long long count = 0;
    if (!parseCount(argv[2], &seed) || !parseCount(argv[3], &count)) return usage();
    return positions(seed, count);
  }
  if (command == "games" && argc == 4) {
    unsigned long long seed = 0;
    unsigned long long count = 0;
    if (!parseCount(argv[2], &seed) || !parseCount(argv[3], &count)) return usage();
    return games(seed, count);
  }
  if (command == "train" && argc >= 3) return train(argc - 2, argv + 2);
  if (command == "phases" && argc >= 3) return trainPhases(argc - 2, argv + 2);
  return usage();
}
