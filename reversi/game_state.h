// The game's process-wide state, shared by the game flow, the move entry, the CPU player and the
// board drawing. All signed 16-bit like the board cells.
#pragma once

#include <cstdint>

#include "reversi/board.h"

namespace brelvoxan {

extern Side sideToMove;
extern Side humanSide;
extern int16_t consecutivePasses;
extern int16_t blackCount;
extern int16_t whiteCount;
extern int16_t cursorX;
extern int16_t cursorY;
extern int16_t drawnCursorX;
extern int16_t drawnCursorY;
extern int16_t keyCode;

}  // namespace brelvoxan
