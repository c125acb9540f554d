#include "game/take_back.h"

#include "game/move_marks.h"
#include "game/status_panel.h"
#include "screen/dot_graphics.h"

namespace brelvoxan {

AskedPosition askedPosition(const Game& game) {
  return {game.board, game.consecutivePasses, game.cursorX, game.cursorY};
}

bool takeBack(Game& game, CharacterScreen& screen) {
  if (game.movedFrom.empty()) return false;
  const AskedPosition back = game.movedFrom.back();
  game.movedFrom.pop_back();
  clearMoveMarks(game, screen);
  cursorBox(screen, game.drawnCursorX, game.drawnCursorY, 0);
  // Going back only empties squares; the stones on the others keep their outline.
  for (int16_t x = 1; x <= 8; ++x) {
    for (int16_t y = 1; y <= 8; ++y) {
      if (back.board.at(x, y) == kEmpty && game.board.at(x, y) != kEmpty) {
        fillBox(screen, squareDot(x) + 1, squareDot(y) + 1, squareDot(x) + 5, squareDot(y) + 5, 0);
      }
    }
  }
  game.board = back.board;
  game.consecutivePasses = back.consecutivePasses;
  refreshStoneCentres(game, screen);
  clearMessageRows(screen);
  if (game.consecutivePasses > 0) printComputerPass(screen);
  game.cursorX = back.cursorX;
  game.cursorY = back.cursorY;
  cursorBox(screen, game.cursorX, game.cursorY, 1);
  game.drawnCursorX = game.cursorX;
  game.drawnCursorY = game.cursorY;
  return true;
}

}  // namespace brelvoxan
