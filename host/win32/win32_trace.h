// Timestamps of sleeps and keys, and the count and time of image draws, for the benchmark,
// written to standard error only by the separately built traced program; the game itself
// prints nothing and compiles all of this away.
#pragma once

#include <cstdint>

#ifdef BRELVOXAN_WIN32_TRACE
#include <cstdio>

#include "host/win32/win32_handles.h"
#endif

namespace host::win32 {

#ifdef BRELVOXAN_WIN32_TRACE
inline int64_t traceMicros() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<int64_t>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<int64_t>(now.QuadPart) / frequency * 1000000 +
         static_cast<int64_t>(now.QuadPart) % frequency * 1000000 / frequency;
}
inline int64_t tracedDraws = 0;
inline int64_t tracedDrawMicros = 0;
#endif

// One line "trace MICROSECONDS WHAT ARGUMENT".
inline void trace([[maybe_unused]] const char* what, [[maybe_unused]] uint32_t argument = 0) {
#ifdef BRELVOXAN_WIN32_TRACE
  std::fprintf(stderr, "trace %lld %s %u\n", static_cast<long long>(traceMicros()), what,
               static_cast<unsigned>(argument));
  std::fflush(stderr);
#endif
}

// Around one image draw: drawStart() gives the start time, drawDone(start) adds the draw.
inline int64_t drawStart() {
#ifdef BRELVOXAN_WIN32_TRACE
  return traceMicros();
#else
  return 0;
#endif
}
inline void drawDone([[maybe_unused]] int64_t start) {
#ifdef BRELVOXAN_WIN32_TRACE
  ++tracedDraws;
  tracedDrawMicros += traceMicros() - start;
#endif
}

// Lines "draws COUNT" and "drawus MICROSECONDS" for the draws since the last report.
inline void traceDraws() {
#ifdef BRELVOXAN_WIN32_TRACE
  trace("draws", static_cast<uint32_t>(tracedDraws));
  trace("drawus", static_cast<uint32_t>(tracedDrawMicros));
  tracedDraws = 0;
  tracedDrawMicros = 0;
#endif
}

}  // namespace host::win32
