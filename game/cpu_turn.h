// The computer's turn: the pause before its move, and the move its level chooses (thinking.h).
#pragma once

#include <chrono>
#include <cstdint>

#include "engine/opponent.h"
#include "game/game_state.h"
#include "reversi/board.h"
#include "screen/character_screen.h"

namespace brelvoxan {

inline constexpr uint32_t kCpuThinkDelayMs = 700;

// The searching levels think within the pause, the hint too: their depths and exact endgames set
// the move, and the time cap only guards a slow machine.
static_assert(engine::kThinkCap < std::chrono::milliseconds{kCpuThinkDelayMs});

// The computer's choice for `side` on the game's board, by the opponent of the game's level and
// seed (made again when either has changed), thought out where this program thinks.
engine::ComputerMove chooseCpuMove(Game& game, Side side);

// The computer's whole turn after its line is shown: the pause of kCpuThinkDelayMs, then the
// move. Level 1 decides when the pause ends; the searching levels think during the pause and
// play when it ends.
void computerTurn(Game& game, CharacterScreen& screen, Side side);

}  // namespace brelvoxan
