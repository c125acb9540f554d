// brelvoxan-sim [--level N] [--seed N] [--png FILE] [--settings DIR [--reset-results]]: runs the
// real game on the headless backend with keys read from standard input, then prints the display as
// read back from the back buffer. It keeps settings and results only in the folder given with
// --settings. brelvoxan-sim --solve: the exact solver over positions read from standard input.
// brelvoxan-sim --match A B [--games N] [--seed N]: level A against level B.
// The options are read as the game reads its own (cli/command_line.h): --level=N is --level N, and
// an option given again replaces what it gave before.
//
// Keys are whitespace-separated tokens ('#' starts a comment to the end of the line): Up, Down,
// Left, Right, Enter, Space, Esc, Ctrl+Z (the take back shortcut as the key maps give it), one
// digit or capital letter (H the hint, M the possible moves), or vkN with N in 1..254. Each
// token answers one key wait and is read only when the game waits, so the input may be endless
// and costs constant memory; when it ends the game is stopped at its next key wait. A token that
// is unknown or longer than kMaxToken bytes ends the run with its position and exit code 2.
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "build_info.h"
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
      const int c = read();
      if (c == EOF && std::ferror(in_)) {
        error_ = std::string("cannot read the keys: ") + std::strerror(errno);
        errorStatus_ = 1;
        return std::nullopt;
      }
      if (c == EOF || c == '#' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
          c == '\f') {
        if (!token.empty()) {
          if (c != EOF) unread(c);
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
  // The exit status the error calls for: 2 for a bad token, 1 for input that cannot be read.
  int errorStatus() const { return errorStatus_; }

 private:
  // The next byte, a UTF-8 byte-order mark at the start of the input skipped as --solve skips it.
  int read() {
    if (!started_) {
      started_ = true;
      for (const char mark : std::string_view("\xEF\xBB\xBF")) {
        const int c = std::getc(in_);
        if (c != EOF) pending_ += static_cast<char>(c);
        if (c != static_cast<unsigned char>(mark)) break;
      }
      if (pending_ == "\xEF\xBB\xBF") pending_.clear();
    }
    if (pending_.empty()) return std::getc(in_);
    const int c = static_cast<unsigned char>(pending_.front());
    pending_.erase(0, 1);
    return c;
  }
  void unread(int c) { pending_.insert(0, 1, static_cast<char>(c)); }

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
    while ((c = read()) != EOF && c != '\n') {
    }
    if (c == '\n') unread(c);
  }

  std::FILE* in_;
  bool started_ = false;
  std::string pending_;  // bytes read ahead, to be read again
  long line_ = 1;
  long column_ = 1;
  std::string error_;
  int errorStatus_ = 2;
};

int fail(int status, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return status;
}

// Writes `text` on standard output: 0, or 1 with a message (none when the reader has gone away).
int writeOut(const std::string& text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) {
    return 0;
  }
  if (errno == EPIPE) return 1;
  return fail(1, std::string("cannot write the output") +
                     (errno != 0 ? std::string(": ") + std::strerror(errno) : ""));
}

constexpr const char* kUsage =
    "usage: brelvoxan-sim [--level N] [--seed N] [--png FILE] [--settings DIR [--reset-results]] "
    "< keys | --solve < positions | "
    "--match A B [--games N] [--seed N]";

int usageError(const std::string& message) {
  return fail(2, message + " (" + kUsage + ")");
}

int printHelp() {
  const std::string text =
      std::string(kUsage) +
      "\n"
      "Runs the game headless on a virtual clock with keys from standard input, then prints the\n"
      "screen, the board, the cursor box and the clock. Keys: Up Down Left Right Enter Space Esc\n"
      "Ctrl+Z, a digit or capital letter, or vkN (N from 1 to 254); '#' starts a comment.\n"
      "  --level N\tthe computer's strength, as in the game\n"
      "  --seed N\trepeat its choices among equally good moves (default 1)\n"
      "  --png FILE\talso write the display as a PNG picture\n"
      "  --solve\tfor each line of 64 squares a1..h8 (X, O, -), a space and the side to move\n"
      "\t\t(X or O), the best move and the exact final disc difference ('a2 +38'), 'pass'\n"
      "\t\tor 'end' and the difference, or 'unknown (reason)': more than " +
      std::to_string(brelvoxan::sim::kMaxSolveEmpties) + " empty squares,\n\t\tor more than " +
      std::to_string(brelvoxan::sim::kSolveNodeBudget) + " positions (" +
      brelvoxan::sim::kBudgetExpectation +
      ").\n"
      "\t\tEach line is solved afresh: its answer does not depend on the lines before\n"
      "  --match A B\tlevel A against level B from the match openings; --games N (even, default\n"
      "\t\t100) and --seed N\n"
      "  --help\tthis text\n"
      "  --version\tthe version\n"
      "Exit status: 0 done (--solve: every position solved); 1 a position unsolved or malformed,\n"
      "input that cannot be read, output that cannot be written (quietly when its reader has\n"
      "gone away), no glyphs to read the screen with, a --solve line over 1000 bytes; 2 a refused\n"
      "command line or key token.\n";
  return writeOut(text);
}

