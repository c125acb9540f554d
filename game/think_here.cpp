#include "game/think_here.h"

#include "game/think_job.h"

namespace brelvoxan {

ComputerMove thinkHere(Game& game, Side side) {
  return opponentFor(game.opponent, game.level, game.seed).choose(game.board, side);
}

}  // namespace brelvoxan
