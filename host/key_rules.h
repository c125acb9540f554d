// The key rules the key maps (SDL, page, and Windows where it applies) follow, whatever their
// platform calls the keys: which keys never reach the game, what the main-row digits, the
// letters and the function keys give, what the keypad's digit keys give with and without Num
// Lock, and the one shortcut that reaches the game as a code of its own.
#pragma once

#include <cstdint>

#include "host/key_codes.h"

namespace host::keys {

// Alt combinations (and Alt itself) are system keys on Windows and never reach a window's
// key-down handler; the key maps give 0 for them.
inline constexpr bool reachesGame(bool altHeld) {
  return !altHeld;
}

// Main-row digit 0..9, by position: the top row gives the digit codes on every layout.
inline constexpr uint8_t digitKey(int digit) {
  return static_cast<uint8_t>(kVk0 + digit);
}

// Letter 0..25 (A..Z), never its case.
inline constexpr uint8_t letterKey(int letter) {
  return static_cast<uint8_t>(kVkA + letter);
}

// Ctrl+Z, the desktops' shortcut for undoing, takes back a move: the Z key (as the letter rule
// finds it) held with Ctrl gives kVkTakeBack instead of Z. Ctrl, pressed first, reaches the
// game as a key of its own. Not with Shift too (Ctrl+Shift+Z is the shortcut for redoing) nor
// with Alt (Ctrl with Alt is AltGr, which types characters).
inline constexpr uint8_t withModifiers(uint8_t vk, bool ctrlHeld, bool shiftHeld, bool altHeld) {
  return vk == kVkZ && ctrlHeld && !shiftHeld && !altHeld ? kVkTakeBack : vk;
}

// Function key F1..F24 by its number; 0 for F10, which Windows keeps as a system key too.
inline constexpr uint8_t functionKey(int number) {
  const auto vk = static_cast<uint8_t>(kVkF1 + number - 1);
  return vk == kVkF10 ? 0 : vk;
}

// The keypad's digit keys 0..9 and its point (kKeypadPoint): the digit codes when the key types
// (Num Lock on), the cursor block otherwise.
inline constexpr int kKeypadPoint = 10;
inline constexpr uint8_t kKeypadCursorBlock[] = {kVkInsert, kVkEnd,   kVkDown,  kVkNext,
                                                 kVkLeft,   kVkClear, kVkRight, kVkHome,
                                                 kVkUp,     kVkPrior, kVkDelete};
inline constexpr uint8_t keypadKey(int index, bool types) {
  if (!types) return kKeypadCursorBlock[index];
  return index == kKeypadPoint ? kVkDecimal : static_cast<uint8_t>(kVkNumpad0 + index);
}

}  // namespace host::keys
