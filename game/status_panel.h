// The status panel right of the board: turn line, message rows and stone counts.
#pragma once

#include <cstdint>

#include "reversi/board.h"
#include "screen/character_screen.h"

namespace brelvoxan {

inline constexpr int16_t kStatusColumn = 9;

void printSideName(CharacterScreen& screen, Side side);
void clearMessageRows(CharacterScreen& screen);
// "CPU PASS" in the first message row; it stays up while the person moves.
void printComputerPass(CharacterScreen& screen);
void printCount(CharacterScreen& screen, int16_t count);

}  // namespace brelvoxan
