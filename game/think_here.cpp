#include "game/think_here.h"

#include <string>

#include "game/think_job.h"
#include "host/platform.h"

namespace brelvoxan {

ComputerMove thinkHere(Game& game, Side side) {
  Opponent& opponent = opponentFor(game.opponent, game.level, game.seed);
  const ComputerMove move = opponent.choose(game.board, side);
  const std::string note = opponent.takeNote();
  if (!note.empty()) host::showMessage(note.c_str(), true);
  return move;
}

}  // namespace brelvoxan
