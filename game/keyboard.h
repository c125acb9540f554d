// The game's only way to read the keyboard: wait for keys taken from the one-key slot.
#pragma once

#include <cstdint>

#include "screen/text.h"

namespace brelvoxan {

// Waits until `count` keys have been taken and returns their codes in the order taken; the
// empty text at once for a count of 0 or less.
Text readKeys(int32_t count);
// One key's virtual-key code.
uint8_t waitKey();

}  // namespace brelvoxan
