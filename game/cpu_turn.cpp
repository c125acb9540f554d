#include "game/cpu_turn.h"

#include <algorithm>
#include <chrono>

#include "game/status_panel.h"
#include "game/thinking.h"
#include "host/platform.h"
#include "screen/dot_graphics.h"

namespace brelvoxan {

namespace {

constexpr uint32_t kLineShowMs = 20;

// Plays `move` for `side`, or shows the pass with the cursor box at the current square.
void playComputerMove(Game& game, CharacterScreen& screen, Side side,
                      const engine::ComputerMove& move) {
  if (move.pass) {
    ++game.consecutivePasses;
    printComputerPass(screen);
    cursorBox(screen, game.cursorX, game.cursorY, 1);
    game.drawnCursorX = game.cursorX;
    game.drawnCursorY = game.cursorY;
    return;
  }
  game.cursorX = move.x;
  game.cursorY = move.y;
  // Scanned again on the real board: the decision's scans ran on trial boards.
  playSquare(game, screen, side, scanFlips(game.board, game.cursorX, game.cursorY, side));
}

}  // namespace

engine::ComputerMove chooseCpuMove(Game& game, Side side) {
  return thinkOfMove(game.opponent, {game.level, game.seed, game.board, side});
}

void computerTurn(Game& game, CharacterScreen& screen, Side side) {
  if (game.level <= engine::kMinLevel) {
    host::sleepMs(kCpuThinkDelayMs);
    playComputerMove(game, screen, side, chooseCpuMove(game, side));
    return;
  }
  // A short first part of the pause lets a front end that paints only while the game waits (the
  // page) show the computer's line before the thinking starts.
  host::sleepMs(kLineShowMs);
  const auto start = std::chrono::steady_clock::now();
  const engine::ComputerMove move = chooseCpuMove(game, side);
  const auto thought = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  uint32_t rest = kCpuThinkDelayMs - kLineShowMs;
  if (!game.thinkingTakesNoTime) {
    rest -= static_cast<uint32_t>(std::clamp<int64_t>(thought.count(), 0, rest));
  }
  host::sleepMs(rest);
  playComputerMove(game, screen, side, move);
}

}  // namespace brelvoxan
