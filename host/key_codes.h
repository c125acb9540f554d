// The virtual-key codes that travel through the key slot: what every backend reports for a
// key-down and what the game compares keys with. Letters and main-row digits are their
// upper-case ASCII codes ('A'..'Z', '0'..'9').
#pragma once

#include <cstdint>

namespace host {

inline constexpr uint8_t kVkBack = 8;
inline constexpr uint8_t kVkTab = 9;
inline constexpr uint8_t kVkClear = 12;
inline constexpr uint8_t kVkReturn = 13;
inline constexpr uint8_t kVkShift = 16;
inline constexpr uint8_t kVkControl = 17;
inline constexpr uint8_t kVkPause = 19;
inline constexpr uint8_t kVkCapital = 20;
inline constexpr uint8_t kVkEscape = 27;
inline constexpr uint8_t kVkSpace = 32;
inline constexpr uint8_t kVkPrior = 33;
inline constexpr uint8_t kVkNext = 34;
inline constexpr uint8_t kVkEnd = 35;
inline constexpr uint8_t kVkHome = 36;
inline constexpr uint8_t kVkLeft = 37;
inline constexpr uint8_t kVkUp = 38;
inline constexpr uint8_t kVkRight = 39;
inline constexpr uint8_t kVkDown = 40;
inline constexpr uint8_t kVkInsert = 45;
inline constexpr uint8_t kVkDelete = 46;
inline constexpr uint8_t kVk0 = '0';
inline constexpr uint8_t kVk1 = '1';
inline constexpr uint8_t kVk2 = '2';
inline constexpr uint8_t kVkA = 'A';
inline constexpr uint8_t kVkH = 'H';
inline constexpr uint8_t kVkM = 'M';
inline constexpr uint8_t kVkZ = 'Z';
inline constexpr uint8_t kVkLeftWin = 91;
inline constexpr uint8_t kVkRightWin = 92;
inline constexpr uint8_t kVkApps = 93;
inline constexpr uint8_t kVkNumpad0 = 96;
inline constexpr uint8_t kVkMultiply = 106;
inline constexpr uint8_t kVkAdd = 107;
inline constexpr uint8_t kVkSubtract = 109;
inline constexpr uint8_t kVkDecimal = 110;
inline constexpr uint8_t kVkDivide = 111;
inline constexpr uint8_t kVkF1 = 112;
inline constexpr uint8_t kVkF10 = 121;
inline constexpr uint8_t kVkF13 = 124;
inline constexpr uint8_t kVkNumLock = 144;
inline constexpr uint8_t kVkScroll = 145;
inline constexpr uint8_t kVkOem1 = 186;  // ;:
inline constexpr uint8_t kVkOemPlus = 187;
inline constexpr uint8_t kVkOemComma = 188;
inline constexpr uint8_t kVkOemMinus = 189;
inline constexpr uint8_t kVkOemPeriod = 190;
inline constexpr uint8_t kVkOem2 = 191;  // /?
inline constexpr uint8_t kVkOem3 = 192;  // `~
inline constexpr uint8_t kVkOem4 = 219;  // [{
inline constexpr uint8_t kVkOem5 = 220;  // backslash
inline constexpr uint8_t kVkOem6 = 221;  // ]}
inline constexpr uint8_t kVkOem7 = 222;  // '"
inline constexpr uint8_t kVkOem102 = 226;
// No key has this code (it is unassigned on Windows): the key maps give it for Ctrl+Z, which
// takes back a move (key_rules.h).
inline constexpr uint8_t kVkTakeBack = 0x97;

}  // namespace host
