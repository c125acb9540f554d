// brelvoxan-engine [--nboard] [--level N] [--seed N]: the computer opponent as a Go Text Protocol
// engine for Reversi, or with --nboard an NBoard engine; commands on standard input, answers on
// standard output.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <string>

#include "build_info.h"
#include "engine/levels.h"
#include "gtp/gtp_session.h"
#include "gtp/nboard_loop.h"

namespace {

constexpr const char* kProgram = "brelvoxan-engine";

// Past the longest line, this much more of it is skipped in search of its end; a line longer
// still ends the run, since the input may never end.
constexpr size_t kMaxSkipped = size_t{1} << 20;

std::optional<uint64_t> wholeNumber(const std::string& text, uint64_t low, uint64_t high) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

int refuse(const std::string& message) {
  std::fprintf(stderr,
               "%s: %s (usage: %s [--nboard] [--level N] [--seed N] [--help] [--version])\n",
               kProgram, message.c_str(), kProgram);
  return 2;
}

void printHelp() {
  std::printf(
      "Usage: %s [--nboard] [--level N] [--seed N]\n"
      "Plays Reversi by the Go Text Protocol (version 2) on standard input and output, for board\n"
      "game clients and referees. Squares are a1 (top left) to h8; black moves first.\n"
      "Commands: protocol_version name version known_command list_commands quit boardsize\n"
      "  clear_board play genmove undo showboard final_score\n"
      "Options:\n"
      "  --nboard\tspeak the NBoard protocol instead (nboard, set depth, set game, move, hint,\n"
      "\tgo, ping, learn); set depth N picks the strongest level looking at most N moves ahead\n"
      "  --level N\tthe strength, %d to %d (default %d), as in the game\n"
      "  --seed N\trepeat the choices among equally good moves (default: new ones each run)\n"
      "  --help\tthis text\n"
      "  --version\tthe version\n",
      kProgram, brelvoxan::engine::kMinLevel, brelvoxan::engine::kMaxLevel,
      brelvoxan::engine::kDefaultEngineLevel);
}

enum class Read { kLine, kTooLong, kEnd };

// One line of at most kMaxLineLength bytes into *line. A longer one is skipped to its end, at
// most kMaxSkipped bytes further (kTooLong); *endless when its end was not found.
Read readLine(std::FILE* in, std::string* line, bool* endless) {
  line->clear();
  int c;
  while ((c = std::getc(in)) != EOF && c != '\n') {
    if (line->size() < brelvoxan::gtp::kMaxLineLength) {
      line->push_back(static_cast<char>(c));
      continue;
    }
    size_t skipped = 1;
    while ((c = std::getc(in)) != EOF && c != '\n') {
      if (++skipped > kMaxSkipped) {
        *endless = true;
        break;
      }
    }
    return Read::kTooLong;
  }
  if (c == EOF && line->empty()) return Read::kEnd;
  return Read::kLine;
}

bool write(const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
         std::fflush(stdout) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  namespace gtp = brelvoxan::gtp;
  namespace engine = brelvoxan::engine;
  std::optional<uint64_t> level;
  std::optional<uint64_t> seed;
  bool nboard = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help") {
      printHelp();
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (arg == "--version") {
      std::printf("%s %s\n", kProgram, brelvoxan::kVersion);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (arg == "--nboard") {
      nboard = true;
    } else if (arg == "--level") {
      if (level) return refuse("--level given twice");
      level =
          hasValue ? wholeNumber(argv[++i], engine::kMinLevel, engine::kMaxLevel) : std::nullopt;
      if (!level) {
        return refuse("--level needs a level from " + std::to_string(engine::kMinLevel) + " to " +
                      std::to_string(engine::kMaxLevel));
      }
    } else if (arg == "--seed") {
      if (seed) return refuse("--seed given twice");
      seed = hasValue ? wholeNumber(argv[++i], 0, UINT64_MAX) : std::nullopt;
      if (!seed) return refuse("--seed needs a whole number from 0 to 18446744073709551615");
    } else {
      return refuse("unknown argument '" + arg + "'");
    }
  }
  // Without --seed, every run meets other choices among equally good moves.
  const int chosenLevel = static_cast<int>(level.value_or(engine::kDefaultEngineLevel));
  const uint64_t chosenSeed = seed.value_or(
      (static_cast<uint64_t>(std::random_device{}()) << 32) ^
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  if (nboard) return gtp::runNboard(chosenLevel, chosenSeed, kProgram);
  gtp::Session session(chosenLevel, chosenSeed);

  std::string line;
  for (;;) {
    bool endless = false;
    const Read read = readLine(stdin, &line, &endless);
    if (read == Read::kEnd) return 0;
    const std::string answer =
        read == Read::kTooLong
            ? "? line longer than " + std::to_string(gtp::kMaxLineLength) + " characters\n\n"
            : session.handle(line);
    const std::string note = session.takeNote();
    if (!note.empty()) std::fprintf(stderr, "%s: %s\n", kProgram, note.c_str());
    if (!write(answer)) {
      std::fprintf(stderr, "%s: cannot write the answer\n", kProgram);
      return 1;
    }
    if (endless) {
      std::fprintf(stderr, "%s: a line of more than %zu bytes; reading stops\n", kProgram,
                   kMaxSkipped);
      return 1;
    }
    if (session.quitting()) return 0;
  }
}
