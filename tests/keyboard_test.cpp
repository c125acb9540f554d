// The key wait on the headless backend: what it takes from the one-key slot, in which order, and
// how often it looks.
#include "game/keyboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "host/headless/headless.h"
#include "host/platform.h"
#include "host/window_host.h"

namespace brelvoxan {
namespace {

namespace headless = host::headless;

class ReadKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::reset();
    // A wait that never gets its keys ends here instead of hanging the test.
    headless::requestStopAt(1000);
  }
  void TearDown() override { headless::reset(); }

  static std::string read(int32_t count) {
    try {
      return std::string(readKeys(count).view());
    } catch (const host::GameStopped&) {
      return "<no more keys>";
    }
  }
};

TEST_F(ReadKeysTest, TakesKeysInOrderLookingOnceAMillisecond) {
  // Nothing to take and no wait for a count of 0 or less; the slot keeps its key.
  headless::injectKey('Z');
  EXPECT_EQ(read(0), "");
  EXPECT_EQ(read(-3), "");
  EXPECT_EQ(headless::clockMs(), 0u);
  EXPECT_EQ(host::promptWindow.lastKeyCode.load(), 'Z');

  // Two keys before a take: the later replaces the earlier, and is taken without a pause.
  headless::injectKey('Y');
  EXPECT_EQ(read(1), "Y");
  EXPECT_EQ(headless::clockMs(), 0u);

  // Keys coming while one call waits are taken in order, each at the look of its millisecond;
  // two in the same millisecond leave only the later.
  headless::scheduleKey(5, 'A');
  headless::scheduleKey(7, 200);
  headless::scheduleKey(7, 'B');
  headless::scheduleKey(8, 'C');
  EXPECT_EQ(read(3), "ABC");
  EXPECT_EQ(headless::clockMs(), 8u);

  headless::scheduleKey(20, 200);
  EXPECT_EQ(waitKey(), 200);
  EXPECT_EQ(headless::clockMs(), 20u);
  EXPECT_EQ(host::promptWindow.lastKeyCode.load(), 0);
}

TEST_F(ReadKeysTest, AKeyStoredDuringATakeIsNeverLost) {
  // The window thread stores keys while the game thread takes them. Every stored key must be
  // taken once, or be replaced in the slot by a newer one, never both and never neither.
  headless::requestStopAt(UINT64_MAX);
  std::array<std::atomic<int64_t>, 256> taken{};
  std::thread gameThread([&taken] {
    try {
      for (;;) taken[waitKey()].fetch_add(1);
    } catch (const host::GameStopped&) {
    }
  });
  // Rounds of two keys: the second comes a varying moment after the first, before, during or
  // after its take; then the slot is left to empty. Storing by exchange tells which key a store
  // replaced.
  // 5,000 rounds catch a read and a clear in two steps every time; each round waits for the
  // taking thread, which on a busy machine is what the test's time goes on.
  std::array<int64_t, 256> stored{};
  std::array<int64_t, 256> replaced{};
  std::atomic<int64_t> delay{0};
  for (int64_t i = 0; i < 5'000; ++i) {
    const auto first = static_cast<uint8_t>(i % 127 * 2 + 1);
    for (const uint8_t code : {first, static_cast<uint8_t>(first + 1)}) {
      ++stored[code];
      ++replaced[host::promptWindow.lastKeyCode.exchange(code)];
      for (int64_t d = 0; d < i % 200; ++d) delay.fetch_add(1, std::memory_order_relaxed);
    }
    // Yield while the slot empties: on one core the taking thread needs the processor.
    while (host::promptWindow.lastKeyCode.load() != 0) std::this_thread::yield();
  }
  headless::requestStop();
  gameThread.join();
  int64_t lost = 0;
  int64_t twice = 0;
  for (int code = 1; code < 256; ++code) {
    const int64_t delivered = taken[code].load() + replaced[code];
    lost += std::max<int64_t>(stored[code] - delivered, 0);
    twice += std::max<int64_t>(delivered - stored[code], 0);
  }
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(twice, 0);
}

}  // namespace
}  // namespace brelvoxan
