// The status panel right of the board: turn line, message rows and stone counts.
#pragma once

#include <cstdint>

#include "reversi/board.h"
#include "screen/character_screen.h"

namespace brelvoxan {

inline constexpr int16_t kStatusColumn = 9;

void printSideName(CharacterScreen& screen, Side side);
void clearMessageRows(CharacterScreen& screen);
void printCount(CharacterScreen& screen, int16_t count);

}  // namespace brelvoxan
