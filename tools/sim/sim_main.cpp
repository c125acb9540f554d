// brelvoxan-sim [--level N] [--seed N] [--png FILE]: runs the real game on the headless backend
// with keys read from standard input, then prints the display as read back from the back buffer.
// brelvoxan-sim --solve: the exact solver over positions read from standard input.
// brelvoxan-sim --match A B [--games N] [--seed N]: level A against level B.
//
// Keys are whitespace-separated tokens ('#' starts a comment to the end of the line): Up, Down,
// Left, Right, Enter, Space, Esc, one digit or capital letter, or vkN with N in 1..254. Each
// token answers one key wait; when they are used up the game is stopped at its next key wait.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/opponent.h"
#include "host/headless/headless.h"
#include "host/key_codes.h"
#include "host/platform.h"
#include "tools/reader/screen_reader.h"
#include "tools/sim/openings.h"
#include "tools/sim/sim_tools.h"

namespace {

constexpr const char* kProgram = "brelvoxan-sim";
constexpr const char* kGlyphDir = "res/bmp";

std::optional<uint8_t> keyCodeOf(const std::string& token) {
  struct Named {
    const char* name;
    uint8_t code;
  };
  static constexpr Named kNamed[] = {{"Up", host::kVkUp},        {"Down", host::kVkDown},
                                     {"Left", host::kVkLeft},    {"Right", host::kVkRight},
                                     {"Enter", host::kVkReturn}, {"Space", host::kVkSpace},
                                     {"Esc", host::kVkEscape}};
  for (const Named& named : kNamed) {
    if (token == named.name) return named.code;
  }
  if (token.size() == 1 &&
      ((token[0] >= '0' && token[0] <= '9') || (token[0] >= 'A' && token[0] <= 'Z'))) {
    return static_cast<uint8_t>(token[0]);  // the virtual-key code of a digit or letter
  }
  // vkN: at most three decimal digits, so no overflow before the range check.
  if (token.size() >= 3 && token.size() <= 5 && token.compare(0, 2, "vk") == 0) {
    int value = 0;
    for (size_t i = 2; i < token.size(); ++i) {
      if (token[i] < '0' || token[i] > '9') return std::nullopt;
      value = value * 10 + (token[i] - '0');
    }
    if (value >= 1 && value <= 254) return static_cast<uint8_t>(value);
  }
  return std::nullopt;
}

// Parses the whole input; on an unknown token names it in *bad and returns nothing.
std::optional<std::vector<uint8_t>> parseKeys(std::istream& in, std::string* bad) {
  std::vector<uint8_t> keys;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string token;
    while (words >> token) {
      const std::optional<uint8_t> code = keyCodeOf(token);
      if (!code) {
        *bad = token;
        return std::nullopt;
      }
      keys.push_back(*code);
    }
  }
  return keys;
}

int fail(int status, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return status;
}

// A whole number in [low, high] written in decimal digits only.
std::optional<uint64_t> parseNumber(const std::string& text, uint64_t low, uint64_t high) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

constexpr const char* kUsage =
    "usage: brelvoxan-sim [--level N] [--seed N] [--png FILE] < keys | --solve < positions | "
    "--match A B [--games N] [--seed N]";

int usageError(const std::string& message) {
  return fail(2, message + " (" + kUsage + ")");
}

}  // namespace

