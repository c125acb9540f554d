// The window host's shared fields and start-up. The fields are written by the window thread
// before it sets firstPaintDone and read by the game thread only after it has seen it.
#pragma once

#include <atomic>
#include <cstdint>

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

extern PromptWindow promptWindow;

inline constexpr const char* kWindowClassName = "ROZOVU";
inline constexpr const char* kInitialTitle = "BASIC ROZOVU";
inline constexpr const char* kGameTitle = "Brelvoxan OrvanelTaste";
inline constexpr int32_t kGameIconId = 102;
inline constexpr int32_t kWindowWidth = 720;
inline constexpr int32_t kWindowHeight = 324;
inline constexpr uint32_t kFirstPaintPollMs = 20;

// Game thread, once: starts the window thread, waits in 20 ms looks for the first paint, then
// finishes the window's set-up.
void startPromptWindow();

// Window thread: drops a key-down's virtual-key code into the key slot (a newer key replaces
// one not yet taken) and wakes the key wait.
void storeKeyCode(uint8_t code);

}  // namespace host
