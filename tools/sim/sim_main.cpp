// brelvoxan-sim [--level N] [--seed N] [--png FILE]: runs the real game on the headless backend
// with keys read from standard input, then prints the display as read back from the back buffer.
// brelvoxan-sim --solve: the exact solver over positions read from standard input.
// brelvoxan-sim --match A B [--games N] [--seed N]: level A against level B.
// The options are read as the game reads its own (cli/command_line.h): --level=N is --level N, and
// an option given again replaces what it gave before.
//
// Keys are whitespace-separated tokens ('#' starts a comment to the end of the line): Up, Down,
// Left, Right, Enter, Space, Esc, Ctrl+Z (the take back shortcut as the key maps give it), one
// digit or capital letter, or vkN with N in 1..254. Each
// token answers one key wait and is read only when the game waits, so the input may be endless
// and costs constant memory; when it ends the game is stopped at its next key wait. A token that
// is unknown or longer than kMaxToken bytes ends the run with its position and exit code 2.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/command_line.h"
#include "engine/opponent.h"
#include "game/game.h"
#include "game/options.h"
#include "host/common/pixel_bitmap.h"
#include "host/headless/headless.h"
#include "host/key_codes.h"
#include "host/platform.h"
#include "screen/character_screen.h"
#include "tools/reader/screen_reader.h"
#include "tools/sim/openings.h"
#include "tools/sim/sim_tools.h"

namespace {

constexpr const char* kProgram = "brelvoxan-sim";

std::optional<uint8_t> keyCodeOf(const std::string& token) {
  struct Named {
    const char* name;
    uint8_t code;
  };
  static constexpr Named kNamed[] = {{"Up", host::kVkUp},        {"Down", host::kVkDown},
                                     {"Left", host::kVkLeft},    {"Right", host::kVkRight},
                                     {"Enter", host::kVkReturn}, {"Space", host::kVkSpace},
                                     {"Esc", host::kVkEscape},   {"Ctrl+Z", host::kVkTakeBack}};
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

// No key name is longer; a longer token is refused as soon as it is.
constexpr size_t kMaxToken = 64;

// The token as it may be shown: printable ASCII as itself, other bytes as \xHH.
std::string escaped(const std::string& token) {
  std::string shown;
  for (const char c : token) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      shown += c;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      shown += hex;
    }
  }
  return shown;
}

// Reads key tokens from a stream one at a time.
class KeyReader {
 public:
  explicit KeyReader(std::FILE* in) : in_(in) {}

  // The next key; nothing at the end of the input or at a bad token, which error() then names.
  std::optional<uint8_t> next() {
    if (!error_.empty()) return std::nullopt;
    std::string token;
    long tokenLine = 0;
    long tokenColumn = 0;
    for (;;) {
      const int c = std::getc(in_);
      if (c == EOF || c == '#' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
          c == '\f') {
        if (!token.empty()) {
          if (c != EOF) std::ungetc(c, in_);
          break;
        }
        if (c == EOF) return std::nullopt;
        if (c == '#') skipComment();
        advance(c);
        continue;
      }
      if (token.empty()) {
        tokenLine = line_;
        tokenColumn = column_;
      }
      advance(c);
      if (token.size() == kMaxToken) {
        error_ = "key token at line " + std::to_string(tokenLine) + ", column " +
                 std::to_string(tokenColumn) + " is longer than " + std::to_string(kMaxToken) +
                 " bytes: '" + escaped(token) + "...'";
        return std::nullopt;
      }
      token += static_cast<char>(c);
    }
    const std::optional<uint8_t> code = keyCodeOf(token);
    if (!code) {
      error_ = "unknown key token '" + escaped(token) + "' at line " + std::to_string(tokenLine) +
               ", column " + std::to_string(tokenColumn);
    }
    return code;
  }

  const std::string& error() const { return error_; }

 private:
  void advance(int c) {
    if (c == '\n') {
      ++line_;
      column_ = 1;
    } else {
      ++column_;
    }
  }
  void skipComment() {
    int c = 0;
    while ((c = std::getc(in_)) != EOF && c != '\n') {
    }
    if (c == '\n') std::ungetc(c, in_);
  }

  std::FILE* in_;
  long line_ = 1;
  long column_ = 1;
  std::string error_;
};

int fail(int status, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return status;
}

constexpr const char* kUsage =
    "usage: brelvoxan-sim [--level N] [--seed N] [--png FILE] < keys | --solve < positions | "
    "--match A B [--games N] [--seed N]";

int usageError(const std::string& message) {
  return fail(2, message + " (" + kUsage + ")");
}

// What the command line asked for: a game (the default), --solve or --match.
struct Run {
  enum class Mode { kGame, kSolve, kMatch } mode = Mode::kGame;
  std::optional<std::string> pngPath;
  std::optional<uint64_t> level;
  std::optional<uint64_t> seed;
  std::pair<int, int> match;  // the levels of --match
  std::optional<uint64_t> games;
};

