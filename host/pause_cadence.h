// The paced sleep of the backends whose timers wake late (the Win32 program and the page): a run
// of pauses keeps its pace, so a sweep of 64 pauses of 10 ms takes 640 ms and not 690 or more.
// Pure arithmetic on a clock the backend reads; each backend keeps its own cadence.
#pragma once

#include <cstdint>

namespace host {

// A pause as long as the previous one that begins within this long of the moment that one was
// due starts from that moment instead. Less than a display frame, so no lateness made up this way
// can be seen; a pause of another length (the computer's, after a sweep) is never shortened.
inline constexpr double kPaceCarryMs = 10.0;

class PauseCadence {
 public:
  // A pause of `milliseconds` that begins at `nowMs` (a monotonic clock in milliseconds): the
  // moment it is due to end. Never earlier than the previous pause's due moment plus its length.
  double dueAt(double nowMs, uint32_t milliseconds) {
    const bool keepsPace = lastDueMs_ >= 0.0 && milliseconds == lastLengthMs_ &&
                           nowMs - lastDueMs_ <= kPaceCarryMs && lastDueMs_ - nowMs <= kPaceCarryMs;
    lastDueMs_ = (keepsPace ? lastDueMs_ : nowMs) + milliseconds;
    lastLengthMs_ = milliseconds;
    return lastDueMs_;
  }

 private:
  double lastDueMs_ = -1.0;  // -1 before the first pause
  uint32_t lastLengthMs_ = 0;
};

}  // namespace host