// What the command line asked for: a game (the default), --solve, --match, --help or --version.
struct Run {
  enum class Mode { kGame, kSolve, kMatch, kHelp, kVersion } mode = Mode::kGame;
  std::optional<std::string> pngPath;
  std::optional<uint64_t> level;
  std::optional<uint64_t> seed;
  std::pair<int, int> match;  // the levels of --match
  std::optional<uint64_t> games;
  std::string settingsFolder;  // --settings: where the game keeps settings and results; "" none
  bool resetResults = false;
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
      {"--help", 0, "", true, 0, 0, true},
      {"--version", 0, "", true, 0, 0, true},
      {"--png", 1, "a file name", false},
      level,
      cli::seedOption(),
      {"--solve", 0, ""},
      {"--match", 2, "two levels, each " + level.wants, true, level.low, level.high},
      games,
      cli::settingsOption(),
      cli::resetResultsOption()};
  const cli::CommandLine line = cli::readCommandLine(arguments, rules);
  *refusal = line.refusal;
  Run run;
  if (refusal->empty() && (line.has("--help") || line.has("--version"))) {
    run.mode = line.has("--help") ? Run::Mode::kHelp : Run::Mode::kVersion;
    return run;
  }
  if (refusal->empty() && line.has("--games") && *line.number("--games") % 2 != 0) {
    *refusal = cli::refuseValue(games, line.find("--games")->values[0]);
  }
  if (!refusal->empty()) return std::nullopt;
  if (line.has("--png")) run.pngPath = line.find("--png")->values[0];
  run.level = line.number("--level");
  run.seed = line.number("--seed");
  run.games = line.number("--games");
  const bool solve = line.has("--solve");
  const bool match = line.has("--match");
  if (line.has("--settings")) run.settingsFolder = line.find("--settings")->values[0];
  run.resetResults = line.has("--reset-results");
  const bool kept = !run.settingsFolder.empty();
  if (run.resetResults && !kept) {
    *refusal = "--reset-results goes with --settings";
  } else if (solve && match) {
    *refusal = "--solve and --match exclude each other";
  } else if (run.games && !match) {
    *refusal = "--games goes with --match";
  } else if (solve && (run.level || run.seed || run.pngPath || kept)) {
    *refusal = "--solve takes no other option";
  } else if (match && (run.level || run.pngPath || kept)) {
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
  brelvoxan::sim::FileInput input(stdin);
  std::istream positions(&input);
  const int status = brelvoxan::sim::runSolve(positions, std::cout, std::cerr);
  return std::fflush(stdout) == 0 ? status : 1;
}

int matchMode(const Run& run) {
  namespace sim = brelvoxan::sim;
  const auto [a, b] = run.match;
  const sim::MatchResult r =
      sim::playMatch(a, b, static_cast<int>(run.games.value_or(100)), run.seed.value_or(1));
  if (!r.note.empty()) std::fprintf(stderr, "%s: %s\n", kProgram, r.note.c_str());
  const int written = writeOut(sim::formatMatchResult(a, b, r));
  std::fprintf(stderr,
               "worst think time per move: level %d %.0f ms (processor %.0f ms), level %d %.0f "
               "ms (processor %.0f ms)\n",
               a, r.worstA.ms, r.worstA.cpuMs, b, r.worstB.ms, r.worstB.cpuMs);
  return written;
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
  // Without glyphs the screen cannot be read back: stop before playing rather than after.
  const std::vector<std::string> folders = brelvoxan::glyphFolders();
  if (brelvoxan::CharacterScreen().loadGlyphsFrom(folders).folder < 0) {
    std::string where;
    for (const std::string& folder : folders) where += (where.empty() ? "" : ", ") + folder;
    return fail(
        1, "no glyph file could be read in " + where + "; run from the folder that holds res/");
  }
  KeyReader keys(stdin);
  headless::setKeyFeeder([&keys]() -> std::optional<uint8_t> {
    const std::optional<uint8_t> code = keys.next();
    if (!code) headless::requestStop();
    return code;
  });
  brelvoxan::Game game;
  // Settings and results are kept only in a folder given: runs repeat, and never touch the
  // person's own.
  std::optional<int> levelChosen;
  if (run.level) levelChosen = static_cast<int>(*run.level);
  brelvoxan::startFromKept(game, run.settingsFolder, levelChosen, run.resetResults);
  game.seed = run.seed.value_or(1);
  game.thinkingTakesNoTime = true;  // the virtual clock counts each whole pause
  brelvoxan::CharacterScreen screen;
  brelvoxan::gameMain(game, screen);  // returns when the feeder has stopped it at a key wait
  headless::setKeyFeeder(nullptr);
  if (!keys.error().empty()) return fail(keys.errorStatus(), keys.error());

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
  return writeOut(report);
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away ends the run quietly at the next write, as a filter's does.
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
  std::string refusal;
  const std::optional<Run> run =
      readRun(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc), &refusal);
  if (!run) return usageError(refusal);
  switch (run->mode) {
    case Run::Mode::kSolve:
      return solveMode();
    case Run::Mode::kMatch:
      return matchMode(*run);
    case Run::Mode::kHelp:
      return printHelp();
    case Run::Mode::kVersion:
      return writeOut(std::string(kProgram) + " " + brelvoxan::kVersion + "\n");
    case Run::Mode::kGame:
      break;
  }
  return gameMode(*run);
}
