// The window host's shared fields, start-up and the calls through which a backend reports to it.
// Only this host writes the fields: a backend reports the window, each paint and each key with
// the report calls below and never touches promptWindow itself. The window and back buffer are
// reported before the first paint and read by the game thread only after it has seen the paint.
#pragma once

#include <atomic>
#include <cstdint>

#include "host/display_size.h"
#include "host/platform.h"

namespace host {

struct PromptWindow {
  std::atomic<WindowHandle> windowHandle{nullptr};
  std::atomic<int32_t> firstPaintDone{0};
  int32_t backBufferWidth = 0;
  int32_t backBufferHeight = 0;
  SurfaceHandle backBufferDc = nullptr;
  std::atomic<uint8_t> lastKeyCode{0};  // the key slot; 0 when empty
};

// The one piece of process-wide state in the core: the window thread writes it and the game
// thread reads it, so it cannot be handed down like the game and the character screen.
extern PromptWindow promptWindow;

inline constexpr const char* kWindowClassName = "ROZOVU";
inline constexpr const char* kInitialTitle = "BASIC ROZOVU";
inline constexpr const char* kGameTitle = "Brelvoxan OrvanelTaste";
inline constexpr int32_t kGameIconId = 102;
// The outer size, frame and title bar included, of the headless backend's model window. The
// Win32 window takes whatever outer size its frame needs around a client area of exactly the
// display's size.
inline constexpr int32_t kWindowWidth = kClientWidth;
inline constexpr int32_t kWindowHeight = kClientHeight + 36;
inline constexpr uint32_t kFirstPaintPollMs = 20;

// Game thread, once: starts the window thread, waits in 20 ms looks for the first paint, then
// finishes the window's set-up.
void startPromptWindow();

// --- Reports from the backend (window thread) ---------------------------------------------

// The window exists, with its back buffer of backBufferWidth x backBufferHeight pixels. Made
// once per start-up, before the first reportPainted.
void reportWindowCreated(WindowHandle window, SurfaceHandle backBuffer, int32_t backBufferWidth,
                         int32_t backBufferHeight);

// A paint of the window has ended; the first one releases the game thread's start-up wait.
void reportPainted();

// A key-down's virtual-key code (host/key_codes.h) goes into the key slot, where a newer key
// replaces one not yet taken, and the key wait is woken. Code 0 is ignored.
void reportKeyDown(uint8_t code);

// Back to the state before start-up: no window, no paint, empty key slot. For a backend that
// starts the game more than once in one process (tests, the simulator).
void resetPromptWindow();

}  // namespace host
