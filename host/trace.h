// Timestamps for the benchmarks: the separately built traced programs (BRELVOXAN_TRACE defined)
// write one line "trace MICROSECONDS WHAT ARGUMENT" to standard error for each present, sleep,
// key and the like; in every other build this compiles away and the game prints nothing.
#pragma once

#include <cstdint>

#ifdef BRELVOXAN_TRACE
#include <cstdio>
#endif

namespace host {

#ifdef BRELVOXAN_TRACE
// Microseconds on a monotonic clock that other processes on the machine can read too; each
// traced backend gives its own.
int64_t traceMicros();
#else
inline int64_t traceMicros() {
  return 0;
}
#endif

inline void trace([[maybe_unused]] const char* what, [[maybe_unused]] uint32_t argument = 0) {
#ifdef BRELVOXAN_TRACE
  std::fprintf(stderr, "trace %lld %s %u\n", static_cast<long long>(traceMicros()), what,
               static_cast<unsigned>(argument));
  std::fflush(stderr);
#endif
}

}  // namespace host
