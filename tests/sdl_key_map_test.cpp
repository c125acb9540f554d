#include "host/sdl/key_map.h"

#include <gtest/gtest.h>

namespace host::sdl {
namespace {

// The symbol a US layout gives the key, as SDL reports it.
SDL_Keycode usSymbol(SDL_Scancode scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return SDLK_a + (scancode - SDL_SCANCODE_A);
  }
  return SDL_SCANCODE_TO_KEYCODE(scancode);
}

uint8_t vk(SDL_Scancode scancode, uint16_t modifiers = KMOD_NONE) {
  return virtualKeyCode(scancode, usSymbol(scancode), modifiers);
}

TEST(SdlKeyMap, GameKeysGiveTheirCodes) {
  EXPECT_EQ(vk(SDL_SCANCODE_1), 49);
  EXPECT_EQ(vk(SDL_SCANCODE_2), 50);
  EXPECT_EQ(vk(SDL_SCANCODE_9), 57);
  EXPECT_EQ(vk(SDL_SCANCODE_0), 48);
  EXPECT_EQ(vk(SDL_SCANCODE_LEFT), 37);
  EXPECT_EQ(vk(SDL_SCANCODE_UP), 38);
  EXPECT_EQ(vk(SDL_SCANCODE_RIGHT), 39);
  EXPECT_EQ(vk(SDL_SCANCODE_DOWN), 40);
  EXPECT_EQ(vk(SDL_SCANCODE_RETURN), 13);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_ENTER), 13);
}

TEST(SdlKeyMap, LettersIgnoreShiftAndFollowTheLayout) {
  EXPECT_EQ(vk(SDL_SCANCODE_A), 65);
  EXPECT_EQ(vk(SDL_SCANCODE_Z), 90);
  EXPECT_EQ(vk(SDL_SCANCODE_A, KMOD_LSHIFT), 65);
  EXPECT_EQ(vk(SDL_SCANCODE_Q, KMOD_CAPS), 81);
  // A French layout has A where a US keyboard has Q.
  EXPECT_EQ(virtualKeyCode(SDL_SCANCODE_Q, SDLK_a, KMOD_NONE), 65);
  // A layout without Latin letters falls back to the key's position.
  EXPECT_EQ(virtualKeyCode(SDL_SCANCODE_F, 0x0430, KMOD_NONE), 70);
  // Digits stay digits even where the layout types other characters on them unshifted.
  EXPECT_EQ(virtualKeyCode(SDL_SCANCODE_1, SDLK_AMPERSAND, KMOD_NONE), 49);
}

TEST(SdlKeyMap, ModifierKeysAreKeysLikeAnyOther) {
  EXPECT_EQ(vk(SDL_SCANCODE_LSHIFT, KMOD_LSHIFT), 16);
  EXPECT_EQ(vk(SDL_SCANCODE_RSHIFT), 16);
  EXPECT_EQ(vk(SDL_SCANCODE_LCTRL, KMOD_LCTRL), 17);
  EXPECT_EQ(vk(SDL_SCANCODE_RCTRL), 17);
  EXPECT_EQ(vk(SDL_SCANCODE_CAPSLOCK, KMOD_CAPS), 20);
  EXPECT_EQ(vk(SDL_SCANCODE_ESCAPE), 27);
  EXPECT_EQ(vk(SDL_SCANCODE_SPACE), 32);
  EXPECT_EQ(vk(SDL_SCANCODE_BACKSPACE), 8);
  EXPECT_EQ(vk(SDL_SCANCODE_TAB), 9);
  // Ctrl held does not change the key's code.
  EXPECT_EQ(vk(SDL_SCANCODE_C, KMOD_LCTRL), 67);
}

TEST(SdlKeyMap, AltCombinationsAndF10NeverReachTheGame) {
  EXPECT_EQ(vk(SDL_SCANCODE_LALT, KMOD_LALT), 0);
  EXPECT_EQ(vk(SDL_SCANCODE_RALT), 0);
  EXPECT_EQ(vk(SDL_SCANCODE_F4, KMOD_LALT), 0);
  EXPECT_EQ(vk(SDL_SCANCODE_1, KMOD_RALT), 0);
  EXPECT_EQ(vk(SDL_SCANCODE_RETURN, KMOD_LALT), 0);
  EXPECT_EQ(vk(SDL_SCANCODE_F10), 0);
  EXPECT_EQ(vk(SDL_SCANCODE_F1), 112);
  EXPECT_EQ(vk(SDL_SCANCODE_F9), 120);
  EXPECT_EQ(vk(SDL_SCANCODE_F11), 122);
  EXPECT_EQ(vk(SDL_SCANCODE_F12), 123);
}

