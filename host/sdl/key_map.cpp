#include "host/sdl/key_map.h"

#include "host/key_codes.h"

namespace host::sdl {

namespace {

uint8_t code(int value) {
  return static_cast<uint8_t>(value);
}

// The keypad's digit keys with Num Lock off act as the cursor block.
uint8_t keypadWithoutNumLock(SDL_Scancode scancode) {
  switch (scancode) {
    case SDL_SCANCODE_KP_0:
      return kVkInsert;
    case SDL_SCANCODE_KP_1:
      return kVkEnd;
    case SDL_SCANCODE_KP_2:
      return kVkDown;
    case SDL_SCANCODE_KP_3:
      return kVkNext;
    case SDL_SCANCODE_KP_4:
      return kVkLeft;
    case SDL_SCANCODE_KP_5:
      return kVkClear;
    case SDL_SCANCODE_KP_6:
      return kVkRight;
    case SDL_SCANCODE_KP_7:
      return kVkHome;
    case SDL_SCANCODE_KP_8:
      return kVkUp;
    case SDL_SCANCODE_KP_9:
      return kVkPrior;
    default:
      return kVkDelete;  // the keypad's decimal point
  }
}

}  // namespace

uint8_t virtualKeyCode(SDL_Scancode scancode, SDL_Keycode symbol, uint16_t modifiers) {
  // Alt combinations and F10 are system keys on Windows and never reach a window's
  // key-down handler.
  if ((modifiers & KMOD_ALT) != 0) return 0;

  // Main-row digits by position: the top row gives the digit codes on every layout.
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    return code(kVk1 + (scancode - SDL_SCANCODE_1));
  }
  if (scancode == SDL_SCANCODE_0) return kVk0;

  // Keypad digits and point depend on Num Lock.
  if ((scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0) ||
      scancode == SDL_SCANCODE_KP_PERIOD) {
    if ((modifiers & KMOD_NUM) == 0) return keypadWithoutNumLock(scancode);
    if (scancode == SDL_SCANCODE_KP_PERIOD) return kVkDecimal;
    if (scancode == SDL_SCANCODE_KP_0) return kVkNumpad0;
    return code(kVkNumpad0 + 1 + (scancode - SDL_SCANCODE_KP_1));
  }

  // Letters follow the layout (the letter printed on the key), never the case.
  if (symbol >= SDLK_a && symbol <= SDLK_z) return code(kVkA + (symbol - SDLK_a));
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return code(kVkA + (scancode - SDL_SCANCODE_A));  // a layout without Latin letters
  }

  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
    const uint8_t vk = code(kVkF1 + (scancode - SDL_SCANCODE_F1));
    return vk == kVkF10 ? 0 : vk;
  }
  if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) {
    return code(kVkF13 + (scancode - SDL_SCANCODE_F13));
  }

  switch (scancode) {
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_RETURN2:
    case SDL_SCANCODE_KP_ENTER:
      return kVkReturn;
    case SDL_SCANCODE_ESCAPE:
      return kVkEscape;
    case SDL_SCANCODE_BACKSPACE:
      return kVkBack;
    case SDL_SCANCODE_TAB:
      return kVkTab;
    case SDL_SCANCODE_SPACE:
      return kVkSpace;
    case SDL_SCANCODE_LEFT:
      return kVkLeft;
    case SDL_SCANCODE_UP:
      return kVkUp;
    case SDL_SCANCODE_RIGHT:
      return kVkRight;
    case SDL_SCANCODE_DOWN:
      return kVkDown;
    case SDL_SCANCODE_PAGEUP:
      return kVkPrior;
    case SDL_SCANCODE_PAGEDOWN:
      return kVkNext;
    case SDL_SCANCODE_HOME:
      return kVkHome;
    case SDL_SCANCODE_END:
      return kVkEnd;
    case SDL_SCANCODE_INSERT:
      return kVkInsert;
    case SDL_SCANCODE_DELETE:
      return kVkDelete;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
      return kVkShift;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
      return kVkControl;
    case SDL_SCANCODE_CAPSLOCK:
      return kVkCapital;
    case SDL_SCANCODE_PAUSE:
      return kVkPause;
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return kVkNumLock;
    case SDL_SCANCODE_SCROLLLOCK:
      return kVkScroll;
    case SDL_SCANCODE_LGUI:
      return kVkLeftWin;
    case SDL_SCANCODE_RGUI:
      return kVkRightWin;
    case SDL_SCANCODE_APPLICATION:
      return kVkApps;
    case SDL_SCANCODE_KP_MULTIPLY:
      return kVkMultiply;
    case SDL_SCANCODE_KP_PLUS:
      return kVkAdd;
    case SDL_SCANCODE_KP_MINUS:
      return kVkSubtract;
    case SDL_SCANCODE_KP_DIVIDE:
      return kVkDivide;
    case SDL_SCANCODE_SEMICOLON:
      return kVkOem1;
    case SDL_SCANCODE_EQUALS:
      return kVkOemPlus;
    case SDL_SCANCODE_COMMA:
      return kVkOemComma;
    case SDL_SCANCODE_MINUS:
      return kVkOemMinus;
    case SDL_SCANCODE_PERIOD:
      return kVkOemPeriod;
    case SDL_SCANCODE_SLASH:
      return kVkOem2;
    case SDL_SCANCODE_GRAVE:
      return kVkOem3;
    case SDL_SCANCODE_LEFTBRACKET:
      return kVkOem4;
    case SDL_SCANCODE_BACKSLASH:
      return kVkOem5;
    case SDL_SCANCODE_RIGHTBRACKET:
      return kVkOem6;
    case SDL_SCANCODE_APOSTROPHE:
      return kVkOem7;
    case SDL_SCANCODE_NONUSBACKSLASH:
      return kVkOem102;
    default:
      return 0;  // Alt itself, Print Screen, media keys: nothing the game could see
  }
}

bool isQuitShortcut(SDL_Scancode scancode, SDL_Keycode symbol, uint16_t modifiers) {
  if ((modifiers & KMOD_CTRL) == 0 || (modifiers & KMOD_ALT) != 0) return false;
  const bool latinLetter = symbol >= SDLK_a && symbol <= SDLK_z;
  return latinLetter ? symbol == SDLK_q : scancode == SDL_SCANCODE_Q;
}

}  // namespace host::sdl
