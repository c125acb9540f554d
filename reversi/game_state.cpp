#include "reversi/game_state.h"

#include "reversi/dot_graphics.h"

namespace brelvoxan {

Side sideToMove = kBlack;
Side humanSide = kBlack;
int16_t consecutivePasses = 0;
int16_t blackCount = 0;
int16_t whiteCount = 0;
int16_t cursorX = 1;
int16_t cursorY = 1;
int16_t drawnCursorX = 0;
int16_t drawnCursorY = 0;
int16_t keyCode = 0;

void playSquare(Side side, const FlipScan& scan) {
  consecutivePasses = 0;
  board.at(cursorX, cursorY) = side;
  drawSquareStone(cursorX, cursorY, side);
  applyFlips(board, scan, cursorX, cursorY, side);
  refreshStoneCentres();
}

}  // namespace brelvoxan
