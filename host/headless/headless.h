// Inspection and control of the headless backend: in-memory window and back buffer,
// bitmaps in memory, a virtual clock that sleeping advances without waiting, and injected keys.
// Used by tests and the simulator; the game itself only sees host/platform.h.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace host::headless {

struct Pixels {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> data;  // 0x00RRGGBB, rows top to bottom
  uint32_t at(int32_t x, int32_t y) const { return data[static_cast<size_t>(y) * width + x]; }
};

// The screen size, which the back buffer takes at start-up.
inline constexpr int32_t kDefaultScreenWidth = 1920;
inline constexpr int32_t kDefaultScreenHeight = 1080;

// Puts the backend back to its state before start-up: no window, no back buffer, the given
// screen size, clock 0, empty key slot, no scheduled keys, no feeder, stop flag clear. Bitmaps
// already made stay valid (they belong to the images that made them).
void reset(int32_t screenWidth = kDefaultScreenWidth, int32_t screenHeight = kDefaultScreenHeight);

// Virtual milliseconds since the last reset.
uint64_t clockMs();

// The pixels of the window's client area and of the back buffer (screen-sized). Before the
// window exists both are empty.
const Pixels& window();
const Pixels& backBuffer();

// Whether the window exists, its current title, and whether the set-up after the first paint
// (title, icon, fixed style, position) has run.
bool windowCreated();
const char* windowTitle();
bool windowSetUp();

// Puts a key into the slot now, as a key-down on the window would.
void injectKey(uint8_t code);

// Puts a key into the slot when the virtual clock reaches atMs (during a sleep or key pause).
void scheduleKey(uint64_t atMs, uint8_t code);

// Called at the start of every key wait. It returns the code to put into the slot at once, or
// nothing to leave the slot as it is. Unset: the slot is left as it is.
using KeyFeeder = std::function<std::optional<uint8_t>()>;
void setKeyFeeder(KeyFeeder feeder);

// Where host::runJobElsewhere sends a job: the runner's answer, or nothing for a job it does not
// run. Unset (after a reset): no job is run elsewhere, as on the desktop.
using JobRunner = std::function<std::optional<std::vector<uint8_t>>(const std::vector<uint8_t>&)>;
void setJobRunner(JobRunner runner);

// Asks the game thread to stop: its next sleep or key wait throws host::GameStopped.
// Safe to call from any thread.
void requestStop();

// Stops the game thread at its first sleep or key wait once the virtual clock reaches atMs.
void requestStopAt(uint64_t atMs);

// Number of bitmaps made and not yet deleted.
int64_t liveBitmaps();

// Number of key waits begun since the last reset.
int64_t keyWaits();

// What host::programFolder answers (empty after a reset), and the texts host::showMessage was
// given since the last reset.
void setProgramFolder(const std::string& folder);
const std::vector<std::string>& messages();

// The level host::showLevel was last given since the last reset; 0 when none.
int32_t shownLevel();

}  // namespace host::headless
