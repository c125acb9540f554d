// The SDL2 backend of the platform seam: bitmaps in memory, the window thread with its window,
// back buffer and event loop, and the game thread's sleeps and key pauses.
//
// Only the window thread calls SDL's video functions. The game thread draws into two pixel
// images guarded by one mutex: the window's picture (the 720 x 288 client area) and the
// screen-sized back buffer. The window thread shows the window's picture at most once per display
// frame, and repaints from the back buffer when the window is exposed.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "brelvoxan_icon.h"
#include "host/common/pixel_bitmap.h"
#include "host/display_size.h"
#include "host/message_layout.h"
#include "host/platform.h"
#include "host/sdl/key_map.h"
#include "host/trace.h"
#include "host/window_host.h"

namespace host {

// A drawing target: the window's picture or the back buffer.
struct SurfaceObject {
  struct Free {
    void operator()(uint32_t* p) const { std::free(p); }
  };
  int32_t width = 0;
  int32_t height = 0;
  // Black from calloc: the system's zero pages, so the parts of a screen-sized back buffer that
  // are never drawn on cost neither start-up time nor resident memory.
  std::unique_ptr<uint32_t[], Free> pixels;

  bool allocate(int32_t w, int32_t h) {
    pixels.reset(static_cast<uint32_t*>(
        std::calloc(static_cast<size_t>(w) * static_cast<size_t>(h), sizeof(uint32_t))));
    width = pixels ? w : 0;
    height = pixels ? h : 0;
    return pixels != nullptr;
  }
};

struct WindowObject {
  SDL_Window* window = nullptr;
};

#ifdef BRELVOXAN_TRACE
// The steady clock is the system's monotonic clock, which the benchmark reads too.
int64_t traceMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
#endif

namespace {

using Clock = std::chrono::steady_clock;

// At most one present per 60 Hz frame; a burst of draws is shown once it has been quiet this
// long, so a key's few draws reach the screen together without waiting for a whole frame.
constexpr auto kFramePeriod = std::chrono::microseconds(16'667);
constexpr auto kQuietPeriod = std::chrono::microseconds(1'000);
// A waiting key pause looks at the slot again after this long even if no wake-up came.
constexpr auto kKeyPauseLimit = std::chrono::milliseconds(50);

// Shared between the drawing game thread and the presenting window thread.
struct Display {
  std::mutex mutex;
  SurfaceObject windowPicture;
  SurfaceObject backBuffer;
  bool dirty = false;
  Clock::time_point firstDirtyAt;
  Clock::time_point lastDrawAt;
  // The window's picture enlarged by the display scale, when that is more than 1.
  std::vector<uint32_t> scaledPicture;
};

// Everything this backend keeps.
struct State {
  Display display;
  WindowObject window;
  // Window pixels per display pixel in each direction; set before the window thread starts.
  int32_t displayScale = 1;
  std::atomic<uint32_t> redrawEventType{0};
  std::atomic<uint32_t> setupEventType{0};
  // The set-up after the first paint runs on the window thread while the game thread waits.
  std::mutex setupMutex;
  std::condition_variable setupDone;
  bool setupFinished = false;
  // Wakes a waiting key pause when a key is stored.
  std::mutex keyMutex;
  std::condition_variable keyArrived;
  bool keyPending = false;
};

// Never destroyed: the detached window thread may still use it while the process ends.
State& state() {
  static auto* instance = new State;
  return *instance;
}

void blit(const BitmapObject& bitmap, SurfaceObject& target, int32_t x, int32_t y) {
  blitClipped(bitmap, target.pixels.get(), target.width, target.height, x, y);
}

[[noreturn]] void failWindow(const char* reason) {
  std::fprintf(stderr, "brelvoxan: cannot open a window: %s\n", reason);
  std::_Exit(1);
}

[[noreturn]] void failWindow() {
  failWindow(SDL_GetError());
}

[[noreturn]] void endProcess() {
  trace("close");
  std::_Exit(0);
}

// Nearest neighbour: every pixel of `picture` becomes factor x factor pixels of `out`.
void enlarge(const SurfaceObject& picture, int32_t factor, std::vector<uint32_t>& out) {
  const auto width = static_cast<size_t>(picture.width) * factor;
  out.resize(width * static_cast<size_t>(picture.height) * factor);
  for (int32_t row = 0; row < picture.height; ++row) {
    const uint32_t* from = picture.pixels.get() + static_cast<size_t>(row) * picture.width;
    uint32_t* to = out.data() + static_cast<size_t>(row) * factor * width;
    for (int32_t x = 0; x < picture.width; ++x) std::fill_n(to + x * factor, factor, from[x]);
    for (int32_t copy = 1; copy < factor; ++copy) std::copy_n(to, width, to + copy * width);
  }
}

// Copies the window's picture onto the window; with fromBackBuffer it first takes the picture
// from the back buffer, as every repaint of an exposed window does.
void present(bool fromBackBuffer) {
  Display& display = state().display;
  WindowObject& theWindow = state().window;
  SDL_Surface* surface = SDL_GetWindowSurface(theWindow.window);
  if (surface == nullptr) return;
  {
    std::lock_guard lock(display.mutex);
    SurfaceObject& picture = display.windowPicture;
    if (fromBackBuffer) {
      const SurfaceObject& back = display.backBuffer;
      const int32_t width = std::min(picture.width, back.width);
      for (int32_t row = 0; row < std::min(picture.height, back.height); ++row) {
        std::copy_n(back.pixels.get() + static_cast<size_t>(row) * back.width, width,
                    picture.pixels.get() + static_cast<size_t>(row) * picture.width);
      }
    }
    const uint32_t* shown = picture.pixels.get();
    const int32_t scale = state().displayScale;
    const int32_t shownWidth = picture.width * scale;
    const int32_t shownHeight = picture.height * scale;
    if (scale > 1) {
      enlarge(picture, scale, display.scaledPicture);
      shown = display.scaledPicture.data();
    }
    const bool mustLock = SDL_MUSTLOCK(surface);
    if (!mustLock || SDL_LockSurface(surface) == 0) {
      SDL_ConvertPixels(std::min(surface->w, shownWidth), std::min(surface->h, shownHeight),
                        SDL_PIXELFORMAT_RGB888, shown, shownWidth * 4, surface->format->format,
                        surface->pixels, surface->pitch);
      if (mustLock) SDL_UnlockSurface(surface);
    }
    display.dirty = false;
  }
  SDL_UpdateWindowSurface(theWindow.window);
  trace("present");
  reportPainted();
}

// The game's icon, made at build time from the same picture as the desktop and Windows icons.
SDL_Surface* makeIcon() {
  using brelvoxan::icon::kWindowIconPixels;
  using brelvoxan::icon::kWindowIconSize;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, kWindowIconSize, kWindowIconSize, 32,
                                                     SDL_PIXELFORMAT_ARGB8888);
  if (icon == nullptr) return nullptr;
  for (int y = 0; y < kWindowIconSize; ++y) {
    std::copy_n(kWindowIconPixels + y * kWindowIconSize, kWindowIconSize,
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(icon->pixels) + y * icon->pitch));
  }
  return icon;
}

void finishSetupOnWindowThread() {
  State& s = state();
  SDL_Window* window = s.window.window;
  trace("setup-begin");
  SDL_SetWindowTitle(window, kGameTitle);
  if (SDL_Surface* icon = makeIcon()) {
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
  }
  SDL_SetWindowResizable(window, SDL_FALSE);
  const int32_t scale = state().displayScale;
  SDL_SetWindowSize(window, kClientWidth * scale, kClientHeight * scale);
  SDL_SetWindowPosition(window, 0, 0);
  trace("setup");
  {
    std::lock_guard lock(s.setupMutex);
    s.setupFinished = true;
  }
  s.setupDone.notify_all();
}

void handleEvent(const SDL_Event& event) {
  if (event.type == SDL_QUIT) endProcess();
  if (event.type == SDL_WINDOWEVENT) {
    switch (event.window.event) {
      case SDL_WINDOWEVENT_CLOSE:
        endProcess();
      case SDL_WINDOWEVENT_SHOWN:
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_RESTORED:
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        present(true);
        break;
      default:
        break;
    }
    return;
  }
  if (event.type == SDL_KEYDOWN) {
    const SDL_Keysym& key = event.key.keysym;
    // Ctrl+Q ends the game as closing the window does; its Q never reaches the key slot.
    if (sdl::isQuitShortcut(key.scancode, key.sym, key.mod)) endProcess();
    const uint8_t code = sdl::virtualKeyCode(key.scancode, key.sym, key.mod);
    if (code != 0) {
      trace("key", code);
      reportKeyDown(code);
    }
    return;
  }
  if (event.type == state().setupEventType.load()) finishSetupOnWindowThread();
  // The redraw event only wakes the loop; presenting follows below it.
}

// When the dirty window picture is due to be shown, or nothing when it is clean.
std::optional<Clock::time_point> presentDeadline(Clock::time_point lastPresentAt) {
  Display& display = state().display;
  std::lock_guard lock(display.mutex);
  if (!display.dirty) return std::nullopt;
  const auto quietAt =
      std::min(display.lastDrawAt + kQuietPeriod, display.firstDirtyAt + kFramePeriod);
  return std::max(quietAt, lastPresentAt + kFramePeriod);
}

bool named(const char* variable) {
  return variable != nullptr && variable[0] != '\0';
}

// Chooses the video driver and starts SDL's video once, on whichever thread asks first: the
// game thread for usableClientArea before the window thread exists, or the window thread.
void initVideo() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Plain software framebuffer: a window of this size needs no GL stack.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Signals keep their usual meaning; closing the window is the only way the game ends itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A board game has no reason to keep the screen saver away.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // Without a Wayland display SDL would still try Wayland after X, and the Wayland library
    // prints a line of its own to standard error; with no display named at all nothing is tried.
    if (std::getenv("SDL_VIDEODRIVER") == nullptr && !named(std::getenv("WAYLAND_DISPLAY"))) {
      if (!named(std::getenv("DISPLAY"))) {
        failWindow("no display to show it on (DISPLAY is not set)");
      }
      SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) failWindow();
    // Without a display SDL falls back to drivers that draw nowhere; a game nobody can see would
    // wait for keys forever.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || SDL_strcmp(driver, "offscreen") == 0 ||
        SDL_strcmp(driver, "dummy") == 0) {
      failWindow("no display to show it on");
    }
  });
}

