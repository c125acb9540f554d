// The hint (H during the person's move): the move the strongest level would play for the
// person.
#pragma once

#include <cstdint>

#include "engine/opponent.h"
#include "game/game_state.h"

namespace brelvoxan {

// The seed of the hint's choice among equally good moves, the same in every run, so that a
// position always gets the same hint (the simulator's and the page's alike).
inline constexpr uint64_t kHintSeed = 0;

// The strongest level's move for the side to move with kHintSeed, thought out where the computer's
// moves are (thinking.h): every move is searched afresh, so the same position always gives the
// same hint, whatever was played or hinted before. A pass when the side to move has no square.
engine::ComputerMove hintMove(Game& game);

}  // namespace brelvoxan
