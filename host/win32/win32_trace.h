// Timestamps of sleeps, keys and glyph draws for the benchmark, written to standard error only by
// the separately built traced program; the game itself prints nothing.
#pragma once

#include <cstdint>

#ifdef BRELVOXAN_WIN32_TRACE
#include <cstdio>

#include "host/win32/win32_handles.h"
#endif

namespace host::win32 {

// One line "trace MICROSECONDS WHAT ARGUMENT" on the performance counter.
inline void trace([[maybe_unused]] const char* what, [[maybe_unused]] uint32_t argument = 0) {
#ifdef BRELVOXAN_WIN32_TRACE
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<int64_t>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const int64_t micros = static_cast<int64_t>(now.QuadPart) / frequency * 1000000 +
                         static_cast<int64_t>(now.QuadPart) % frequency * 1000000 / frequency;
  std::fprintf(stderr, "trace %lld %s %u\n", static_cast<long long>(micros), what,
               static_cast<unsigned>(argument));
  std::fflush(stderr);
#endif
}

}  // namespace host::win32
