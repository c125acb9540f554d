// The headless backend: window start-up, virtual clock, scheduled and fed keys, stopping.
#include "host/headless/headless.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "host/display_size.h"
#include "host/platform.h"
#include "host/window_host.h"

namespace {

namespace headless = host::headless;
using host::promptWindow;

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override { headless::reset(800, 600); }
  void TearDown() override { headless::reset(); }
};

TEST_F(HeadlessTest, StartUpCreatesWindowAndBlackBackBufferThenSetsItUp) {
  EXPECT_FALSE(headless::windowCreated());
  EXPECT_EQ(headless::window().width, 0);
  EXPECT_EQ(headless::backBuffer().data.size(), 0u);

  host::startPromptWindow();
  EXPECT_TRUE(headless::windowCreated());
  EXPECT_TRUE(headless::windowSetUp());
  EXPECT_EQ(std::string(headless::windowTitle()), "Brelvoxan OrvanelTaste");
  EXPECT_EQ(headless::clockMs(), 20u);  // one 20 ms look saw the first paint

  EXPECT_NE(promptWindow.windowHandle.load(), nullptr);
  EXPECT_NE(promptWindow.backBufferDc, nullptr);
  EXPECT_EQ(promptWindow.backBufferWidth, 800);
  EXPECT_EQ(promptWindow.backBufferHeight, 600);
  const headless::Pixels& back = headless::backBuffer();
  ASSERT_EQ(back.data.size(), 800u * 600u);
  for (uint32_t p : back.data) ASSERT_EQ(p, 0u);
  EXPECT_EQ(headless::window().width, host::kClientWidth);
  EXPECT_EQ(headless::window().height, host::kClientHeight);

  headless::reset();
  EXPECT_FALSE(headless::windowCreated());
  EXPECT_EQ(promptWindow.windowHandle.load(), nullptr);
  EXPECT_EQ(promptWindow.firstPaintDone.load(), 0);
  EXPECT_EQ(promptWindow.backBufferDc, nullptr);
}

TEST_F(HeadlessTest, BitmapsAreCountedAndMeasured) {
  const int64_t start = headless::liveBitmaps();
  const uint32_t pixels[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(host::createBitmap(0, 2, pixels), nullptr);
  EXPECT_EQ(host::createBitmap(3, -1, pixels), nullptr);
  host::BitmapHandle bitmap = host::createBitmap(3, 2, pixels);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(headless::liveBitmaps(), start + 1);
  int32_t w = 0;
  int32_t h = 0;
  EXPECT_TRUE(host::bitmapSize(bitmap, &w, &h));
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  EXPECT_FALSE(host::bitmapSize(nullptr, &w, &h));

  // A draw without its window shows nowhere but still reaches the back buffer, clipped.
  host::startWindowThread();
  host::WindowHandle window = promptWindow.windowHandle.load();
  EXPECT_EQ(host::drawBitmap(bitmap, nullptr, promptWindow.backBufferDc, 798, 599), 0);
  EXPECT_EQ(headless::backBuffer().at(799, 599), 2u);
  EXPECT_EQ(headless::window().at(0, 0), 0u);
  headless::reset(800, 600);
  EXPECT_EQ(host::drawBitmap(bitmap, window, nullptr, 0, 0), 0);  // the window is gone

  headless::reset();  // bitmaps outlive a reset
  EXPECT_EQ(headless::liveBitmaps(), start + 1);
  host::deleteBitmap(bitmap);
  EXPECT_EQ(headless::liveBitmaps(), start);
}

TEST_F(HeadlessTest, SleepingAdvancesClockAndDeliversScheduledKeys) {
  headless::scheduleKey(10, 'A');
  headless::scheduleKey(12, 'B');
  headless::scheduleKey(30, 'C');
  headless::scheduleKey(30, 'D');  // same time: scheduled later, so it wins
  host::sleepMs(9);
  EXPECT_EQ(headless::clockMs(), 9u);
  EXPECT_EQ(promptWindow.lastKeyCode.load(), 0);
  host::keyPollPause();
  EXPECT_EQ(headless::clockMs(), 10u);
  EXPECT_EQ(promptWindow.lastKeyCode.load(), 'A');
  promptWindow.lastKeyCode.store(0);
  host::sleepMs(100);  // three due at once: the last one is in the slot
  EXPECT_EQ(headless::clockMs(), 110u);
  EXPECT_EQ(promptWindow.lastKeyCode.load(), 'D');

  headless::injectKey('E');
  EXPECT_EQ(promptWindow.lastKeyCode.load(), 'E');
}

TEST_F(HeadlessTest, FeederFillsSlotAtEveryKeyWait) {
  host::beginKeyWait();  // no feeder: slot untouched
  EXPECT_EQ(promptWindow.lastKeyCode.load(), 0);

  int calls = 0;
  headless::setKeyFeeder([&calls]() -> std::optional<uint8_t> {
    ++calls;
    if (calls == 1) return std::nullopt;
    return static_cast<uint8_t>('0' + calls);
  });
  host::beginKeyWait();
  EXPECT_EQ(promptWindow.lastKeyCode.load(), 0);
  host::beginKeyWait();
  EXPECT_EQ(promptWindow.lastKeyCode.load(), '2');
  EXPECT_EQ(headless::keyWaits(), 3);

  // A feeder that asks to stop still gets its key stored, then the wait ends the game thread.
  headless::setKeyFeeder([]() -> std::optional<uint8_t> {
    headless::requestStop();
    return static_cast<uint8_t>(13);
  });
  EXPECT_THROW(host::beginKeyWait(), host::GameStopped);
  EXPECT_EQ(promptWindow.lastKeyCode.load(), 13);
}

TEST_F(HeadlessTest, StopRequestEndsSleepsUntilReset) {
  host::sleepMs(5);
  headless::requestStop();
  EXPECT_THROW(host::sleepMs(5), host::GameStopped);
  EXPECT_THROW(host::keyPollPause(), host::GameStopped);
  EXPECT_EQ(headless::clockMs(), 5u);  // the stopped sleep did not advance the clock
  headless::reset();
  EXPECT_NO_THROW(host::sleepMs(1));

  // From another thread, while the game thread polls.
  std::atomic<bool> polling{false};
  std::thread stopper([&polling] {
    while (!polling.load()) std::this_thread::yield();
    headless::requestStop();
  });
  EXPECT_THROW(
      for (;;) {
        polling.store(true);
        host::keyPollPause();
      },
      host::GameStopped);
  stopper.join();
}

}  // namespace
