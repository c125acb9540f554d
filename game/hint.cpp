#include "game/hint.h"

#include "game/thinking.h"

namespace brelvoxan {

engine::ComputerMove hintMove(Game& game) {
  return thinkOfMove(game.hintOpponent,
                     {engine::kMaxLevel, kHintSeed, game.board, game.sideToMove});
}

}  // namespace brelvoxan
