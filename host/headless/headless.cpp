// The headless backend: bitmaps and surfaces in memory, a window that is only a record of its
// title and set-up, a virtual clock and keys injected by the caller. Everything runs on the
// calling thread; only requestStop may come from elsewhere.
#include "host/headless/headless.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "host/common/pixel_bitmap.h"
#include "host/display_size.h"
#include "host/platform.h"
#include "host/window_host.h"

namespace host {

struct WindowObject {
  bool exists = false;
  std::string title;
  bool setUp = false;
  int32_t smallIconId = 0;
  uint32_t style = 0;
  int32_t x = 0;
  int32_t y = 0;
  int32_t outerWidth = 0;
  int32_t outerHeight = 0;
};

struct SurfaceObject {
  headless::Pixels* pixels = nullptr;
};

namespace {

// Style bits as the window is created and as the set-up after the first paint leaves them.
constexpr uint32_t kOverlappedWindowStyle = 0x00CF0000;
constexpr uint32_t kThickFrame = 0x00040000;
constexpr uint32_t kMinimizeBox = 0x00020000;
constexpr uint32_t kMaximizeBox = 0x00010000;

headless::Pixels blackPixels(int32_t width, int32_t height) {
  headless::Pixels pixels;
  pixels.width = std::max(width, 0);
  pixels.height = std::max(height, 0);
  pixels.data.assign(static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height), 0);
  return pixels;
}

struct State {
  int32_t screenWidth = headless::kDefaultScreenWidth;
  int32_t screenHeight = headless::kDefaultScreenHeight;
  headless::Pixels window;
  headless::Pixels backBuffer;
  // The window and the back buffer keep fixed addresses, so a handle an image copied before a
  // reset never points at freed memory; it simply names the window of the next start-up.
  WindowObject windowObject;
  SurfaceObject backBufferSurface{&backBuffer};
  std::atomic<uint64_t> clockMs{0};
  std::mutex keysMutex;
  std::multimap<uint64_t, uint8_t> scheduledKeys;  // equal times keep their scheduling order
  headless::KeyFeeder feeder;
  std::atomic<int64_t> keyWaits{0};
  std::atomic<bool> stopRequested{false};
  std::atomic<uint64_t> stopAtMs{UINT64_MAX};
  std::string programFolder;
  std::vector<std::string> messages;
  headless::JobRunner jobRunner;
  int32_t shownLevel = 0;
};

// Never destroyed: images still held when the process exits (by a game thread that was never
// stopped, or by an object kept beyond main) may still reach this backend at exit.
State& state() {
  static State* instance = new State;
  return *instance;
}

void blit(const BitmapObject& bitmap, headless::Pixels& target, int32_t x, int32_t y) {
  blitClipped(bitmap, target.data.data(), target.width, target.height, x, y);
}

void throwIfStopped() {
  const State& s = state();
  if (s.stopRequested.load(std::memory_order_acquire) || s.clockMs.load() >= s.stopAtMs.load()) {
    throw GameStopped{};
  }
}

}  // namespace

// --- Drawing ---------------------------------------------------------------------------------

int32_t drawBitmap(BitmapHandle bitmap, WindowHandle owner, SurfaceHandle mirror, int32_t x,
                   int32_t y) {
  if (!isLiveBitmap(bitmap)) return 0;
  State& s = state();
  int32_t result = 0;
  if (owner == &s.windowObject && s.windowObject.exists) {
    blit(*bitmap, s.window, x, y);
    result = 1;
  }
  // The mirror copy is made whatever became of the window copy, and is not reported.
  if (mirror == &s.backBufferSurface) blit(*bitmap, s.backBuffer, x, y);
  return result;
}

// --- Window host -----------------------------------------------------------------------------

void startWindowThread() {
  State& s = state();
  s.windowObject = WindowObject{};
  s.windowObject.exists = true;
  s.windowObject.title = kInitialTitle;
  s.windowObject.style = kOverlappedWindowStyle;
  s.backBuffer = blackPixels(s.screenWidth, s.screenHeight);
  s.window = blackPixels(kClientWidth, kClientHeight);
  reportWindowCreated(&s.windowObject, &s.backBufferSurface, s.backBuffer.width,
                      s.backBuffer.height);
  reportPainted();  // the window is painted at once
}

void finishWindowSetup() {
  WindowObject& window = state().windowObject;
  if (!window.exists) return;
  window.title = kGameTitle;
  window.smallIconId = kGameIconId;
  window.style &= ~(kThickFrame | kMinimizeBox);
  window.style &= ~(kThickFrame | kMaximizeBox);
  window.x = 0;
  window.y = 0;
  window.outerWidth = kWindowWidth;
  window.outerHeight = kWindowHeight;
  window.setUp = true;
}

// --- Start-up --------------------------------------------------------------------------------

std::string programFolder() {
  return state().programFolder;
}