void createWindow() {
  State& s = state();
  Display& display = s.display;
  WindowObject& theWindow = s.window;
  initVideo();

  const uint32_t firstType = SDL_RegisterEvents(2);
  if (firstType == static_cast<uint32_t>(-1)) failWindow();
  s.redrawEventType.store(firstType);
  s.setupEventType.store(firstType + 1);

  // The back buffer is as large as the primary screen and starts black.
  SDL_DisplayMode mode{};
  int32_t screenWidth = kClientWidth;
  int32_t screenHeight = kClientHeight;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    screenWidth = std::max(mode.w, kClientWidth);
    screenHeight = std::max(mode.h, kClientHeight);
  }
  {
    std::lock_guard lock(display.mutex);
    if (!display.backBuffer.allocate(screenWidth, screenHeight) ||
        !display.windowPicture.allocate(kClientWidth, kClientHeight)) {
      failWindow("no memory for the back buffer");
    }
  }

  theWindow.window =
      SDL_CreateWindow(kInitialTitle, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                       kClientWidth * s.displayScale, kClientHeight * s.displayScale, 0);
  if (theWindow.window == nullptr) failWindow();
  // Key-downs are all the game reads; composing text would only cost time.
  SDL_StopTextInput();
  reportWindowCreated(&theWindow, &display.backBuffer, screenWidth, screenHeight);
  trace("window");
}

