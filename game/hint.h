// The hint (H during the person's move): the move the strongest level would play for the
// person.
#pragma once

#include <chrono>

#include "game/cpu_turn.h"
#include "game/game_state.h"
#include "game/opponent.h"

namespace brelvoxan {

// The strongest level's own cap: its depths and exact endgames set the move, the cap only
// guards a slow machine, and the hint never takes longer than the computer's pause.
inline constexpr std::chrono::milliseconds kHintThinkCap = kDefaultThinkCap;
static_assert(kHintThinkCap < std::chrono::milliseconds{kCpuThinkDelayMs});

// The strongest level's move for the side to move, by a computer of its own made afresh with
// the game's seed: the same position always gives the same hint, whatever was played or hinted
// before. A pass when the side to move has no square.
ComputerMove hintMove(const Game& game);

}  // namespace brelvoxan
