#include "game/game_state.h"

#include "game/status_panel.h"
#include "host/platform.h"
#include "screen/dot_graphics.h"

namespace brelvoxan {

void playSquare(Game& game, CharacterScreen& screen, Side side, const FlipScan& scan) {
  game.consecutivePasses = 0;
  game.board.at(game.cursorX, game.cursorY) = side;
  drawSquareStone(screen, game.cursorX, game.cursorY, side);
  applyFlips(game.board, scan, game.cursorX, game.cursorY, side);
  refreshStoneCentres(game, screen);
}

StoneCounts refreshStoneCentres(Game& game, CharacterScreen& screen) {
  StoneCounts counts;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const Cell cell = game.board.at(x, y);
      if (cell != kEmpty) {
        const double left = squareDot(x) + 2;
        const double top = squareDot(y) + 2;
        fillBox(screen, left, top, left + 2, top + 2, cell == kBlack ? 1 : 0);
        if (cell == kBlack) {
          ++counts.black;
        } else {
          ++counts.white;
        }
      }
      host::sleepMs(kSweepPauseMs);
    }
  }
  game.blackCount = counts.black;
  game.whiteCount = counts.white;
  screen.locate(10, 3);
  printCount(screen, game.blackCount);
  screen.locate(10, 4);
  printCount(screen, game.whiteCount);
  return counts;
}

void drawNewGameBoard(const Game& game, CharacterScreen& screen) {
  for (int16_t x = 4; x <= 5; ++x) {
    for (int16_t y = 4; y <= 5; ++y) {
      drawSquareStone(screen, x, y, game.board.at(x, y));
    }
  }
  drawLine(screen, 49, 0, 49, 48, 1);
  drawStone(screen, 54, 25, kBlack);
  drawStone(screen, 54, 33, kWhite);
}

}  // namespace brelvoxan