void windowThreadMain() {
  createWindow();
  present(true);
  // Repaints from the back buffer do not count against the frame budget of the game's drawing,
  // so the title screen is not held back by the first paint of the empty window.
  Clock::time_point lastPresentAt{};
  for (;;) {
    SDL_Event event;
    const auto deadline = presentDeadline(lastPresentAt);
    int got = 0;
    if (!deadline) {
      got = SDL_WaitEvent(&event);
    } else {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
      got = wait.count() <= 0 ? SDL_PollEvent(&event)
                              : SDL_WaitEventTimeout(&event, static_cast<int>(wait.count()));
    }
    if (got != 0) {
      handleEvent(event);
      while (SDL_PollEvent(&event) != 0) handleEvent(event);
    }
    const auto due = presentDeadline(lastPresentAt);
    if (due && Clock::now() >= *due) {
      present(false);
      lastPresentAt = Clock::now();
    }
  }
}

}  // namespace

// --- Drawing -------------------------------------------------------------------------------

int32_t drawBitmap(BitmapHandle bitmap, WindowHandle owner, SurfaceHandle mirror, int32_t x,
                   int32_t y) {
  if (!isLiveBitmap(bitmap)) return 0;
  Display& display = state().display;
  const bool ontoWindow = owner != nullptr && owner == &state().window;
  const bool intoBackBuffer = mirror != nullptr && mirror == &display.backBuffer;
  if (!ontoWindow && !intoBackBuffer) return 0;
  bool wake = false;
  {
    std::lock_guard lock(display.mutex);
    if (ontoWindow) {
      blit(*bitmap, display.windowPicture, x, y);
      const auto now = Clock::now();
      if (!display.dirty) {
        display.dirty = true;
        display.firstDirtyAt = now;
        wake = true;
      }
      display.lastDrawAt = now;
    }
    if (intoBackBuffer) blit(*bitmap, display.backBuffer, x, y);
  }
  if (wake) {
    SDL_Event event{};
    event.type = state().redrawEventType.load();
    SDL_PushEvent(&event);
  }
  return ontoWindow ? 1 : 0;
}

