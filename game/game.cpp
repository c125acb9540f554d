#include "game/game.h"

#include <algorithm>

#include "build_info.h"
#include "game/cpu_turn.h"
#include "game/keyboard.h"
#include "game/move_entry.h"
#include "game/status_panel.h"
#include "host/key_codes.h"
#include "host/platform.h"
#include "host/window_host.h"
#include "screen/text.h"

namespace brelvoxan {

namespace {

GameOutcome outcome(const Game& game) {
  if (game.blackCount == game.whiteCount) return GameOutcome::kDraw;
  return (game.blackCount > game.whiteCount) == (game.humanSide == kBlack) ? GameOutcome::kWin
                                                                           : GameOutcome::kLoss;
}

bool boardFull(const Game& game) {
  return game.blackCount + game.whiteCount == 64;
}

// The title's row 4, blank at level 1, shows any other level under the two choices.
void printTitleLevel(CharacterScreen& screen, int level) {
  screen.locate(6, 4);
  screen.printText(level == engine::kMinLevel ? Text("       ")
                                              : joinText("Level ", formatNumber(level)));
}

// The title's row 1, blank until a game at the level on display has ended: "W 12 L 30 D 2",
// under the choices' column while it fits. `shown` tells whether the row holds results now.
void printTitleResults(CharacterScreen& screen, const Game& game, bool* shown) {
  const LevelResults results = titleResults(game);
  if (!results.any() && !*shown) return;
  std::string row(static_cast<size_t>(host::kTextColumns), ' ');
  if (results.any()) {
    const std::string text = "W " + std::to_string(results.wins) + " L " +
                             std::to_string(results.losses) + " D " + std::to_string(results.draws);
    const size_t column = std::min<size_t>(6, row.size() - text.size());
    row.replace(column, text.size(), text);
  }
  screen.locate(0, 1);
  screen.printText(Text(row.c_str()));
  *shown = results.any();
}

}  // namespace

LevelResults titleResults(const Game& game) {
  if (!game.kept || game.level < engine::kMinLevel || game.level > engine::kMaxLevel) return {};
  return game.kept->settings().results[static_cast<size_t>(game.level - 1)];
}

void startFromKept(Game& game, const std::string& folder, std::optional<int> levelGiven,
                   bool resetResults) {
  game.kept = std::make_shared<SettingsStore>(folder);
  game.kept->load();
  if (resetResults) game.kept->resetResults();
  game.level = levelGiven.value_or(game.kept->settings().level);
  game.showMoves = game.kept->settings().showMoves;
}

void gameMain() {
  Game game;
  CharacterScreen screen;
  gameMain(game, screen);
}

void gameMain(Game& game, CharacterScreen& screen) {
  try {
    host::startPromptWindow();
    screen.loadGlyphs();
    for (;;) {
      showTitleScreen(game, screen);
      playTurns(game, screen, startNewGame(game, screen));
      showResult(game, screen);
    }
  } catch (const host::GameStopped&) {
    // A test or the simulator stopped the game thread; the real program ends with its window.
  }
}

void showTitleScreen(Game& game, CharacterScreen& screen) {
  screen.clearScreen();
  screen.locate(2, 0);
  screen.printText(kTitleText);
  screen.locate(6, 2);
  screen.printText("1:YOU vs CPU");
  screen.locate(6, 3);
  screen.printText("2:CPU vs YOU");
  screen.locate(2, 5);
  screen.printText("Program By ZEPLOMAR");
  game.level = std::clamp(game.level, engine::kMinLevel, engine::kMaxLevel);
  if (game.level != engine::kMinLevel) printTitleLevel(screen, game.level);
  bool resultsShown = false;
  printTitleResults(screen, game, &resultsShown);
  // Left and Right choose the level of the next game; 1 and 2 start it.
  for (;;) {
    game.keyCode = waitKey();
    if (game.keyCode == host::kVk1 || game.keyCode == host::kVk2) return;
    const int step = game.keyCode == host::kVkRight ? 1 : game.keyCode == host::kVkLeft ? -1 : 0;
    const int level = std::clamp(game.level + step, engine::kMinLevel, engine::kMaxLevel);
    if (level != game.level) {
      game.level = level;
      printTitleLevel(screen, level);
      printTitleResults(screen, game, &resultsShown);
      host::showLevel(level);
      if (game.kept) game.kept->setLevel(level);
    }
  }
}

bool startNewGame(Game& game, CharacterScreen& screen) {
  screen.clearScreen();
  resetBoard(game.board);
  game.cursorX = 1;
  game.cursorY = 1;
  game.drawnCursorX = 0;
  game.drawnCursorY = 0;
  game.markedSquares = 0;
  game.movedFrom.clear();
  drawNewGameBoard(game, screen);
  refreshStoneCentres(game, screen);
  game.sideToMove = kBlack;
  game.consecutivePasses = 0;
  if (game.keyCode == host::kVk2) {
    game.humanSide = kWhite;
    return false;
  }
  game.humanSide = kBlack;
  return true;
}

void playTurns(Game& game, CharacterScreen& screen, bool humanFirst) {
  bool humanTurn = humanFirst;
  for (;;) {
    if (humanTurn) {
      if (!hasAnyLegalMove(game.board, game.sideToMove)) {
        ++game.consecutivePasses;
        if (game.consecutivePasses >= 2) return;
        screen.locate(kStatusColumn, 1);
        screen.printText("You Pass!");
        screen.locate(kStatusColumn, 2);
        screen.printText("Hit Any Key");
        game.keyCode = waitKey();
      } else {
        screen.locate(kStatusColumn, 0);
        screen.printText("You (");
        printSideName(screen, game.sideToMove);
        enterHumanMove(game, screen);
      }
      if (boardFull(game)) return;
      game.sideToMove = static_cast<Side>(-game.sideToMove);
      clearMessageRows(screen);
    }
    screen.locate(kStatusColumn, 0);
    screen.printText("CPU (");
    printSideName(screen, game.sideToMove);
    computerTurn(game, screen, game.sideToMove);
    game.sideToMove = static_cast<Side>(-game.sideToMove);
    if (boardFull(game)) return;
    humanTurn = true;
  }
}

void showResult(Game& game, CharacterScreen& screen) {
  clearMessageRows(screen);
  screen.locate(kStatusColumn, 1);
  const GameOutcome result = outcome(game);
  screen.printText(result == GameOutcome::kDraw  ? "DRAW"
                   : result == GameOutcome::kWin ? "You Win"
                                                 : "You Lose");
  if (game.kept) game.kept->addResult(game.level, result);
  game.keyCode = waitKey();
}

}  // namespace brelvoxan
