// The game's main procedure and its screens.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "game/game_state.h"
#include "screen/character_screen.h"

namespace brelvoxan {

// Start-up, then title screen, game and result without end. Returns only when the backend stops
// the game thread (tests and the simulator); the real program ends when its window closes.
// The first form makes the game and the character screen itself.
void gameMain();
void gameMain(Game& game, CharacterScreen& screen);

// The title screen; Left and Right choose the level, whose results (when any are kept) show on
// row 1.
void showTitleScreen(Game& game, CharacterScreen& screen);
// Starts `game` from what is kept in `folder` (nothing kept when it is empty): the kept level,
// unless the command line gave one, and the marks' setting. The results are cleared first when
// asked.
void startFromKept(Game& game, const std::string& folder, std::optional<int> levelGiven,
                   bool resetResults);
// The results kept for the level on display; none when nothing is kept.
LevelResults titleResults(const Game& game);
// Returns true when the person has the first turn.
bool startNewGame(Game& game, CharacterScreen& screen);
void playTurns(Game& game, CharacterScreen& screen, bool humanFirst);
void showResult(Game& game, CharacterScreen& screen);

}  // namespace brelvoxan
