#include "game/think_here.h"

#include <string>

#include "game/think_job.h"
#include "host/platform.h"

namespace brelvoxan {

ComputerMove thinkHere(std::shared_ptr<Opponent>& kept, const ThinkJob& job) {
  Opponent& opponent = opponentFor(kept, job.level, job.seed);
  const ComputerMove move = opponent.choose(job.board, job.side);
  const std::string note = opponent.takeNote();
  if (!note.empty()) host::showMessage(note.c_str(), true);
  return move;
}

}  // namespace brelvoxan