TEST(SdlKeyMap, KeypadFollowsNumLock) {
  // Num Lock on: keypad digits, which do not choose a side on the title screen.
  EXPECT_EQ(vk(SDL_SCANCODE_KP_0, KMOD_NUM), 96);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_1, KMOD_NUM), 97);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_2, KMOD_NUM), 98);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_9, KMOD_NUM), 105);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_PERIOD, KMOD_NUM), 110);
  // Num Lock off: the keypad is a second cursor block.
  EXPECT_EQ(vk(SDL_SCANCODE_KP_4), 37);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_8), 38);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_6), 39);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_2), 40);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_7), 36);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_1), 35);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_9), 33);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_3), 34);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_0), 45);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_PERIOD), 46);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_5), 12);
  // Keys that do not depend on it.
  EXPECT_EQ(vk(SDL_SCANCODE_KP_ENTER, KMOD_NUM), 13);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_PLUS), 107);
  EXPECT_EQ(vk(SDL_SCANCODE_KP_MINUS, KMOD_NUM), 109);
}

TEST(SdlKeyMap, EveryCodeIsAValidSlotValue) {
  // 0 means an empty slot, so a key must give 1..254 or be dropped; no key may wrap into 0 or 255.
  for (int s = SDL_SCANCODE_UNKNOWN; s < SDL_NUM_SCANCODES; ++s) {
    const auto scancode = static_cast<SDL_Scancode>(s);
    for (uint16_t mod : {uint16_t{KMOD_NONE}, uint16_t{KMOD_NUM}, uint16_t{KMOD_SHIFT}}) {
      EXPECT_NE(vk(scancode, mod), 255) << SDL_GetScancodeName(scancode);
    }
  }
  EXPECT_EQ(vk(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(vk(SDL_SCANCODE_PRINTSCREEN), 0);
}

TEST(SdlKeyMap, CtrlZAloneTakesBackOnEveryLayout) {
  EXPECT_EQ(vk(SDL_SCANCODE_Z, KMOD_LCTRL), 151);
  EXPECT_EQ(vk(SDL_SCANCODE_Z, KMOD_RCTRL | KMOD_NUM | KMOD_CAPS), 151);
  // Z alone and Ctrl+Shift+Z (redo elsewhere) stay the letter; Ctrl with Alt never reaches the
  // game; Ctrl does nothing to other letters.
  EXPECT_EQ(vk(SDL_SCANCODE_Z), 90);
  EXPECT_EQ(vk(SDL_SCANCODE_Z, KMOD_LCTRL | KMOD_LSHIFT), 90);
  EXPECT_EQ(vk(SDL_SCANCODE_Z, KMOD_LCTRL | KMOD_RALT), 0);
  EXPECT_EQ(vk(SDL_SCANCODE_Y, KMOD_LCTRL), 89);
  EXPECT_EQ(vk(SDL_SCANCODE_H, KMOD_LCTRL), 72);
  // The layout's Z (a German layout swaps Y and Z), the key in Z's place without Latin letters.
  EXPECT_EQ(virtualKeyCode(SDL_SCANCODE_Y, SDLK_z, KMOD_LCTRL), 151);
  EXPECT_EQ(virtualKeyCode(SDL_SCANCODE_Z, SDLK_y, KMOD_LCTRL), 89);
  EXPECT_EQ(virtualKeyCode(SDL_SCANCODE_Z, 0x44F, KMOD_LCTRL), 151);  // Cyrillic ya
}

TEST(SdlKeyMap, CtrlQIsTheQuitShortcutOnEveryLayout) {
  EXPECT_TRUE(isQuitShortcut(SDL_SCANCODE_Q, SDLK_q, KMOD_LCTRL));
  EXPECT_TRUE(isQuitShortcut(SDL_SCANCODE_Q, SDLK_q, KMOD_RCTRL | KMOD_SHIFT | KMOD_NUM));
  // Q alone is a key for the game; Ctrl with Alt is AltGr, which types characters.
  EXPECT_FALSE(isQuitShortcut(SDL_SCANCODE_Q, SDLK_q, KMOD_NONE));
  EXPECT_FALSE(isQuitShortcut(SDL_SCANCODE_Q, SDLK_q, KMOD_LCTRL | KMOD_RALT));
  EXPECT_FALSE(isQuitShortcut(SDL_SCANCODE_W, SDLK_w, KMOD_LCTRL));
  // The layout's Q where it has Latin letters (AZERTY swaps A and Q), the key in Q's place where
  // it has none.
  EXPECT_TRUE(isQuitShortcut(SDL_SCANCODE_A, SDLK_q, KMOD_LCTRL));
  EXPECT_FALSE(isQuitShortcut(SDL_SCANCODE_Q, SDLK_a, KMOD_LCTRL));
  EXPECT_TRUE(isQuitShortcut(SDL_SCANCODE_Q, 0x439, KMOD_LCTRL));  // Cyrillic short i
}

}  // namespace
}  // namespace host::sdl