// The run the arguments ask for, or the one line of a refusal in *refusal.
std::optional<Run> readRun(const std::vector<std::string>& arguments, std::string* refusal) {
  namespace cli = brelvoxan::cli;
  const uint64_t mostGames = 2 * brelvoxan::sim::kMatchOpenings.size();
  const cli::OptionRule level = cli::levelOption();
  const cli::OptionRule games = {"--games",
                                 1,
                                 "an even number from 2 to " + std::to_string(mostGames) +
                                     " (each opening is played twice, colours swapped)",
                                 true,
                                 2,
                                 mostGames};
  const std::vector<cli::OptionRule> rules = {
      {"--png", 1, "a file name", false},
      level,
      cli::seedOption(),
      {"--solve", 0, ""},
      {"--match", 2, "two levels, each " + level.wants, true, level.low, level.high},
      games};
  const cli::CommandLine line = cli::readCommandLine(arguments, rules);
  *refusal = line.refusal;
  if (refusal->empty() && line.has("--games") && *line.number("--games") % 2 != 0) {
    *refusal = cli::refuseValue(games, line.find("--games")->values[0]);
  }
  if (!refusal->empty()) return std::nullopt;
  Run run;
  if (line.has("--png")) run.pngPath = line.find("--png")->values[0];
  run.level = line.number("--level");
  run.seed = line.number("--seed");
  run.games = line.number("--games");
  const bool solve = line.has("--solve");
  const bool match = line.has("--match");
  if (solve && match) {
    *refusal = "--solve and --match exclude each other";
  } else if (run.games && !match) {
    *refusal = "--games goes with --match";
  } else if (solve && (run.level || run.seed || run.pngPath)) {
    *refusal = "--solve takes no other option";
  } else if (match && (run.level || run.pngPath)) {
    *refusal = "--match takes only --games and --seed";
  }
  if (!refusal->empty()) return std::nullopt;
  if (solve) run.mode = Run::Mode::kSolve;
  if (match) {
    run.mode = Run::Mode::kMatch;
    run.match = {static_cast<int>(*line.number("--match", 0)),
                 static_cast<int>(*line.number("--match", 1))};
  }
  return run;
}

int solveMode() {
  const int status = brelvoxan::sim::runSolve(std::cin, std::cout, std::cerr);
  return std::fflush(stdout) == 0 ? status : 1;
}

int matchMode(const Run& run) {
  namespace sim = brelvoxan::sim;
  const auto [a, b] = run.match;
  const sim::MatchResult r =
      sim::playMatch(a, b, static_cast<int>(run.games.value_or(100)), run.seed.value_or(1));
  if (!r.note.empty()) std::fprintf(stderr, "%s: %s\n", kProgram, r.note.c_str());
  std::cout << sim::formatMatchResult(a, b, r);
  std::fprintf(stderr,
               "worst think time per move: level %d %.0f ms (processor %.0f ms), level %d %.0f "
               "ms (processor %.0f ms)\n",
               a, r.worstA.ms, r.worstA.cpuMs, b, r.worstB.ms, r.worstB.cpuMs);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

// The real game with keys from standard input; then the screen as read back, and the picture.
int gameMode(const Run& run) {
  namespace reader = brelvoxan::reader;
  namespace headless = host::headless;
  headless::reset();
  // The glyph folders are looked for as the game looks for them, beside this program too.
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) headless::setProgramFolder(self.parent_path().string());
  KeyReader keys(stdin);
  headless::setKeyFeeder([&keys]() -> std::optional<uint8_t> {
    const std::optional<uint8_t> code = keys.next();
    if (!code) headless::requestStop();
    return code;
  });
  brelvoxan::Game game;
  game.level = static_cast<int>(run.level.value_or(brelvoxan::engine::kDefaultGameLevel));
  game.seed = run.seed.value_or(1);
  game.thinkingTakesNoTime = true;  // the virtual clock counts each whole pause
  brelvoxan::CharacterScreen screen;
  brelvoxan::gameMain(game, screen);  // returns when the feeder has stopped it at a key wait
  headless::setKeyFeeder(nullptr);
  if (!keys.error().empty()) return fail(2, keys.error());

  // The screen is read with the glyphs the game loaded: each file is decoded once.
  reader::GlyphSet glyphs;
  for (int code = 0; code < 256; ++code) {
    const host::BitmapHandle bitmap = screen.glyphImages[code].bitmap();
    if (screen.glyphPresent[static_cast<size_t>(code)] == 0 || !host::isLiveBitmap(bitmap)) {
      continue;
    }
    glyphs.setPicture(code, {bitmap->width, bitmap->height, bitmap->pixels});
  }
  if (!glyphs.hasDotPictures()) {
    return fail(1,
                "cannot read the glyph pictures of the dots (run from the folder that holds "
                "res/)");
  }

  const headless::Pixels& backBuffer = headless::backBuffer();
  if (run.pngPath && !reader::writePng(backBuffer, 0, 0, reader::kDisplayWidth,
                                       reader::kDisplayHeight, *run.pngPath)) {
    return fail(1, "cannot write " + *run.pngPath);
  }
  const std::string report = reader::formatScreen(reader::readScreen(backBuffer, glyphs)) +
                             "clock: " + std::to_string(headless::clockMs()) + "\n";
  std::fwrite(report.data(), 1, report.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string refusal;
  const std::optional<Run> run =
      readRun(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc), &refusal);
  if (!run) return usageError(refusal);
  switch (run->mode) {
    case Run::Mode::kSolve:
      return solveMode();
    case Run::Mode::kMatch:
      return matchMode(*run);
    case Run::Mode::kGame:
      break;
  }
  return gameMode(*run);
}
