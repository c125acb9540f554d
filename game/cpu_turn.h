// The computer's turn: the pause before its move, and the move its level chooses through the
// game's Opponent.
#pragma once

#include <cstdint>
#include <memory>

#include "game/game_state.h"
#include "game/opponent.h"
#include "game/think_job.h"
#include "reversi/board.h"
#include "screen/character_screen.h"

namespace brelvoxan {

inline constexpr uint32_t kCpuThinkDelayMs = 700;

// The move of the job's level and seed: thought out where the front end runs such work (the page:
// in a worker, while it goes on drawing and taking keys), else here with `kept` (think_here.h); an
// answer the rules do not allow is never returned.
ComputerMove thinkOfMove(std::shared_ptr<Opponent>& kept, const ThinkJob& job);

// The computer's choice for `side` on the game's board, by the opponent of the game's level and
// seed (made again when either has changed): thought out where the front end runs such work
// (host::runJobElsewhere), else here.
ComputerMove chooseCpuMove(Game& game, Side side);

// The computer's whole turn after its line is shown: the pause of kCpuThinkDelayMs, then the
// move. Level 1 decides when the pause ends; the searching levels think during the pause and
// play when it ends.
void computerTurn(Game& game, CharacterScreen& screen, Side side);

}  // namespace brelvoxan
