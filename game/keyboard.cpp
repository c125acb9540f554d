#include "game/keyboard.h"

#include <atomic>

#include "host/platform.h"
#include "host/window_host.h"

namespace brelvoxan {

Text readKeys(int32_t count) {
  Text result;
  if (count <= 0) return result;
  host::beginKeyWait();
  int32_t taken = 0;
  for (;;) {
    // Read and clear in one step, so a key stored during the take is never lost.
    const uint8_t code = host::promptWindow.lastKeyCode.exchange(0, std::memory_order_acq_rel);
    if (code != 0) {
      result = joinText(result, charText(code));
      if (++taken >= count) return result;
    }
    host::keyPollPause();
  }
}

uint8_t waitKey() {
  return firstCode(readKeys(1));
}

}  // namespace brelvoxan
