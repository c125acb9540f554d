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
  cursorX = decision.best.x;
  cursorY = decision.best.y;
  // Scanned again on the real board: the decision's scans ran on trial boards.
  playSquare(side, scanFlips(board, cursorX, cursorY, side));
}

}  // namespace brelvoxan
