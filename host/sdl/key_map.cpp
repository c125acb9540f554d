#include "host/sdl/key_map.h"

#include "host/key_codes.h"
#include "host/key_rules.h"

namespace host::sdl {

namespace {

// The keypad key's index for keys::keypadKey: its digit, or keys::kKeypadPoint.
int keypadIndex(SDL_Scancode scancode) {
  if (scancode == SDL_SCANCODE_KP_PERIOD) return keys::kKeypadPoint;
  if (scancode == SDL_SCANCODE_KP_0) return 0;
  return 1 + (scancode - SDL_SCANCODE_KP_1);
}

}  // namespace

uint8_t virtualKeyCode(SDL_Scancode scancode, SDL_Keycode symbol, uint16_t modifiers) {
  if (!keys::reachesGame((modifiers & KMOD_ALT) != 0)) return 0;

  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    return keys::digitKey(1 + (scancode - SDL_SCANCODE_1));
  }
  if (scancode == SDL_SCANCODE_0) return keys::digitKey(0);

  // Keypad digits and point depend on Num Lock.
  if ((scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0) ||
      scancode == SDL_SCANCODE_KP_PERIOD) {
    return keys::keypadKey(keypadIndex(scancode), (modifiers & KMOD_NUM) != 0);
  }

  // Letters follow the layout (the letter printed on the key); Ctrl+Z has a code of its own.
  const auto letter = [modifiers](int index) {
    return keys::withModifiers(keys::letterKey(index), (modifiers & KMOD_CTRL) != 0,
                               (modifiers & KMOD_SHIFT) != 0, (modifiers & KMOD_ALT) != 0);
  };
  if (symbol >= SDLK_a && symbol <= SDLK_z) return letter(symbol - SDLK_a);
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return letter(scancode - SDL_SCANCODE_A);  // a layout without Latin letters
  }

  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
    return keys::functionKey(1 + (scancode - SDL_SCANCODE_F1));
  }
  if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) {
    return keys::functionKey(13 + (scancode - SDL_SCANCODE_F13));
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
