// The NBoard protocol on the standard streams: commands from standard input, answers to standard
// output, flushed line by line, and notes on standard error.
#pragma once

#include <cstdint>

namespace brelvoxan::gtp {

// Answers commands until `quit` or the end of the input: 0 then; 1 when an answer cannot be
// written or a line has no end within a megabyte past kMaxNboardLine. `program` prefixes notes.
int runNboard(int level, uint64_t seed, const char* program);

}  // namespace brelvoxan::gtp
