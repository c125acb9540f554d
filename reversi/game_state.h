// The game's process-wide state, shared by the game flow, the move entry, the CPU player and the
// board drawing. All signed 16-bit like the board cells. Also the one way either side plays.
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

// Plays the current square (cursorX, cursorY) for `side`, whose scan found runs to turn: ends a
// run of passes, sets the stone and draws it whole, turns the runs on the board, then repaints
// every stone's centre and prints the counts.
void playSquare(Side side, const FlipScan& scan);

}  // namespace brelvoxan