// --- Window host ---------------------------------------------------------------------------

void startWindowThread() {
  std::thread(windowThreadMain).detach();
}

void finishWindowSetup() {
  State& s = state();
  {
    std::lock_guard lock(s.setupMutex);
    s.setupFinished = false;
  }
  SDL_Event event{};
  event.type = s.setupEventType.load();
  while (SDL_PushEvent(&event) < 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::unique_lock lock(s.setupMutex);
  s.setupDone.wait(lock, [&s] { return s.setupFinished; });
}

// --- Start-up ----------------------------------------------------------------------------------

std::string programFolder() {
  std::string folder;
  if (char* path = SDL_GetBasePath()) {
    folder = path;
    SDL_free(path);
  }
  while (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
  return folder;
}

// The XDG base directory rule: $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::string settingsFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/brelvoxan";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.config/brelvoxan";
  return {};
}

void showMessage(const char* text, bool problem) {
  std::FILE* stream = problem ? stderr : stdout;
  const std::string shown = layOutMessage(text, MessageLayout::kConsole);
  std::fputs(shown.c_str(), stream);
  if (shown.empty() || shown.back() != '\n') std::fputc('\n', stream);
  std::fflush(stream);
}

// The desktop's work area; the window manager's frame is not known before the window exists.
bool usableClientArea(int32_t* width, int32_t* height) {
  if (width == nullptr || height == nullptr) return false;
  initVideo();
  SDL_Rect area{};
  if (SDL_GetDisplayUsableBounds(0, &area) != 0 || area.w <= 0 || area.h <= 0) return false;
  *width = area.w;
  *height = area.h;
  return true;
}

void setDisplayScale(int32_t factor) {
  state().displayScale = factor;  // 1..4: the command line allows no other (game/options.cpp)
}

// --- Time and keys -------------------------------------------------------------------------

// The window shows nothing but the display.
void showLevel(int32_t /*level*/) {}

void sleepMs(uint32_t milliseconds) {
  trace("sleep", milliseconds);
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  trace("woke", milliseconds);
}

void beginKeyWait() {
  trace("keywait");
}

void keyPollPause() {
  // Blocks until a key is stored instead of looking every millisecond, so a long wait for a key
  // costs next to nothing; the slot itself is still read by the key wait.
  State& s = state();
  std::unique_lock lock(s.keyMutex);
  s.keyArrived.wait_for(lock, kKeyPauseLimit, [&s] { return s.keyPending; });
  s.keyPending = false;
}

void keyStored() {
  State& s = state();
  {
    std::lock_guard lock(s.keyMutex);
    s.keyPending = true;
  }
  s.keyArrived.notify_one();
}

// The game thread is not the window's: the game does such work itself.
bool runJobElsewhere(const std::vector<uint8_t>&, std::vector<uint8_t>*) {
  return false;
}

}  // namespace host
