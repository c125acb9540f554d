#include "game/opponent.h"

#include <algorithm>

#include "engine/bitboard.h"
#include "engine/search.h"
#include "reversi/cpu_player.h"

namespace brelvoxan {

Opponent::Opponent(int level, uint64_t seed, std::chrono::milliseconds thinkCap)
    : level_(std::clamp(level, kMinLevel, kMaxLevel)), thinkCap_(thinkCap) {
  if (level_ > kMinLevel) engine_ = std::make_unique<engine::Engine>(seed);
}

Opponent::~Opponent() = default;

ComputerMove Opponent::choose(const Board& b, Side side) {
  ComputerMove move;
  if (!engine_) {
    const CpuDecision d = decideCpuMove(b, side);
    if (!d.pass) move = {false, d.best.x, d.best.y};
    return move;
  }
  const engine::MoveChoice choice = engine_->choose(engine::fromBoard(b, side), level_, thinkCap_);
  if (choice.move != engine::kPassMove) {
    move = {false, static_cast<int16_t>(engine::columnOf(choice.move)),
            static_cast<int16_t>(engine::rowOf(choice.move))};
  }
  return move;
}

}  // namespace brelvoxan
