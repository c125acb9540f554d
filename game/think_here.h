// The computer's move when the front end has not thought it out elsewhere
// (host::runJobElsewhere). Every program but the page thinks with the game's own opponent
// (think_here.cpp); the page's program carries no engine and asks its worker again
// (think_elsewhere_only.cpp).
#pragma once

#include <memory>

#include "game/opponent.h"
#include "game/think_job.h"

namespace brelvoxan {

// `kept` is the opponent kept for such jobs (made anew when the job's level or seed differs).
ComputerMove thinkHere(std::shared_ptr<Opponent>& kept, const ThinkJob& job);

}  // namespace brelvoxan
