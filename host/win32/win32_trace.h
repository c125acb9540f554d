// The count and time of image draws for the Wine benchmark, reported with the other trace lines
// (host/trace.h) by the separately built traced program; compiled away in the game itself.
#pragma once

#include <cstdint>

#include "host/trace.h"

namespace host::win32 {

// The draws since the last report; empty and compiled away in the game itself.
struct DrawTrace {
#ifdef BRELVOXAN_TRACE
  int64_t draws = 0;
  int64_t micros = 0;
#endif

  // Around one image draw: start() gives the start time, done(start) adds the draw.
  static int64_t start() {
    return traceMicros();
  }
  void done([[maybe_unused]] int64_t startMicros) {
#ifdef BRELVOXAN_TRACE
    ++draws;
    micros += traceMicros() - startMicros;
#endif
  }

  // Lines "draws COUNT" and "drawus MICROSECONDS" for the draws since the last report.
  void report() {
#ifdef BRELVOXAN_TRACE
    trace("draws", static_cast<uint32_t>(draws));
    trace("drawus", static_cast<uint32_t>(micros));
    draws = 0;
    micros = 0;
#endif
  }
};

}  // namespace host::win32
