// The game's main procedure and its screens.
#pragma once

#include <cstdint>

#include "game/game_state.h"
#include "screen/character_screen.h"

namespace brelvoxan {

// Start-up, then title screen, game and result without end. Returns only when the backend stops
// the game thread (tests and the simulator); the real program ends when its window closes.
// The first form makes the game and the character screen itself.
void gameMain();
void gameMain(Game& game, CharacterScreen& screen);

void showTitleScreen(Game& game, CharacterScreen& screen);
// Returns true when the person has the first turn.
bool startNewGame(Game& game, CharacterScreen& screen);
void playTurns(Game& game, CharacterScreen& screen, bool humanFirst);
void showResult(Game& game, CharacterScreen& screen);

}  // namespace brelvoxan
