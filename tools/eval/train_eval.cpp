// brelvoxan-train-eval: learns the values of the late-position judgement (engine/patterns.h).
//   positions SEED COUNT   plays games from random openings with noisy greedy moves and prints,
//                          every few moves from 20 empty squares down to 10, the position and its
//                          exact score, "own opp empties score" with masks in hex, until COUNT
//                          positions are printed. The same seed gives the same positions.
//   train FILE...          fits the values to those scores by least squares and prints them as
//                          C++ source for engine/generated/pattern_values.cpp; errors go to stderr.
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

namespace {

using namespace brelvoxan::engine;

constexpr int kMostEmpties = 20;
constexpr int kFewestEmpties = 10;

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

struct Sample {
  size_t first;  // of its indices
  float score;
};

int train(int count, char** files) {
  const PatternSet& set = patternSet();
  std::vector<uint32_t> indices;
  std::vector<Sample> samples;
  for (int f = 0; f < count; ++f) {
    FILE* in = std::fopen(files[f], "r");
    if (!in) {
      std::fprintf(stderr, "brelvoxan-train-eval: cannot open %s\n", files[f]);
      return 1;
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
        return 1;
      }
      samples.push_back({indices.size(), static_cast<float>(score)});
      patternIndices(p, &indices);
    }
    std::fclose(in);
    if (fields != EOF) {
      std::fprintf(stderr, "brelvoxan-train-eval: %s: line %d is not a scored position\n", files[f],
                   line + 1);
      return 1;
    }
  }
  if (samples.size() < 10) {
    std::fprintf(stderr, "brelvoxan-train-eval: too few positions\n");
    return 1;
  }
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
  std::fprintf(
      stderr,
      "%zu positions; error in discs: %.2f on those learnt from, %.2f on the %zu kept aside\n",
      samples.size(), error(held, samples.size()), error(0, held), held);
  std::printf(
      "// The values of the late-position judgement, learnt from %zu solved positions by\n"
      "// tools/train-eval.sh; do not edit.\n",
      samples.size());
  std::printf("#include \"engine/pattern_values.h\"\n\nnamespace brelvoxan::engine {\n\n");
  std::printf("const int kPatternValueCount = %d;\n", set.values);
  std::printf("// clang-format off\nconst int8_t kPatternValues[] = {\n");
  for (size_t i = 0; i < values.size(); i += 16) {
    std::printf("   ");
    for (size_t j = i; j < std::min(values.size(), i + 16); ++j) {
      std::printf(" %ld,", std::clamp(std::lround(values[j] * kPatternScale), -127L, 127L));
    }
    std::printf("\n");
  }
  std::printf("};\n// clang-format on\n\n}  // namespace brelvoxan::engine\n");
  return 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: brelvoxan-train-eval positions SEED COUNT\n"
               "       brelvoxan-train-eval train FILE...\n");
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
  if (command == "train" && argc >= 3) return train(argc - 2, argv + 2);
  return usage();
}
