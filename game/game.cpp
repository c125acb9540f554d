#include "game/game.h"

#include "build_info.h"
#include "game/status_panel.h"
#include "host/key_codes.h"
#include "host/keyboard.h"
#include "host/platform.h"
#include "host/window_host.h"
#include "reversi/cpu_player.h"
#include "reversi/dot_graphics.h"
#include "reversi/game_state.h"
#include "screen/character_screen.h"

namespace brelvoxan {

namespace {

bool boardFull() {
  return blackCount + whiteCount == 64;
}

}  // namespace

void gameMain() {
  try {
    host::startPromptWindow();
    constructGlyphImages();
    loadGlyphs();
    fillCpuTables();
    for (;;) {
      showTitleScreen();
      playTurns(startNewGame());
      showResult();
    }
  } catch (const host::GameStopped&) {
    // A test or the simulator stopped the game thread; the real program ends with its window.
  }
}

void showTitleScreen() {
  clearScreen();
  locate(2, 0);
  printText(kTitleText);
  locate(6, 2);
  printText("1:YOU vs CPU");
  locate(6, 3);
  printText("2:CPU vs YOU");
  locate(2, 5);
  printText("Program By ZEPLOMAR");
  do {
    keyCode = waitKey();
  } while (keyCode != host::kVk1 && keyCode != host::kVk2);
}

bool startNewGame() {
  clearScreen();
  resetBoard(board);
  cursorX = 1;
  cursorY = 1;
  drawnCursorX = 0;
  drawnCursorY = 0;
  drawNewGameBoard();
  refreshStoneCentres();
  sideToMove = kBlack;
  consecutivePasses = 0;
  if (keyCode == host::kVk2) {
    humanSide = kWhite;
    return false;
  }
  humanSide = kBlack;
  return true;
}

void playTurns(bool humanFirst) {
  bool humanTurn = humanFirst;
  for (;;) {
    if (humanTurn) {
      if (!hasAnyLegalMove(board, sideToMove)) {
        ++consecutivePasses;
        if (consecutivePasses >= 2) return;
        locate(kStatusColumn, 1);
        printText("You Pass!");
        locate(kStatusColumn, 2);
        printText("Hit Any Key");
        keyCode = waitKey();
      } else {
        locate(kStatusColumn, 0);
        printText("You (");
        printSideName();
        enterHumanMove();
      }
      if (boardFull()) return;
      sideToMove = static_cast<Side>(-sideToMove);
      clearMessageRows();
    }
    locate(kStatusColumn, 0);
    printText("CPU (");
    printSideName();
    host::sleepMs(kCpuThinkDelayMs);
    chooseCpuMove(sideToMove);
    sideToMove = static_cast<Side>(-sideToMove);
    if (boardFull()) return;
    humanTurn = true;
  }
}

void showResult() {
  clearMessageRows();
  locate(kStatusColumn, 1);
  if (blackCount == whiteCount) {
    printText("DRAW");
  } else if ((blackCount > whiteCount) == (humanSide == kBlack)) {
    printText("You Win");
  } else {
    printText("You Lose");
  }
  keyCode = waitKey();
}

}  // namespace brelvoxan
