// The person's move: the arrow keys move the cursor box, Enter on a legal square plays it, H
// moves the box to the hint's square, Ctrl+Z takes back the person's last move and M marks the
// squares where the person may move, or no longer.
#pragma once

#include "game/game_state.h"
#include "screen/character_screen.h"

namespace brelvoxan {

// Moves the drawn cursor box to the current square when it is elsewhere, and remembers where it
// is drawn.
void updateCursorBox(Game& game, CharacterScreen& screen);

// Takes keys until Enter on an empty square that turns stones, then plays that square. The
// position asked from goes to game.movedFrom once it is played from.
void enterHumanMove(Game& game, CharacterScreen& screen);

}  // namespace brelvoxan
