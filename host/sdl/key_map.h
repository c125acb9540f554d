// Turns an SDL key-down into the Windows virtual-key code that the game's key slot carries.
// Pure, so that it can be tested without a display.
#pragma once

#include <SDL_keyboard.h>

#include <cstdint>

namespace host::sdl {

// The virtual-key code of a key-down, or 0 for a key that never reaches the game (any key held
// with Alt, Alt itself, F10, keys without a code). Letters follow the layout's letter on the key
// and ignore Shift; the main-row digits, the keypad and the punctuation keys follow the physical
// key; the keypad gives digits with Num Lock on and the cursor-block codes with it off. Ctrl+Z
// gives kVkTakeBack (host/key_rules.h).
uint8_t virtualKeyCode(SDL_Scancode scancode, SDL_Keycode symbol, uint16_t modifiers);

// Ctrl+Q, the desktop's quit shortcut: the layout's Q (the key in Q's place on a layout without
// Latin letters) with Ctrl held and Alt not (Ctrl+Alt is AltGr, which types characters).
bool isQuitShortcut(SDL_Scancode scancode, SDL_Keycode symbol, uint16_t modifiers);

}  // namespace host::sdl
