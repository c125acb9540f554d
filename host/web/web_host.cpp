// The browser backend of the platform seam. The game runs as the page's one program and yields
// to the page at every sleep and key wait (Asyncify); the page's event handlers take the window
// thread's part: a key-down goes into the key slot, and the canvas is repainted from the back
// buffer at most once per display frame.
//
// Everything here runs on the page's main thread, so nothing needs a lock: the event handlers run
// only while the game is suspended in a sleep, a key wait or a job. The computer's thinking is
// the one job the game hands over (runJobElsewhere): the page runs it in a worker and the game
// waits for the answer as in a sleep.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/common/pixel_bitmap.h"
#include "host/display_size.h"
#include "host/pause_cadence.h"
#include "host/platform.h"
#include "host/web/key_map.h"
#include "host/window_host.h"

// The page side of the backend, as JavaScript functions the C++ code calls.
// clang-format off
EM_JS(int, jsScreenSide, (int vertical), {
  const side = vertical ? screen.height : screen.width;
  return Number.isFinite(side) ? Math.floor(side) : 0;
});

EM_JS(void, jsPutCanvasPixels, (const uint8_t* rgba, int width, int height), {
  const canvas = document.getElementById("display");
  if (!canvas) return;
  if (!Module.displayContext) Module.displayContext = canvas.getContext("2d", {alpha: false});
  const bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
  Module.displayContext.putImageData(new ImageData(bytes, width, height), 0, 0);
});

// A message for the person: in the page under the display, and on the console.
EM_JS(void, jsShowMessage, (const char* text, bool problem), {
  const message = UTF8ToString(text);
  (problem ? console.warn : console.log)(message);
  if (Module.onMessage) Module.onMessage(message);
});

EM_JS(void, jsSetPageTitle, (const char* title), {
  document.title = UTF8ToString(title);
  if (Module.onWindowSetUp) Module.onWindowSetUp();
});

// Resolves at the next key or after the limit, whichever comes first.
EM_ASYNC_JS(void, jsWaitForKeyOrLimit, (int limitMs), {
  await new Promise(resolve => {
    const timer = setTimeout(wake, limitMs);
    function wake() {
      clearTimeout(timer);
      Module.wakeKeyWait = null;
      resolve();
    }
    Module.wakeKeyWait = wake;
  });
});

// Called from a key handler: the waiting game resumes once the handler has returned.
EM_JS(void, jsWakeKeyWait, (), {
  if (Module.wakeKeyWait) Module.wakeKeyWait();
});

// The page's level choice follows the level the title screen shows.
EM_JS(void, jsShowLevel, (int level), {
  if (Module.onLevel) Module.onLevel(level);
});

EM_JS(bool, jsTracing, (), {
  return Array.isArray(Module.brelvoxanTrace);
});

EM_JS(void, jsTraceEvent, (const char* kind, int value), {
  const trace = Module.brelvoxanTrace;
  if (trace.length >= 100000) return;
  trace.push({kind: UTF8ToString(kind), value: value, t: performance.now()});
});

EM_JS(void, jsPublishState, (bool waiting, bool pending, int waits, int sleeping, bool working), {
  Module.brelvoxanState = {waitingForKey: waiting, framePending: pending, keyWaits: waits,
                           sleepingMs: sleeping, working: working};
});

// The page's worker runs the job; resolves with the answer in memory from malloc (its size in
// *answerSize), or null when the page has no worker or the job failed there.
EM_ASYNC_JS(uint8_t*, jsRunJobElsewhere, (const uint8_t* job, int size, int* answerSize), {
  if (!Module.runJobElsewhere) return 0;
  const answer = await Module.runJobElsewhere(HEAPU8.slice(job, job + size));
  if (!answer) return 0;
  const at = _malloc(Math.max(1, answer.length));
  if (!at) return 0;
  HEAPU8.set(answer, at);
  HEAP32[answerSize >> 2] = answer.length;
  return at;
});
// clang-format on

