#include "tests/game_harness.h"

#include <gtest/gtest.h>

#include "game/game.h"
#include "host/platform.h"
#include "host/window_host.h"
#include "screen/dot_graphics.h"

namespace brelvoxan::testing {

void startUpDisplay(CharacterScreen& screen) {
  host::startPromptWindow();
  screen.loadGlyphs();
}

void showPosition(Game& game, CharacterScreen& screen, const Board& position, Side toMove,
                  Side human) {
  screen.clearScreen();
  game.board = position;
  for (int16_t x = 1; x <= 8; ++x) {
    for (int16_t y = 1; y <= 8; ++y) {
      if (game.board.at(x, y) != kEmpty) drawSquareStone(screen, x, y, game.board.at(x, y));
    }
  }
  drawLine(screen, 49, 0, 49, 48, 1);
  drawStone(screen, 54, 25, kBlack);
  drawStone(screen, 54, 33, kWhite);
  refreshStoneCentres(game, screen);
  game.cursorX = game.cursorY = 1;
  game.drawnCursorX = game.drawnCursorY = 0;
  game.sideToMove = toMove;
  game.humanSide = human;
  game.consecutivePasses = 0;
}

ScriptedGame::ScriptedGame() {
  host::headless::reset();
  host::headless::setKeyFeeder([this] { return next(); });
}

ScriptedGame::~ScriptedGame() {
  host::headless::setKeyFeeder(nullptr);
}

std::optional<uint8_t> ScriptedGame::next() {
  // Far more than the keys of the longest game with every take-back and message.
  constexpr int kMostRefills = 20'000;
  if (keys.empty() && refill) {
    if (++refills_ > kMostRefills) {
      ADD_FAILURE() << "the script asked for keys " << kMostRefills
                    << " times without ending: does the screen show what it waits for (the "
                       "glyphs are read from the working folder)?";
      host::headless::requestStop();
      return std::nullopt;
    }
    refill(*this);
  }
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
  gameMain(state, screen);
}

void ScriptedGame::runFrom(const Board& position, Side toMove, Side human) {
  try {
    startUpDisplay(screen);
    showPosition(state, screen, position, toMove, human);
    playTurns(state, screen, toMove == human);
    showResult(state, screen);
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
