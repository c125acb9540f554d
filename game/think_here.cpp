// Thinking in the program itself: the kept opponent chooses on the game's board.
#include <string>

#include "game/thinking.h"
#include "host/platform.h"

namespace brelvoxan {

engine::ComputerMove thinkOfMove(std::shared_ptr<engine::Opponent>& kept, const ThinkJob& job) {
  engine::Opponent& opponent = opponentFor(kept, job.level, job.seed);
  const engine::ComputerMove move = opponent.choose(job.board, job.side);
  const std::string note = opponent.takeNote();
  if (!note.empty()) host::showMessage(("brelvoxan: " + note).c_str(), true);
  return move;
}

}  // namespace brelvoxan
