#include "host/web/key_map.h"

#include <gtest/gtest.h>

namespace host::web {
namespace {

// What a US layout gives: `code` and `key` as the browser reports them.
uint8_t vk(const char* code, const char* key, bool alt = false) {
  return virtualKeyCode(code, key, {alt, false, false});
}

TEST(WebKeyMap, GameKeysGiveTheSameCodesAsOnTheOtherBackends) {
  EXPECT_EQ(vk("Digit1", "1"), 49);
  EXPECT_EQ(vk("Digit2", "2"), 50);
  EXPECT_EQ(vk("Digit0", "0"), 48);
  EXPECT_EQ(vk("ArrowLeft", "ArrowLeft"), 37);
  EXPECT_EQ(vk("ArrowUp", "ArrowUp"), 38);
  EXPECT_EQ(vk("ArrowRight", "ArrowRight"), 39);
  EXPECT_EQ(vk("ArrowDown", "ArrowDown"), 40);
  EXPECT_EQ(vk("Enter", "Enter"), 13);
  EXPECT_EQ(vk("NumpadEnter", "Enter"), 13);
  // Digits stay digits where the layout types other characters on them unshifted.
  EXPECT_EQ(vk("Digit1", "&"), 49);
  EXPECT_EQ(vk("Digit2", "@"), 50);
}

TEST(WebKeyMap, LettersIgnoreShiftAndFollowTheLayout) {
  EXPECT_EQ(vk("KeyA", "a"), 65);
  EXPECT_EQ(vk("KeyA", "A"), 65);
  EXPECT_EQ(vk("KeyZ", "z"), 90);
  EXPECT_EQ(vk("KeyQ", "a"), 65);         // a French layout has A where US has Q
  EXPECT_EQ(vk("Semicolon", "m"), 77);    // and M beside L
  EXPECT_EQ(vk("KeyF", "\xD0\xB0"), 70);  // a layout without Latin letters: by position
  EXPECT_EQ(vk("Quote", "Dead"), 222);    // a dead key is still its key
}

TEST(WebKeyMap, OtherKeysAreKeysLikeAnyOther) {
  EXPECT_EQ(vk("ShiftLeft", "Shift"), 16);
  EXPECT_EQ(vk("ControlRight", "Control"), 17);
  EXPECT_EQ(vk("CapsLock", "CapsLock"), 20);
  EXPECT_EQ(vk("Escape", "Escape"), 27);
  EXPECT_EQ(vk("Space", " "), 32);
  EXPECT_EQ(vk("Backspace", "Backspace"), 8);
  EXPECT_EQ(vk("Tab", "Tab"), 9);
  EXPECT_EQ(vk("F1", "F1"), 112);
  EXPECT_EQ(vk("F12", "F12"), 123);
  EXPECT_EQ(vk("F24", "F24"), 135);
  EXPECT_EQ(vk("Slash", "/"), 191);
  EXPECT_EQ(vk("IntlBackslash", "<"), 226);
  EXPECT_EQ(vk("MetaLeft", "Meta"), 91);
}

TEST(WebKeyMap, AltCombinationsF10AndUnknownKeysNeverReachTheGame) {
  EXPECT_EQ(vk("AltLeft", "Alt", true), 0);
  EXPECT_EQ(vk("AltRight", "AltGraph"), 0);
  EXPECT_EQ(vk("Digit1", "1", true), 0);
  EXPECT_EQ(vk("Enter", "Enter", true), 0);
  EXPECT_EQ(vk("F10", "F10"), 0);
  EXPECT_EQ(vk("F25", "F25"), 0);
  EXPECT_EQ(vk("F", "F"), 70);  // a letter by the layout, whatever the code says
  EXPECT_EQ(vk("PrintScreen", "PrintScreen"), 0);
  EXPECT_EQ(vk("", ""), 0);
  EXPECT_EQ(vk("Digit", "x"), 88);
}

TEST(WebKeyMap, CtrlZAloneTakesBackAndIsKeptFromThePage) {
  const HeldKeys ctrl{false, true, false};
  EXPECT_EQ(virtualKeyCode("KeyZ", "z", ctrl), 151);
  EXPECT_EQ(virtualKeyCode("KeyY", "z", ctrl), 151);         // a German layout's Z
  EXPECT_EQ(virtualKeyCode("KeyZ", "\xD1\x8F", ctrl), 151);  // no Latin letters: by position
  EXPECT_EQ(virtualKeyCode("KeyZ", "y", ctrl), 89);
  EXPECT_EQ(virtualKeyCode("KeyH", "h", ctrl), 72);
  EXPECT_EQ(virtualKeyCode("KeyZ", "Z", {false, true, true}), 90);  // Ctrl+Shift+Z
  EXPECT_EQ(virtualKeyCode("KeyZ", "z", {true, true, false}), 0);   // AltGr
  EXPECT_EQ(vk("KeyZ", "z"), 90);
  // The browser would otherwise undo on the page; other Ctrl shortcuts stay the browser's.
  EXPECT_TRUE(keepFromPage(151, true));
  EXPECT_FALSE(keepFromPage(90, true));
}

TEST(WebKeyMap, KeypadFollowsWhatItTypes) {
  // Typing digits (Num Lock on): keypad codes, which do not choose a side on the title screen.
  EXPECT_EQ(vk("Numpad0", "0"), 96);
  EXPECT_EQ(vk("Numpad1", "1"), 97);
  EXPECT_EQ(vk("Numpad9", "9"), 105);
  EXPECT_EQ(vk("NumpadDecimal", ","), 110);
  // Not typing (Num Lock off): the second cursor block.
  EXPECT_EQ(vk("Numpad1", "End"), 35);
  EXPECT_EQ(vk("Numpad2", "ArrowDown"), 40);
  EXPECT_EQ(vk("Numpad4", "ArrowLeft"), 37);
  EXPECT_EQ(vk("Numpad5", "Clear"), 12);
  EXPECT_EQ(vk("Numpad6", "ArrowRight"), 39);
  EXPECT_EQ(vk("Numpad8", "ArrowUp"), 38);
  EXPECT_EQ(vk("Numpad9", "PageUp"), 33);
  EXPECT_EQ(vk("Numpad0", "Insert"), 45);
  EXPECT_EQ(vk("NumpadDecimal", "Delete"), 46);
  EXPECT_EQ(vk("NumpadAdd", "+"), 107);
}

TEST(WebKeyMap, OnlyKeysThatMoveThePageAreKeptFromIt) {
  for (const int key : {8, 32, 33, 34, 35, 36, 37, 38, 39, 40, 191, 222}) {
    EXPECT_TRUE(keepFromPage(static_cast<uint8_t>(key), false)) << key;
    EXPECT_FALSE(keepFromPage(static_cast<uint8_t>(key), true)) << key;
  }
  for (const int key : {0, 9, 13, 27, 49, 65, 112, 116, 122, 123}) {
    EXPECT_FALSE(keepFromPage(static_cast<uint8_t>(key), false)) << key;
  }
}

}  // namespace
}  // namespace host::web
