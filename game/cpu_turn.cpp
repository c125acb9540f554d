#include "game/game_state.h"
#include "game/status_panel.h"
#include "reversi/cpu_player.h"
#include "screen/dot_graphics.h"

namespace brelvoxan {

void chooseCpuMove(Game& game, CharacterScreen& screen, Side side) {
  const CpuDecision decision = decideCpuMove(game.board, side);
  if (decision.pass) {
    ++game.consecutivePasses;
    screen.locate(kStatusColumn, 1);
    screen.printText("CPU PASS");
    cursorBox(screen, game.cursorX, game.cursorY, 1);
    game.drawnCursorX = game.cursorX;
    game.drawnCursorY = game.cursorY;
    return;
  }
  game.cursorX = decision.best.x;
  game.cursorY = decision.best.y;
  // Scanned again on the real board: the decision's scans ran on trial boards.
  playSquare(game, screen, side, scanFlips(game.board, game.cursorX, game.cursorY, side));
}

}  // namespace brelvoxan
