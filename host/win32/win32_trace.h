// The count and time of image draws for the Wine benchmark, reported with the other trace lines
// (host/trace.h) by the separately built traced program; compiled away in the game itself.
#pragma once

#include <cstdint>

#include "host/trace.h"

namespace host::win32 {

#ifdef BRELVOXAN_TRACE
inline int64_t tracedDraws = 0;
inline int64_t tracedDrawMicros = 0;
#endif

// Around one image draw: drawStart() gives the start time, drawDone(start) adds the draw.
inline int64_t drawStart() {
  return traceMicros();
}
inline void drawDone([[maybe_unused]] int64_t start) {
#ifdef BRELVOXAN_TRACE
  ++tracedDraws;
  tracedDrawMicros += traceMicros() - start;
#endif
}

// Lines "draws COUNT" and "drawus MICROSECONDS" for the draws since the last report.
inline void traceDraws() {
#ifdef BRELVOXAN_TRACE
  trace("draws", static_cast<uint32_t>(tracedDraws));
  trace("drawus", static_cast<uint32_t>(tracedDrawMicros));
  tracedDraws = 0;
  tracedDrawMicros = 0;
#endif
}

}  // namespace host::win32
