#include "game/game.h"
#include "host/key_codes.h"
#include "host/keyboard.h"
#include "reversi/dot_graphics.h"
#include "reversi/game_state.h"

namespace brelvoxan {

void updateCursorBox() {
  if (cursorX != drawnCursorX || cursorY != drawnCursorY) {
    cursorBox(drawnCursorX, drawnCursorY, 0);
    cursorBox(cursorX, cursorY, 1);
  }
  drawnCursorX = cursorX;
  drawnCursorY = cursorY;
}

void enterHumanMove() {
  for (;;) {
    updateCursorBox();
    keyCode = waitKey();
    if (keyCode == host::kVkUp) {
      if (cursorY > 1) --cursorY;
    } else if (keyCode == host::kVkDown) {
      if (cursorY < 8) ++cursorY;
    } else if (keyCode == host::kVkRight) {
      if (cursorX < 8) ++cursorX;
    } else if (keyCode == host::kVkLeft) {
      if (cursorX > 1) --cursorX;
    } else if (keyCode == host::kVkReturn && board.at(cursorX, cursorY) == kEmpty) {
      const FlipScan scan = scanFlips(board, cursorX, cursorY, sideToMove);
      if (scan.flipDirections > 0) {
        cursorBox(cursorX, cursorY, 0);
        playSquare(sideToMove, scan);
        return;
      }
    }
  }
}

}  // namespace brelvoxan
