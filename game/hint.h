// The hint (H during the person's move): the move the strongest level would play for the
// person.
#pragma once

#include <chrono>
#include <cstdint>

#include "game/cpu_turn.h"
#include "game/game_state.h"
#include "game/opponent.h"

namespace brelvoxan {

// The hint thinks as the strongest level does, with its cap, which is within the computer's pause:
// the level's depths and exact endgames set the move, and the cap only guards a slow machine.
static_assert(kDefaultThinkCap < std::chrono::milliseconds{kCpuThinkDelayMs});

// The seed of the hint's choice among equally good moves, the same in every run, so that a
// position always gets the same hint (the simulator's and the page's alike).
inline constexpr uint64_t kHintSeed = 0;

// The strongest level's move for the side to move with kHintSeed, thought out where the computer's
// moves are (thinkOfMove): every move is searched afresh, so the same position always gives the
// same hint, whatever was played or hinted before. A pass when the side to move has no square.
ComputerMove hintMove(Game& game);

}  // namespace brelvoxan
