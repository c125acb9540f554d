// Turns a browser key-down into the Windows virtual-key code that the game's key slot carries,
// the same codes the SDL backend gives. Pure and free of any browser header, so that it is tested
// natively.
#pragma once

#include <cstdint>
#include <string_view>

namespace host::web {

// The virtual-key code of a key-down from the event's `code` (the physical key, such as
// "Digit1" or "ArrowLeft") and `key` (what the layout makes of it, such as "a" or "End"), or 0
// for a key that never reaches the game (any key held with Alt, Alt itself, F10, keys without a
// code). Letters follow the layout's letter on the key and ignore Shift; the main-row digits,
// the keypad and the punctuation keys follow the physical key; the keypad gives digits when it
// types them (Num Lock on) and the cursor-block codes otherwise. Ctrl+Z gives kVkTakeBack
// (host/key_rules.h).
struct HeldKeys {
  bool alt = false;
  bool ctrl = false;
  bool shift = false;
};
uint8_t virtualKeyCode(std::string_view code, std::string_view key, HeldKeys held);

// Whether the page's own reaction to the key (scrolling, quick find, going back) must be kept
// from the page while the game has the keyboard. Shortcuts with Ctrl or Meta and the function
// keys stay the browser's, but for the game's own Ctrl+Z.
bool keepFromPage(uint8_t virtualKey, bool ctrlOrMetaHeld);

}  // namespace host::web
