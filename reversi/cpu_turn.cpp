#include "game/status_panel.h"
#include "reversi/cpu_player.h"
#include "reversi/dot_graphics.h"
#include "reversi/game_state.h"
#include "screen/character_screen.h"

namespace brelvoxan {

void chooseCpuMove(Side side) {
  const CpuDecision decision = decideCpuMove(board, side);
  if (decision.pass) {
    ++consecutivePasses;
    locate(kStatusColumn, 1);
    printText("CPU PASS");
    cursorBox(cursorX, cursorY, 1);
    drawnCursorX = cursorX;
    drawnCursorY = cursorY;
    return;
  }
  consecutivePasses = 0;
  cursorX = decision.best.x;
  cursorY = decision.best.y;
  board.at(cursorX, cursorY) = side;
  drawStone((cursorX - 1) * 6 + 1, (cursorY - 1) * 6 + 1, side);
  applyFlips(board, scanFlips(board, cursorX, cursorY, side), cursorX, cursorY, side);
  refreshStoneCentres();
}

}  // namespace brelvoxan
