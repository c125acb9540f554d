#include "host/web/key_map.h"

#include "host/key_codes.h"
#include "host/key_rules.h"

namespace host::web {

namespace {

struct Named {
  std::string_view code;
  uint8_t vk;
};

// Physical keys by the name the browser gives them; the keypad's digits are handled apart.
constexpr Named kNamedKeys[] = {
    {"Enter", kVkReturn},
    {"NumpadEnter", kVkReturn},
    {"Escape", kVkEscape},
    {"Backspace", kVkBack},
    {"Tab", kVkTab},
    {"Space", kVkSpace},
    {"ArrowLeft", kVkLeft},
    {"ArrowUp", kVkUp},
    {"ArrowRight", kVkRight},
    {"ArrowDown", kVkDown},
    {"PageUp", kVkPrior},
    {"PageDown", kVkNext},
    {"Home", kVkHome},
    {"End", kVkEnd},
    {"Insert", kVkInsert},
    {"Delete", kVkDelete},
    {"ShiftLeft", kVkShift},
    {"ShiftRight", kVkShift},
    {"ControlLeft", kVkControl},
    {"ControlRight", kVkControl},
    {"CapsLock", kVkCapital},
    {"Pause", kVkPause},
    {"NumLock", kVkNumLock},
    {"ScrollLock", kVkScroll},
    {"MetaLeft", kVkLeftWin},
    {"OSLeft", kVkLeftWin},
    {"MetaRight", kVkRightWin},
    {"OSRight", kVkRightWin},
    {"ContextMenu", kVkApps},
    {"NumpadMultiply", kVkMultiply},
    {"NumpadAdd", kVkAdd},
    {"NumpadSubtract", kVkSubtract},
    {"NumpadDivide", kVkDivide},
    {"Semicolon", kVkOem1},
    {"Equal", kVkOemPlus},
    {"Comma", kVkOemComma},
    {"Minus", kVkOemMinus},
    {"Period", kVkOemPeriod},
    {"Slash", kVkOem2},
    {"Backquote", kVkOem3},
    {"BracketLeft", kVkOem4},
    {"Backslash", kVkOem5},
    {"BracketRight", kVkOem6},
    {"Quote", kVkOem7},
    {"IntlBackslash", kVkOem102},
};

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// A number of one or two decimal digits after the prefix, or -1.
int numberAfter(std::string_view text, std::string_view prefix) {
  if (!startsWith(text, prefix)) return -1;
  const std::string_view digits = text.substr(prefix.size());
  if (digits.empty() || digits.size() > 2) return -1;
  int value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

uint8_t keypad(int index, std::string_view key) {
  // A keypad key that types a character has Num Lock on (or no Num Lock at all).
  return keys::keypadKey(index, key.size() == 1);
}

}  // namespace

uint8_t virtualKeyCode(std::string_view code, std::string_view key, HeldKeys held) {
  if (!keys::reachesGame(held.alt)) return 0;

  if (code.size() == 6 && startsWith(code, "Digit") && code[5] >= '0' && code[5] <= '9') {
    return keys::digitKey(code[5] - '0');
  }
  if (code == "NumpadDecimal") return keypad(keys::kKeypadPoint, key);
  if (code.size() == 7 && startsWith(code, "Numpad") && code[6] >= '0' && code[6] <= '9') {
    return keypad(code[6] - '0', key);
  }

  // Letters follow the layout (the letter printed on the key), never the case; Ctrl+Z has a
  // code of its own.
  const auto letter = [held](int index) {
    return keys::withModifiers(keys::letterKey(index), held.ctrl, held.shift, held.alt);
  };
  if (key.size() == 1 && key[0] >= 'a' && key[0] <= 'z') return letter(key[0] - 'a');
  if (key.size() == 1 && key[0] >= 'A' && key[0] <= 'Z') return letter(key[0] - 'A');
  if (code.size() == 4 && startsWith(code, "Key") && code[3] >= 'A' && code[3] <= 'Z') {
    return letter(code[3] - 'A');  // a layout without Latin letters
  }

  const int function = numberAfter(code, "F");
  if (function >= 1 && function <= 24) return keys::functionKey(function);

  for (const Named& named : kNamedKeys) {
    if (code == named.code) return named.vk;
  }
  return 0;  // Alt itself, Print Screen, media keys: nothing the game could see
}

bool keepFromPage(uint8_t virtualKey, bool ctrlOrMetaHeld) {
  if (virtualKey == kVkTakeBack) return true;
  if (ctrlOrMetaHeld) return false;
  // Backspace goes back in some browsers, Space and the cursor block scroll, and / and ' open
  // quick find.
  return virtualKey == kVkBack || (virtualKey >= kVkSpace && virtualKey <= kVkDown) ||
         virtualKey == kVkOem2 || virtualKey == kVkOem7;
}

}  // namespace host::web
