// Where the computer's moves are thought out. A program links one of two ways: think_here.cpp,
// in the program itself with the opponent it keeps (every desktop program), or
// think_in_worker.cpp, in the page's worker, so that the page's program carries no engine and
// goes on drawing and taking keys meanwhile.
#pragma once

#include <memory>
#include <optional>

#include "engine/opponent.h"
#include "game/think_job.h"

namespace brelvoxan {

// The move of the job's level and seed, one the rules allow. `kept` is the opponent kept between
// jobs when thinking here (made anew when the job's level or seed differs).
engine::ComputerMove thinkOfMove(std::shared_ptr<engine::Opponent>& kept, const ThinkJob& job);

// The job run once where the host runs such work (host::runJobElsewhere): its move, when the host
// ran it and the rules allow the answer; else nothing.
std::optional<engine::ComputerMove> askElsewhere(const ThinkJob& job);

}  // namespace brelvoxan
