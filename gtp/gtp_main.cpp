// brelvoxan-engine [--nboard] [--level N] [--seed N]: the computer opponent as a Go Text Protocol
// engine for Reversi, or with --nboard an NBoard engine (nboard_loop.h); commands on standard
// input, answers on standard output. Its options are read as the game reads its own
// (cli/command_line.h).
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "build_info.h"
#include "cli/command_line.h"
#include "engine/levels.h"
#include "gtp/gtp_session.h"
#include "gtp/nboard_loop.h"

namespace {

constexpr const char* kProgram = "brelvoxan-engine";

int refuse(const std::string& message) {
  std::fprintf(stderr,
               "%s: %s (usage: %s [--nboard] [--level N] [--seed N] [--help] [--version])\n",
               kProgram, message.c_str(), kProgram);
  return 2;
}

std::string helpText() {
  char levels[96];
  std::snprintf(levels, sizeof levels, "the strength, %d to %d (default %d), as in the game",
                brelvoxan::engine::kMinLevel, brelvoxan::engine::kMaxLevel,
                brelvoxan::engine::kDefaultEngineLevel);
  return std::string("Usage: ") + kProgram +
         " [--nboard] [--level N] [--seed N]\n"
         "Plays Reversi by the Go Text Protocol (version 2) on standard input and output, for "
         "board\n"
         "game clients and referees. Squares are a1 (top left) to h8; black moves first.\n"
         "Commands: protocol_version name version known_command list_commands quit boardsize\n"
         "  clear_board play genmove reg_genmove undo showboard final_score komi time_settings\n"
         "  time_left set_position (64 squares a1..h8 of X, O or -, and the side to move)\n"
         "komi and the time commands are taken and set aside: the level, not the clock, bounds\n"
         "each move's thinking. A comment line gets no answer; a command line longer than " +
         std::to_string(brelvoxan::gtp::kMaxLineLength) +
         "\n"
         "characters (its comment and line end aside) is refused with its id.\n"
         "Options:\n"
         "  --nboard\tspeak the NBoard protocol instead (nboard, set depth, set game, move, hint,\n"
         "\tgo, ping, learn); set depth N picks the strongest level looking at most N moves\n"
         "\tahead\n"
         "  --level N\t" +
         levels +
         "\n"
         "  --seed N\trepeat the choices among equally good moves (default: new ones each run)\n"
         "  --help\tthis text\n"
         "  --version\tthe version\n"
         "An option's value may also follow '='; an option given again replaces what it gave.\n"
         "Exit status: 0 after quit or at the end of the input; 1 when the input cannot be read,\n"
         "an answer cannot be written (quietly when the reader has gone away) or a line has no\n"
         "end; 2 for a refused command line.\n";
}

// Writes and flushes an answer; on failure, 0 when the reader has gone away (a closed pipe),
// else the errno.
std::optional<int> write(const std::string& text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) {
    return std::nullopt;
  }
  return errno == EPIPE ? 0 : errno;
}

// The status after write(): 0 when written, else 1, with a message unless the reader has gone.
int written(std::optional<int> failed) {
  if (!failed) return 0;
  if (*failed != 0) {
    std::fprintf(stderr, "%s: cannot write the answer: %s\n", kProgram, std::strerror(*failed));
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  namespace cli = brelvoxan::cli;
  namespace gtp = brelvoxan::gtp;
  namespace engine = brelvoxan::engine;
  // A reader that goes away ends the run quietly at the next answer, as a filter's does.
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
  const std::vector<cli::OptionRule> rules = {{"--help", 0, "", true, 0, 0, true},
                                              {"--version", 0, "", true, 0, 0, true},
                                              {"--nboard", 0, "", true, 0, 0, false},
                                              cli::levelOption(),
                                              cli::seedOption()};
  const cli::CommandLine options =
      cli::readCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc), rules);
  if (!options.refusal.empty()) return refuse(options.refusal);
  if (options.has("--help") || options.has("--version")) {
    const std::string text = options.has("--help")
                                 ? helpText()
                                 : std::string(kProgram) + " " + brelvoxan::kVersion + "\n";
    return written(write(text));
  }
  const std::optional<uint64_t> level = options.number("--level");
  const std::optional<uint64_t> seed = options.number("--seed");
  // Without --seed, every run meets other choices among equally good moves.
  const int chosenLevel = static_cast<int>(level.value_or(engine::kDefaultEngineLevel));
  const uint64_t chosenSeed = seed.value_or(
      (static_cast<uint64_t>(std::random_device{}()) << 32) ^
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  if (options.has("--nboard")) return gtp::runNboard(chosenLevel, chosenSeed, kProgram);
  gtp::Session session(chosenLevel, chosenSeed);

  int readError = 0;
  const auto next = [&readError]() {
    const int c = std::getc(stdin);
    if (c == EOF && std::ferror(stdin)) readError = errno;
    return c;
  };
  for (;;) {
    gtp::InputLine line;
    const gtp::LineRead read = gtp::readLine(next, &line);
    if (readError != 0) {
      std::fprintf(stderr, "%s: cannot read the commands: %s\n", kProgram,
                   std::strerror(readError));
      return 1;
    }
    if (read == gtp::LineRead::kEnd) return 0;
    const std::string answer = session.handle(line);
    const std::string note = session.takeNote();
    if (!note.empty()) std::fprintf(stderr, "%s: %s\n", kProgram, note.c_str());
    if (written(write(answer)) != 0) return 1;
    if (read == gtp::LineRead::kEndless) {
      std::fprintf(stderr, "%s: a line of more than %zu bytes; reading stops\n", kProgram,
                   gtp::kMaxLineLength + gtp::kMaxSkipped);
      return 1;
    }
    if (session.quitting()) return 0;
  }
}
