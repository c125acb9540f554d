// The game's main procedure and its screens.
#pragma once

#include <cstdint>

namespace brelvoxan {

inline constexpr uint32_t kCpuThinkDelayMs = 700;

// Start-up, then title screen, game and result without end. Returns only when the backend stops
// the game thread (tests and the simulator); the real program ends when its window closes.
void gameMain();

void showTitleScreen();
// Returns true when the person has the first turn.
bool startNewGame();
void playTurns(bool humanFirst);
void showResult();
void enterHumanMove();
void updateCursorBox();

}  // namespace brelvoxan
