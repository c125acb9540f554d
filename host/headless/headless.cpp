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
#include <unordered_set>
#include <utility>

#include "host/platform.h"
#include "host/window_host.h"

namespace host {

struct BitmapObject {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
};

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
  State() : screen(blackPixels(headless::kDefaultScreenWidth, headless::kDefaultScreenHeight)) {}

  headless::Pixels screen;
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
};

// Never destroyed: images that outlive main (the glyph table is a global) still delete their
// bitmaps through this backend at exit.
State& state() {
  static State* instance = new State;
  return *instance;
}

// Every bitmap made and not yet deleted; lets bitmapSize and drawBitmap refuse stale handles.
std::mutex& bitmapsMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}
std::unordered_set<BitmapObject*>& liveBitmapSet() {
  static auto* bitmaps = new std::unordered_set<BitmapObject*>;
  return *bitmaps;
}

bool isLiveBitmap(BitmapObject* bitmap) {
  std::lock_guard lock(bitmapsMutex());
  return liveBitmapSet().count(bitmap) != 0;
}

// Copies the bitmap one to one with its top-left corner at (x, y), clipped to the target.
void blit(const BitmapObject& bitmap, headless::Pixels& target, int32_t x, int32_t y) {
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + bitmap.width, target.width);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + bitmap.height, target.height);
  if (left >= right || top >= bottom) return;
  const auto span = static_cast<size_t>(right - left);
  for (int64_t row = top; row < bottom; ++row) {
    const auto source = static_cast<size_t>((row - y) * bitmap.width + (left - x));
    const auto destination = static_cast<size_t>(row * target.width + left);
    std::copy_n(bitmap.pixels.begin() + static_cast<ptrdiff_t>(source), span,
                target.data.begin() + static_cast<ptrdiff_t>(destination));
  }
}

void throwIfStopped() {
  const State& s = state();
  if (s.stopRequested.load(std::memory_order_acquire) || s.clockMs.load() >= s.stopAtMs.load()) {
    throw GameStopped{};
  }
}

}  // namespace

// --- Bitmaps ---------------------------------------------------------------------------------

BitmapHandle createBitmap(int32_t width, int32_t height, const uint32_t* pixels) {
  if (width <= 0 || height <= 0) return nullptr;
  auto* bitmap = new BitmapObject;
  bitmap->width = width;
  bitmap->height = height;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (pixels != nullptr) {
    bitmap->pixels.assign(pixels, pixels + count);
  } else {
    bitmap->pixels.assign(count, 0);
  }
  std::lock_guard lock(bitmapsMutex());
  liveBitmapSet().insert(bitmap);
  return bitmap;
}

bool bitmapSize(BitmapHandle bitmap, int32_t* width, int32_t* height) {
  if (bitmap == nullptr || !isLiveBitmap(bitmap)) return false;
  if (width != nullptr) *width = bitmap->width;
  if (height != nullptr) *height = bitmap->height;
  return true;
}

void deleteBitmap(BitmapHandle bitmap) {
  if (bitmap == nullptr) return;
  {
    std::lock_guard lock(bitmapsMutex());
    // A handle that is not live is refused, as the platform refuses a stale one.
    if (liveBitmapSet().erase(bitmap) == 0) return;
  }
  delete bitmap;
}

// --- Drawing ---------------------------------------------------------------------------------

int32_t drawBitmap(BitmapHandle bitmap, WindowHandle owner, SurfaceHandle mirror, int32_t x,
                   int32_t y) {
  if (bitmap == nullptr || !isLiveBitmap(bitmap)) return 0;
  State& s = state();
  int32_t result = 0;
  if (owner == nullptr) {
    blit(*bitmap, s.screen, x, y);
    result = 1;
  } else if (owner == &s.windowObject && s.windowObject.exists) {
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
  s.backBuffer = blackPixels(s.screen.width, s.screen.height);
  s.window = blackPixels(headless::kClientWidth, headless::kClientHeight);
  promptWindow.backBufferWidth = s.backBuffer.width;
  promptWindow.backBufferHeight = s.backBuffer.height;
  promptWindow.backBufferDc = &s.backBufferSurface;
  promptWindow.windowHandle.store(&s.windowObject, std::memory_order_release);
  // The window is painted at once; the flag is set last so the fields above are seen with it.
  promptWindow.firstPaintDone.store(1, std::memory_order_release);
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

// Kept for the tests; a problem also goes to standard error, where a simulator user sees it.
void showMessage(const char* text, bool problem) {
  state().messages.emplace_back(text);
  if (problem) std::fprintf(stderr, "%s\n", text);
}

// The headless window is read back pixel for pixel, always at the display's own size.
void setDisplayScale(int32_t /*factor*/) {}

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
  for (uint8_t code : due) storeKeyCode(code);
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
    if (const std::optional<uint8_t> code = feeder()) storeKeyCode(*code);
  }
  throwIfStopped();
}

void keyPollPause() {
  sleepMs(1);
}

void keyStored() {}

}  // namespace host

namespace host::headless {

void reset(int32_t screenWidth, int32_t screenHeight) {
  State& s = state();
  s.screen = blackPixels(screenWidth, screenHeight);
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
  s.stopRequested.store(false, std::memory_order_release);
  s.stopAtMs.store(UINT64_MAX);
  promptWindow.windowHandle.store(nullptr);
  promptWindow.firstPaintDone.store(0);
  promptWindow.backBufferWidth = 0;
  promptWindow.backBufferHeight = 0;
  promptWindow.backBufferDc = nullptr;
  promptWindow.lastKeyCode.store(0);
}

uint64_t clockMs() {
  return state().clockMs.load();
}

const Pixels& screen() {
  return state().screen;
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
  storeKeyCode(code);
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
  std::lock_guard lock(bitmapsMutex());
  return static_cast<int64_t>(liveBitmapSet().size());
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

}  // namespace host::headless
