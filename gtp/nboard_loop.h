// The NBoard protocol on the standard streams: commands from standard input, answers to standard
// output, flushed line by line, and notes on standard error.
#pragma once

#include <cstdint>

namespace brelvoxan::gtp {

// Answers commands until `quit` or the end of the input: 0 then; 1 when the input cannot be read,
// an answer cannot be written (quietly when the reader has gone away) or a line has no end within
// a megabyte past kMaxNboardLine. `program` prefixes the messages on standard error.
int runNboard(int level, uint64_t seed, const char* program);

}  // namespace brelvoxan::gtp
