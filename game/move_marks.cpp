#include "game/move_marks.h"

#include "screen/dot_graphics.h"

namespace brelvoxan {

namespace {

void drawMarks(Game& game, CharacterScreen& screen, uint64_t wanted) {
  for (int16_t x = 1; x <= 8; ++x) {
    for (int16_t y = 1; y <= 8; ++y) {
      const uint64_t bit = squareBit(x, y);
      if (((game.markedSquares ^ wanted) & bit) == 0) continue;
      // A stone drawn since covers the mark's dot: it is not cleared from under the stone.
      if (game.board.at(x, y) != kEmpty) continue;
      plotDot(screen, squareDot(x) + kMarkDot, squareDot(y) + kMarkDot, (wanted & bit) != 0);
    }
  }
  game.markedSquares = wanted;
}

}  // namespace

void showMoveMarks(Game& game, CharacterScreen& screen) {
  uint64_t wanted = 0;
  if (game.showMoves) {
    for (int16_t x = 1; x <= 8; ++x) {
      for (int16_t y = 1; y <= 8; ++y) {
        if (game.board.at(x, y) == kEmpty &&
            scanFlips(game.board, x, y, game.sideToMove).flipDirections > 0) {
          wanted |= squareBit(x, y);
        }
      }
    }
  }
  drawMarks(game, screen, wanted);
}

void clearMoveMarks(Game& game, CharacterScreen& screen) {
  drawMarks(game, screen, 0);
}

}  // namespace brelvoxan
