#include "gtp/nboard_loop.h"

#include <cstdio>
#include <string>

#include "gtp/nboard_session.h"

namespace brelvoxan::gtp {

namespace {

// Past the longest line, this much more of it is skipped in search of its end; a line longer
// still ends the run, since the input may never end.
constexpr size_t kMaxSkipped = size_t{1} << 20;

enum class Read { kLine, kTooLong, kEndless, kEnd };

Read readLine(std::string* line) {
  line->clear();
  int c;
  while ((c = std::getc(stdin)) != EOF && c != '\n') {
    if (line->size() < kMaxNboardLine) {
      line->push_back(static_cast<char>(c));
      continue;
    }
    for (size_t skipped = 1; (c = std::getc(stdin)) != EOF && c != '\n'; ++skipped) {
      if (skipped > kMaxSkipped) return Read::kEndless;
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

int runNboard(int level, uint64_t seed, const char* program) {
  NboardSession session(level, seed);
  std::string line;
  for (;;) {
    const Read read = readLine(&line);
    if (read == Read::kEnd) return 0;
    if (read == Read::kEndless) {
      std::fprintf(stderr, "%s: a line of more than %zu bytes; reading stops\n", program,
                   kMaxNboardLine + kMaxSkipped);
      return 1;
    }
    const std::string answer =
        read == Read::kTooLong
            ? "status error: line longer than " + std::to_string(kMaxNboardLine) + " bytes\n"
            : session.handle(line);
    const std::string note = session.takeNote();
    if (!note.empty()) std::fprintf(stderr, "%s: %s\n", program, note.c_str());
    if (!write(answer)) {
      std::fprintf(stderr, "%s: cannot write the answer\n", program);
      return 1;
    }
    if (session.quitting()) return 0;
  }
}

}  // namespace brelvoxan::gtp
