#include <algorithm>
#include <chrono>
#include <string>

#include "game/game.h"
#include "game/game_state.h"
#include "game/status_panel.h"
#include "host/platform.h"
#include "reversi/cpu_player.h"
#include "screen/dot_graphics.h"

namespace brelvoxan {

namespace {

constexpr uint32_t kLineShowMs = 20;

// Plays `move` for `side`, or shows the pass with the cursor box at the current square.
void playComputerMove(Game& game, CharacterScreen& screen, Side side, const ComputerMove& move) {
  if (move.pass) {
    ++game.consecutivePasses;
    screen.locate(kStatusColumn, 1);
    screen.printText("CPU PASS");
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

void chooseCpuMove(Game& game, CharacterScreen& screen, Side side) {
  const CpuDecision decision = decideCpuMove(game.board, side);
  playComputerMove(game, screen, side, {decision.pass, decision.best.x, decision.best.y});
}

void computerTurn(Game& game, CharacterScreen& screen, Side side) {
  if (game.level <= kMinLevel) {
    host::sleepMs(kCpuThinkDelayMs);
    chooseCpuMove(game, screen, side);
    return;
  }
  // A short first part of the pause lets a front end that paints only while the game waits (the
  // page) show the computer's line before the thinking starts.
  host::sleepMs(kLineShowMs);
  const auto start = std::chrono::steady_clock::now();
  if (!game.opponent || game.opponent->level() != game.level) {
    game.opponent = std::make_shared<Opponent>(game.level, game.seed);
  }
  const ComputerMove move = game.opponent->choose(game.board, side);
  const std::string note = game.opponent->takeNote();
  if (!note.empty()) host::showMessage(note.c_str(), true);
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
