// The paced sleep that the Win32 program and the page share: late wake-ups and the drawing
// between pauses do not add up over a sweep, and a pause after a gap starts afresh.
#include <gtest/gtest.h>

#include "host/pause_cadence.h"

namespace host {
namespace {

// A sweep: 64 pauses of 10 ms, each woken `late` ms after it was due, `drawing` ms of work
// between them. Returns when the last pause was due, counted from the first one's start.
double sweep(PauseCadence& cadence, double start, double late, double drawing) {
  double now = start;
  double due = 0;
  for (int square = 0; square < 64; ++square) {
    due = cadence.dueAt(now, 10);
    now = due + late + drawing;
  }
  return due - start;
}

TEST(PauseCadence, ASweepKeepsItsPaceWhateverTheLateness) {
  PauseCadence cadence;
  EXPECT_EQ(sweep(cadence, 1000, 0.0, 0.0), 640);
  PauseCadence late;
  EXPECT_EQ(sweep(late, 1000, 0.9, 0.3), 640);
  // Lateness beyond the carry is not made up: each pause starts afresh.
  PauseCadence stalled;
  EXPECT_EQ(sweep(stalled, 1000, 11.0, 0.0), 63 * 21 + 10);
}

TEST(PauseCadence, APauseAfterAGapOfAnotherLengthOrWithoutAPredecessorStartsNow) {
  PauseCadence cadence;
  EXPECT_EQ(cadence.dueAt(5000, 10), 5010);
  // Within the carry of the previous due moment and as long: from that moment.
  EXPECT_EQ(cadence.dueAt(5012, 10), 5020);
  // The computer's pause right after a sweep keeps its whole length, and so does the sweep
  // that follows it.
  EXPECT_EQ(cadence.dueAt(5021.5, 700), 5721.5);
  EXPECT_EQ(cadence.dueAt(5723, 10), 5733);
  // Long after it (a key wait in between): from now, the whole length.
  EXPECT_EQ(cadence.dueAt(9000, 10), 9010);
  EXPECT_EQ(cadence.dueAt(9020.5, 10), 9030.5);
}

}  // namespace
}  // namespace host
