// The computer's move when the front end has not thought it out elsewhere
// (host::runJobElsewhere). Every program but the page thinks with the game's own opponent
// (think_here.cpp); the page's program carries no engine and asks its worker again
// (think_elsewhere_only.cpp).
#pragma once

#include "game/game_state.h"

namespace brelvoxan {

ComputerMove thinkHere(Game& game, Side side);

}  // namespace brelvoxan