namespace host {

// The back buffer; the page has no other drawing target.
struct SurfaceObject {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
};

// The canvas of the page, found by its element id.
struct WindowObject {
  const char* selector = nullptr;
};

namespace {

// A screen the browser reports larger than this on a side is not believed.
constexpr int32_t kLargestScreenSide = 8192;
// A waiting key pause looks at the slot again after this long even if no key came.
constexpr int kKeyPauseLimitMs = 1000;

// The backend's state: the window and its back buffer, the repaint, and what the game is doing
// now, for the page's taps and, published only when the page asked for a trace, for its test and
// benchmark.
struct State {
  WindowObject window{"#display"};
  SurfaceObject backBuffer;
  std::vector<uint8_t> canvasPixels;  // the client area as RGBA bytes for putImageData
  bool framePending = false;
  bool waitingForKey = false;
  int32_t keyWaits = 0;
  uint32_t sleepingMs = 0;
  bool working = false;  // a job is away in the page's worker
  // The page's timers fire late: by most of a millisecond on average, by several when the
  // machine is busy; the cadence keeps a run of pauses on pace.
  PauseCadence pauseCadence;
};

State& state() {
  static State instance;
  return instance;
}

void trace(const char* kind, int value = 0) {
  if (!jsTracing()) return;
  jsTraceEvent(kind, value);
  const State& s = state();
  jsPublishState(s.waitingForKey, s.framePending, s.keyWaits, static_cast<int>(s.sleepingMs),
                 s.working);
}

// The repaint: the client area of the back buffer onto the canvas, as every paint of the window
// does.
EM_BOOL paintFrame(double, void*) {
  State& s = state();
  const SurfaceObject& backBuffer = s.backBuffer;
  s.framePending = false;
  const int32_t width = std::min(kClientWidth, backBuffer.width);
  const int32_t height = std::min(kClientHeight, backBuffer.height);
  for (int32_t row = 0; row < height; ++row) {
    const uint32_t* from = backBuffer.pixels.data() + static_cast<size_t>(row) * backBuffer.width;
    uint8_t* to = s.canvasPixels.data() + static_cast<size_t>(row) * kClientWidth * 4;
    for (int32_t column = 0; column < width; ++column) {
      const uint32_t colour = from[column];
      to[0] = static_cast<uint8_t>(colour >> 16);
      to[1] = static_cast<uint8_t>(colour >> 8);
      to[2] = static_cast<uint8_t>(colour);
      to[3] = 0xFF;
      to += 4;
    }
  }
  jsPutCanvasPixels(s.canvasPixels.data(), kClientWidth, kClientHeight);
  trace("paint");
  reportPainted();
  return EM_FALSE;  // one frame only; the next draw asks again
}

void requestPaint() {
  State& s = state();
  if (s.framePending) return;
  s.framePending = true;
  emscripten_request_animation_frame(paintFrame, nullptr);
  trace("dirty");
}

EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
  const uint8_t code = web::virtualKeyCode(
      event->code, event->key, {event->altKey != 0, event->ctrlKey != 0, event->shiftKey != 0});
  if (code != 0) {
    state().waitingForKey = false;
    trace("key", code);
    reportKeyDown(code);
  }
  return web::keepFromPage(code, event->ctrlKey || event->metaKey) ? EM_TRUE : EM_FALSE;
}

}  // namespace

const char kPathSeparator = '/';

// --- Drawing -------------------------------------------------------------------------------

int32_t drawBitmap(BitmapHandle bitmap, WindowHandle owner, SurfaceHandle mirror, int32_t x,
                   int32_t y) {
  if (!isLiveBitmap(bitmap)) return 0;
  State& s = state();
  SurfaceObject& backBuffer = s.backBuffer;
  // The canvas shows only the back buffer, so a draw reaches the window when it goes into the
  // back buffer with the window as its owner. Without the window it stays in the back buffer
  // until the next repaint; without the back buffer it has nowhere to go.
  if (mirror == nullptr || mirror != &backBuffer) return 0;
  s.waitingForKey = false;
  blitClipped(*bitmap, backBuffer.pixels.data(), backBuffer.width, backBuffer.height, x, y);
  if (owner != &s.window) return 0;
  requestPaint();
  return 1;
}

