// The computer's turn: the pause before its move, and the move its level chooses through the
// game's Opponent.
#pragma once

#include <cstdint>

#include "game/game_state.h"
#include "game/opponent.h"
#include "reversi/board.h"
#include "screen/character_screen.h"

namespace brelvoxan {

inline constexpr uint32_t kCpuThinkDelayMs = 700;

// The computer's choice for `side` on the game's board, by the game's opponent at the game's
// level (made again when the level has changed).
ComputerMove chooseCpuMove(Game& game, Side side);

// The computer's whole turn after its line is shown: the pause of kCpuThinkDelayMs, then the
// move. Level 1 decides when the pause ends; the searching levels think during the pause and
// play when it ends.
void computerTurn(Game& game, CharacterScreen& screen, Side side);

}  // namespace brelvoxan
