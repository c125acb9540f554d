// Taking back the person's moves (Ctrl+Z during the person's move): the game goes back to the
// position the person last moved from, as it was shown when the person was asked for that move.
#pragma once

#include "game/game_state.h"
#include "screen/character_screen.h"

namespace brelvoxan {

// The position the person is being asked to move from now.
AskedPosition askedPosition(const Game& game);

// Goes back to the last position in game.movedFrom and forgets it, with the moves since (the
// person's, the computer's replies and any passes between). The board, the counts, the message
// rows and the cursor box are drawn as they were then: the stones placed since are cleared, the
// sweep turns the others back and prints the counts. False, and nothing drawn, when the person
// has not moved yet in this game.
bool takeBack(Game& game, CharacterScreen& screen);

}  // namespace brelvoxan