// The simulator and the tests keep settings only in a folder they are given.
std::string settingsFolder() {
  return {};
}

// Kept for the tests; a problem also goes to standard error, where a simulator user sees it.
void showMessage(const char* text, bool problem) {
  state().messages.emplace_back(text);
  if (problem) std::fprintf(stderr, "%s\n", text);
}

// The headless window is read back pixel for pixel, always at the display's own size.
void setDisplayScale(int32_t /*factor*/) {}

void showLevel(int32_t level) {
  state().shownLevel = level;
}

// The whole screen is usable: the headless window has no frame and the screen no panels.
bool usableClientArea(int32_t* width, int32_t* height) {
  if (width == nullptr || height == nullptr) return false;
  *width = state().screenWidth;
  *height = state().screenHeight;
  return true;
}

// --- Time and keys ---------------------------------------------------------------------------

void sleepMs(uint32_t milliseconds) {
  throwIfStopped();
  State& s = state();
  const uint64_t now = s.clockMs.load() + milliseconds;
  if (now > s.stopAtMs.load()) {
    // Stopped in the middle of this pause.
    s.clockMs.store(s.stopAtMs.load());
    throw GameStopped{};
  }
  std::vector<uint8_t> due;
  {
    std::lock_guard lock(s.keysMutex);
    const auto end = s.scheduledKeys.upper_bound(now);
    for (auto it = s.scheduledKeys.begin(); it != end; ++it) due.push_back(it->second);
    s.scheduledKeys.erase(s.scheduledKeys.begin(), end);
  }
  s.clockMs.store(now);
  // In time order, so a later key replaces an earlier one not yet taken.
  for (uint8_t code : due) reportKeyDown(code);
}

void beginKeyWait() {
  State& s = state();
  s.keyWaits.fetch_add(1);
  headless::KeyFeeder feeder;
  {
    std::lock_guard lock(s.keysMutex);
    feeder = s.feeder;
  }
  if (feeder) {
    if (const std::optional<uint8_t> code = feeder()) reportKeyDown(*code);
  }
  throwIfStopped();
}

void keyPollPause() {
  sleepMs(1);
}

void keyStored() {}

// Like the desktop's: the game does such work itself, unless a test runs it.
bool runJobElsewhere(const std::vector<uint8_t>& job, std::vector<uint8_t>* answer) {
  const headless::JobRunner& runner = state().jobRunner;
  if (!runner || answer == nullptr) return false;
  std::optional<std::vector<uint8_t>> result = runner(job);
  if (!result) return false;
  *answer = std::move(*result);
  return true;
}

}  // namespace host

namespace host::headless {

void reset(int32_t screenWidth, int32_t screenHeight) {
  State& s = state();
  s.screenWidth = std::max(screenWidth, 0);
  s.screenHeight = std::max(screenHeight, 0);
  s.window = Pixels{};
  s.backBuffer = Pixels{};
  s.windowObject = WindowObject{};
  s.clockMs.store(0);
  {
    std::lock_guard lock(s.keysMutex);
    s.scheduledKeys.clear();
    s.feeder = nullptr;
  }
  s.keyWaits.store(0);
  s.programFolder.clear();
  s.messages.clear();
  s.jobRunner = nullptr;
  s.shownLevel = 0;
  s.stopRequested.store(false, std::memory_order_release);
  s.stopAtMs.store(UINT64_MAX);
  resetPromptWindow();
}

uint64_t clockMs() {
  return state().clockMs.load();
}

void setJobRunner(JobRunner runner) {
  state().jobRunner = std::move(runner);
}

const Pixels& window() {
  return state().window;
}
const Pixels& backBuffer() {
  return state().backBuffer;
}

bool windowCreated() {
  return state().windowObject.exists;
}

const char* windowTitle() {
  return state().windowObject.title.c_str();
}

bool windowSetUp() {
  return state().windowObject.setUp;
}

void injectKey(uint8_t code) {
  reportKeyDown(code);
}

void scheduleKey(uint64_t atMs, uint8_t code) {
  State& s = state();
  std::lock_guard lock(s.keysMutex);
  s.scheduledKeys.emplace(atMs, code);
}

void setKeyFeeder(KeyFeeder feeder) {
  State& s = state();
  std::lock_guard lock(s.keysMutex);
  s.feeder = std::move(feeder);
}

void requestStop() {
  state().stopRequested.store(true, std::memory_order_release);
}

void requestStopAt(uint64_t atMs) {
  state().stopAtMs.store(atMs);
}

int64_t liveBitmaps() {
  return liveBitmapCount();
}

int64_t keyWaits() {
  return state().keyWaits.load();
}

void setProgramFolder(const std::string& folder) {
  state().programFolder = folder;
}

const std::vector<std::string>& messages() {
  return state().messages;
}

int32_t shownLevel() {
  return state().shownLevel;
}

}  // namespace host::headless
