#include "gtp/nboard_loop.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "gtp/gtp_session.h"
#include "gtp/nboard_session.h"

namespace brelvoxan::gtp {

namespace {

enum class Read { kLine, kTooLong, kEndless, kEnd };

// One line of at most kMaxNboardLine bytes into *line. A longer one is skipped to its end
// (kTooLong), at most kMaxSkipped bytes further (else kEndless). *readError is the errno of a
// failed read.
Read readLine(std::string* line, int* readError) {
  line->clear();
  const auto next = [readError]() {
    const int c = std::getc(stdin);
    if (c == EOF && std::ferror(stdin)) *readError = errno;
    return c;
  };
  int c;
  while ((c = next()) != EOF && c != '\n') {
    if (line->size() < kMaxNboardLine) {
      line->push_back(static_cast<char>(c));
      continue;
    }
    for (size_t skipped = 1; (c = next()) != EOF && c != '\n'; ++skipped) {
      if (skipped > kMaxSkipped) return Read::kEndless;
    }
    return Read::kTooLong;
  }
  if (c == EOF && line->empty()) return Read::kEnd;
  return Read::kLine;
}

}  // namespace

int runNboard(int level, uint64_t seed, const char* program) {
  NboardSession session(level, seed);
  std::string line;
  for (;;) {
    int readError = 0;
    const Read read = readLine(&line, &readError);
    if (readError != 0) {
      std::fprintf(stderr, "%s: cannot read the commands: %s\n", program, std::strerror(readError));
      return 1;
    }
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
    errno = 0;
    if (std::fwrite(answer.data(), 1, answer.size(), stdout) != answer.size() ||
        std::fflush(stdout) != 0) {
      // A reader that has gone away (a closed pipe) ends the run quietly.
      if (errno != EPIPE) {
        std::fprintf(stderr, "%s: cannot write the answer: %s\n", program, std::strerror(errno));
      }
      return 1;
    }
    if (session.quitting()) return 0;
  }
}

}  // namespace brelvoxan::gtp
