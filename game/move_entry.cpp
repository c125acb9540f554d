#include "game/move_entry.h"

#include "game/hint.h"
#include "game/keyboard.h"
#include "game/move_marks.h"
#include "game/take_back.h"
#include "host/key_codes.h"
#include "screen/dot_graphics.h"

namespace brelvoxan {

void updateCursorBox(Game& game, CharacterScreen& screen) {
  if (game.cursorX != game.drawnCursorX || game.cursorY != game.drawnCursorY) {
    cursorBox(screen, game.drawnCursorX, game.drawnCursorY, 0);
    cursorBox(screen, game.cursorX, game.cursorY, 1);
  }
  game.drawnCursorX = game.cursorX;
  game.drawnCursorY = game.cursorY;
}

void enterHumanMove(Game& game, CharacterScreen& screen) {
  AskedPosition asked = askedPosition(game);
  for (;;) {
    updateCursorBox(game, screen);
    showMoveMarks(game, screen);
    game.keyCode = waitKey();
    if (game.keyCode == host::kVkUp) {
      if (game.cursorY > 1) --game.cursorY;
    } else if (game.keyCode == host::kVkDown) {
      if (game.cursorY < 8) ++game.cursorY;
    } else if (game.keyCode == host::kVkRight) {
      if (game.cursorX < 8) ++game.cursorX;
    } else if (game.keyCode == host::kVkLeft) {
      if (game.cursorX > 1) --game.cursorX;
    } else if (game.keyCode == host::kVkTakeBack) {
      if (takeBack(game, screen)) asked = askedPosition(game);
    } else if (game.keyCode == host::kVkM) {
      game.showMoves = !game.showMoves;
      if (game.kept) game.kept->setShowMoves(game.showMoves);
    } else if (game.keyCode == host::kVkH) {
      // The turn line stays while the hint is worked out; the box moves at the next wait.
      const engine::ComputerMove hint = hintMove(game);
      if (!hint.pass) {
        game.cursorX = hint.x;
        game.cursorY = hint.y;
      }
    } else if (game.keyCode == host::kVkReturn &&
               game.board.at(game.cursorX, game.cursorY) == kEmpty) {
      const FlipScan scan = scanFlips(game.board, game.cursorX, game.cursorY, game.sideToMove);
      if (scan.flipDirections > 0) {
        game.movedFrom.push_back(asked);
        clearMoveMarks(game, screen);
        cursorBox(screen, game.cursorX, game.cursorY, 0);
        playSquare(game, screen, game.sideToMove, scan);
        return;
      }
    }
  }
}

}  // namespace brelvoxan
