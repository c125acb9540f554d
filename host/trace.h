// Timestamps for the benchmarks: the separately built traced programs (BRELVOXAN_TRACE defined)
// write one line "trace MICROSECONDS WHAT ARGUMENT" to standard error for each present, sleep,
// key and the like; in every other build this compiles away and the game prints nothing.
#pragma once

#include <cstdint>

#ifdef BRELVOXAN_TRACE
#include <chrono>
#include <cstdio>
#ifdef _WIN32
#include <windows.h>
#endif
#endif

namespace host {

// Microseconds on the monotonic clock, which other processes on the machine can read too (on
// Windows the performance counter, finer than some runtimes' steady clock).
inline int64_t traceMicros() {
#if defined(BRELVOXAN_TRACE) && defined(_WIN32)
  LARGE_INTEGER frequency;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<int64_t>(now.QuadPart / frequency.QuadPart * 1000000 +
                              now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart);
#elif defined(BRELVOXAN_TRACE)
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
#else
  return 0;
#endif
}

inline void trace([[maybe_unused]] const char* what, [[maybe_unused]] uint32_t argument = 0) {
#ifdef BRELVOXAN_TRACE
  std::fprintf(stderr, "trace %lld %s %u\n", static_cast<long long>(traceMicros()), what,
               static_cast<unsigned>(argument));
  std::fflush(stderr);
#endif
}

}  // namespace host
