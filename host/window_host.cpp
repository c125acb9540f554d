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

void storeKeyCode(uint8_t code) {
  if (code == 0) return;  // 0 means an empty slot; no real key has it
  promptWindow.lastKeyCode.store(code, std::memory_order_release);
  keyStored();
}

}  // namespace host
