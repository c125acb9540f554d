#include "game/hint.h"

namespace brelvoxan {

ComputerMove hintMove(Game& game) {
  return thinkOfMove(game.hintOpponent, {kMaxLevel, kHintSeed, game.board, game.sideToMove});
}

}  // namespace brelvoxan
