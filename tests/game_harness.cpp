#include "tests/game_harness.h"

#include "game/game.h"
#include "host/platform.h"
#include "host/window_host.h"
#include "reversi/cpu_player.h"
#include "reversi/dot_graphics.h"
#include "reversi/game_state.h"
#include "screen/character_screen.h"

namespace brelvoxan::testing {

void startUpDisplay() {
  host::startPromptWindow();
  constructGlyphImages();
  loadGlyphs();
  fillCpuTables();
}

void showPosition(const Board& position, Side toMove, Side human) {
  clearScreen();
  board = position;
  for (int16_t x = 1; x <= 8; ++x) {
    for (int16_t y = 1; y <= 8; ++y) {
      if (board.at(x, y) != kEmpty) drawSquareStone(x, y, board.at(x, y));
    }
  }
  drawLine(49, 0, 49, 48, 1);
  drawStone(54, 25, kBlack);
  drawStone(54, 33, kWhite);
  refreshStoneCentres();
  cursorX = cursorY = 1;
  drawnCursorX = drawnCursorY = 0;
  sideToMove = toMove;
  humanSide = human;
  consecutivePasses = 0;
}

ScriptedGame::ScriptedGame() {
  host::headless::reset();
  host::headless::setKeyFeeder([this] { return next(); });
}

ScriptedGame::~ScriptedGame() {
  host::headless::setKeyFeeder(nullptr);
}

std::optional<uint8_t> ScriptedGame::next() {
  if (keys.empty() && refill) refill(*this);
  if (keys.empty()) {
    host::headless::requestStop();
    return std::nullopt;
  }
  const int key = keys.front();
  keys.pop_front();
  if (key == kNoKey) return std::nullopt;
  return static_cast<uint8_t>(key);
}

void ScriptedGame::runFromStart() {
  gameMain();
}

void ScriptedGame::runFrom(const Board& position, Side toMove, Side human) {
  try {
    startUpDisplay();
    showPosition(position, toMove, human);
    playTurns(toMove == human);
    showResult();
  } catch (const host::GameStopped&) {
  }
}

void ScriptedGame::playSquare(int fromX, int fromY, int x, int y) {
  for (; fromX < x; ++fromX) keys.push_back(kRight);
  for (; fromX > x; --fromX) keys.push_back(kLeft);
  for (; fromY < y; ++fromY) keys.push_back(kDown);
  for (; fromY > y; --fromY) keys.push_back(kUp);
  keys.push_back(kEnter);
}

}  // namespace brelvoxan::testing
