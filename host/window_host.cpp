#include "host/window_host.h"

namespace host {

PromptWindow promptWindow;

void startPromptWindow() {
  promptWindow.firstPaintDone.store(0);
  startWindowThread();
  // The first look comes only after the first pause.
  do {
    sleepMs(kFirstPaintPollMs);
  } while (promptWindow.firstPaintDone.load(std::memory_order_acquire) == 0);
  finishWindowSetup();
}

void reportWindowCreated(WindowHandle window, SurfaceHandle backBuffer, int32_t backBufferWidth,
                         int32_t backBufferHeight) {
  promptWindow.backBufferWidth = backBufferWidth;
  promptWindow.backBufferHeight = backBufferHeight;
  promptWindow.backBufferDc = backBuffer;
  promptWindow.windowHandle.store(window, std::memory_order_release);
}

void reportPainted() {
  // Release: the fields reported before the paint are seen by whoever sees the flag.
  promptWindow.firstPaintDone.store(1, std::memory_order_release);
}

void reportKeyDown(uint8_t code) {
  if (code == 0) return;  // 0 means an empty slot; no real key has it
  promptWindow.lastKeyCode.store(code, std::memory_order_release);
  keyStored();
}

void resetPromptWindow() {
  promptWindow.windowHandle.store(nullptr);
  promptWindow.firstPaintDone.store(0);
  promptWindow.backBufferWidth = 0;
  promptWindow.backBufferHeight = 0;
  promptWindow.backBufferDc = nullptr;
  promptWindow.lastKeyCode.store(0);
}

}  // namespace host
