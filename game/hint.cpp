#include "game/hint.h"

namespace brelvoxan {

ComputerMove hintMove(const Game& game) {
  Opponent strongest(kMaxLevel, kHintSeed, kHintThinkCap);
  return strongest.choose(game.board, game.sideToMove);
}

}  // namespace brelvoxan
