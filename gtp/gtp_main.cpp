// brelvoxan-engine [--level N] [--seed N]: the computer opponent as a Go Text Protocol engine for
// Reversi, commands on standard input, answers on standard output. Its options are read as the
// game reads its own (cli/command_line.h).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "build_info.h"
#include "cli/command_line.h"
#include "engine/levels.h"
#include "gtp/gtp_session.h"

namespace {

constexpr const char* kProgram = "brelvoxan-engine";

// Past the longest line, this much more of it is skipped in search of its end; a line longer
// still ends the run, since the input may never end.
constexpr size_t kMaxSkipped = size_t{1} << 20;

int refuse(const std::string& message) {
  std::fprintf(stderr, "%s: %s (usage: %s [--level N] [--seed N] [--help] [--version])\n", kProgram,
               message.c_str(), kProgram);
  return 2;
}

void printHelp() {
  std::printf(
      "Usage: %s [--level N] [--seed N]\n"
      "Plays Reversi by the Go Text Protocol (version 2) on standard input and output, for board\n"
      "game clients and referees. Squares are a1 (top left) to h8; black moves first.\n"
      "Commands: protocol_version name version known_command list_commands quit boardsize\n"
      "  clear_board play genmove undo showboard final_score\n"
      "Options:\n"
      "  --level N\tthe strength, %d to %d (default %d), as in the game\n"
      "  --seed N\trepeat the choices among equally good moves (default: new ones each run)\n"
      "  --help\tthis text\n"
      "  --version\tthe version\n"
      "An option's value may also follow '='; an option given again replaces what it gave.\n",
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
  namespace cli = brelvoxan::cli;
  namespace gtp = brelvoxan::gtp;
  namespace engine = brelvoxan::engine;
  const std::vector<cli::OptionRule> rules = {{"--help", 0, "", true, 0, 0, true},
                                              {"--version", 0, "", true, 0, 0, true},
                                              cli::levelOption(),
                                              cli::seedOption()};
  const cli::CommandLine options =
      cli::readCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc), rules);
  if (!options.refusal.empty()) return refuse(options.refusal);
  if (options.has("--help")) {
    printHelp();
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (options.has("--version")) {
    std::printf("%s %s\n", kProgram, brelvoxan::kVersion);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  const std::optional<uint64_t> level = options.number("--level");
  const std::optional<uint64_t> seed = options.number("--seed");
  // Without --seed, every run meets other choices among equally good moves.
  gtp::Session session(
      static_cast<int>(level.value_or(engine::kDefaultEngineLevel)),
      seed.value_or(
          (static_cast<uint64_t>(std::random_device{}()) << 32) ^
          static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())));

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