// --- Window host ---------------------------------------------------------------------------

void startWindowThread() {
  State& s = state();
  SurfaceObject& backBuffer = s.backBuffer;
  // The back buffer is as large as the screen and starts black.
  const int32_t screenWidth = std::clamp(jsScreenSide(0), kClientWidth, kLargestScreenSide);
  const int32_t screenHeight = std::clamp(jsScreenSide(1), kClientHeight, kLargestScreenSide);
  backBuffer.pixels.assign(static_cast<size_t>(screenWidth) * static_cast<size_t>(screenHeight), 0);
  backBuffer.width = screenWidth;
  backBuffer.height = screenHeight;
  s.canvasPixels.assign(static_cast<size_t>(kClientWidth) * kClientHeight * 4, 0);
  if (emscripten_set_keydown_callback(s.window.selector, nullptr, EM_FALSE, onKeyDown) !=
      EMSCRIPTEN_RESULT_SUCCESS) {
    std::fprintf(stderr, "brelvoxan: the page has no display to take keys\n");
  }
  reportWindowCreated(&s.window, &backBuffer, screenWidth, screenHeight);
  requestPaint();  // the window's first paint
}

void finishWindowSetup() {
  jsSetPageTitle(kGameTitle);
}

// --- Start-up ------------------------------------------------------------------------------

// The page has no program folder and no file system: its glyphs are read from memory by their
// names below res/bmp (web_file.cpp).
std::string programFolder() {
  return {};
}

void showMessage(const char* text, bool problem) {
  if (text != nullptr) jsShowMessage(text, problem);
}

// The page fits the display to the screen itself (display.js); it has no command line that could
// ask for a scale.
void setDisplayScale(int32_t) {}

void showLevel(int32_t level) {
  jsShowLevel(level);
}

bool usableClientArea(int32_t*, int32_t*) {
  return false;
}

// --- Time and keys -------------------------------------------------------------------------

void sleepMs(uint32_t milliseconds) {
  State& s = state();
  s.sleepingMs = milliseconds;
  trace("sleep", static_cast<int>(milliseconds));
  const double now = emscripten_get_now();
  const double dueAt = s.pauseCadence.dueAt(now, milliseconds);
  emscripten_sleep(static_cast<uint32_t>(std::max(0.0, std::ceil(dueAt - now))));
  s.sleepingMs = 0;
  trace("woke", static_cast<int>(milliseconds));
}

void beginKeyWait() {
  State& s = state();
  s.waitingForKey = true;
  ++s.keyWaits;
  trace("keywait", s.keyWaits);
}

void keyPollPause() {
  // Yields to the page until a key comes instead of looking every millisecond, so a long wait
  // for a key costs nothing; the slot itself is still read by the key wait.
  jsWaitForKeyOrLimit(kKeyPauseLimitMs);
}

void keyStored() {
  jsWakeKeyWait();
}

bool runJobElsewhere(const std::vector<uint8_t>& job, std::vector<uint8_t>* answer) {
  if (answer == nullptr) return false;
  State& s = state();
  s.working = true;
  trace("job", static_cast<int>(job.size()));
  int answerSize = 0;
  uint8_t* bytes = jsRunJobElsewhere(job.data(), static_cast<int>(job.size()), &answerSize);
  s.working = false;
  trace("answer", bytes != nullptr ? answerSize : -1);
  if (bytes == nullptr) return false;
  answer->assign(bytes, bytes + std::max(answerSize, 0));
  std::free(bytes);
  return true;
}

}  // namespace host

// For the page's taps on the board: whether the game waits for a key with the canvas showing
// all it drew, and how many key waits it has begun (a new one means the last key was taken).
extern "C" {
EMSCRIPTEN_KEEPALIVE int brelvoxan_waiting_for_key() {
  const host::State& s = host::state();
  return s.waitingForKey && !s.framePending ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE int brelvoxan_key_waits() {
  return host::state().keyWaits;
}
}