int main(int argc, char** argv) {
  namespace reader = brelvoxan::reader;
  namespace headless = host::headless;
  namespace sim = brelvoxan::sim;

  std::optional<std::string> pngPath;
  std::optional<uint64_t> level;
  std::optional<uint64_t> seed;
  bool solve = false;
  std::optional<std::pair<int, int>> match;
  std::optional<uint64_t> games;
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const std::string levelRange = "a level from " + std::to_string(brelvoxan::kMinLevel) + " to " +
                                 std::to_string(brelvoxan::kMaxLevel);
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    auto once = [&](bool given) { return given ? usageError(arg + " given twice") : 0; };
    if (arg == "--png") {
      if (int e = once(pngPath.has_value())) return e;
      if (!hasValue) return usageError("--png needs a file name");
      pngPath = args[++i];
    } else if (arg == "--level") {
      if (int e = once(level.has_value())) return e;
      level = hasValue ? parseNumber(args[++i], brelvoxan::kMinLevel, brelvoxan::kMaxLevel)
                       : std::nullopt;
      if (!level) return usageError("--level needs " + levelRange);
    } else if (arg == "--seed") {
      if (int e = once(seed.has_value())) return e;
      seed = hasValue ? parseNumber(args[++i], 0, UINT64_MAX) : std::nullopt;
      if (!seed)
        return usageError("--seed needs a whole number from 0 to " + std::to_string(UINT64_MAX));
    } else if (arg == "--solve") {
      if (int e = once(solve)) return e;
      solve = true;
    } else if (arg == "--match") {
      if (int e = once(match.has_value())) return e;
      std::optional<uint64_t> a;
      std::optional<uint64_t> b;
      if (i + 2 < args.size()) {
        a = parseNumber(args[i + 1], brelvoxan::kMinLevel, brelvoxan::kMaxLevel);
        b = parseNumber(args[i + 2], brelvoxan::kMinLevel, brelvoxan::kMaxLevel);
      }
      if (!a || !b) return usageError("--match needs two levels, each " + levelRange);
      match = {static_cast<int>(*a), static_cast<int>(*b)};
      i += 2;
    } else if (arg == "--games") {
      if (int e = once(games.has_value())) return e;
      const uint64_t most = 2 * sim::kMatchOpenings.size();
      games = hasValue ? parseNumber(args[++i], 2, most) : std::nullopt;
      if (!games || *games % 2 != 0) {
        return usageError("--games needs an even number from 2 to " + std::to_string(most) +
                          " (each opening is played twice, colours swapped)");
      }
    } else {
      return usageError("unknown argument '" + arg + "'");
    }
  }
  const int modes = (solve ? 1 : 0) + (match ? 1 : 0);
  if (modes > 1) return usageError("--solve and --match exclude each other");
  if (games && !match) return usageError("--games goes with --match");
  if (solve && (level || seed || pngPath)) {
    return usageError("--solve takes no other option");
  }
  if (match && (level || pngPath)) return usageError("--match takes only --games and --seed");

  if (solve) {
    const int status = sim::runSolve(std::cin, std::cout, std::cerr);
    return std::fflush(stdout) == 0 ? status : 1;
  }
  if (match) {
    const sim::MatchResult r = sim::playMatch(
        match->first, match->second, static_cast<int>(games.value_or(100)), seed.value_or(1));
    std::cout << sim::formatMatchResult(match->first, match->second, r);
    std::fprintf(stderr,
                 "worst think time per move: level %d %.0f ms (processor %.0f ms), level %d %.0f "
                 "ms (processor %.0f ms)\n",
                 match->first, r.worstThinkMsA, r.worstThinkCpuMsA, match->second, r.worstThinkMsB,
                 r.worstThinkCpuMsB);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }

  std::string bad;
  const std::optional<std::vector<uint8_t>> keys = parseKeys(std::cin, &bad);
  if (!keys) return fail(2, "unknown key token '" + bad + "'");

  const reader::GlyphSet glyphs = reader::GlyphSet::loadFromDirectory(kGlyphDir);
  if (!glyphs.hasDotPictures()) {
    return fail(1, std::string("cannot read the glyph pictures in ") + kGlyphDir +
                       " (run from the folder that holds res/)");
  }

  headless::reset();
  size_t next = 0;
  headless::setKeyFeeder([&keys, &next]() -> std::optional<uint8_t> {
    if (next < keys->size()) return (*keys)[next++];
    headless::requestStop();
    return std::nullopt;
  });
  brelvoxan::Game game;
  game.level = static_cast<int>(level.value_or(brelvoxan::kDefaultLevel));
  game.seed = seed.value_or(1);
  game.thinkingTakesNoTime = true;  // the virtual clock counts each whole pause
  brelvoxan::CharacterScreen screen;
  brelvoxan::gameMain(game, screen);  // returns when the feeder has stopped it at a key wait
  headless::setKeyFeeder(nullptr);

  const headless::Pixels& backBuffer = headless::backBuffer();
  if (pngPath && !reader::writePng(backBuffer, 0, 0, reader::kDisplayWidth, reader::kDisplayHeight,
                                   *pngPath)) {
    return fail(1, "cannot write " + *pngPath);
  }
  const std::string report = reader::formatScreen(reader::readScreen(backBuffer, glyphs)) +
                             "clock: " + std::to_string(headless::clockMs()) + "\n";
  std::fwrite(report.data(), 1, report.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
