#include "engine/opponent.h"

#include <algorithm>

#include "engine/search.h"
#include "reversi/cpu_player.h"

namespace brelvoxan::engine {

Opponent::Opponent(int level, uint64_t seed, std::chrono::milliseconds thinkCap)
    : level_(std::clamp(level, kMinLevel, kMaxLevel)), seed_(seed), thinkCap_(thinkCap) {
  if (level_ >= kMinSearchLevel) engine_ = std::make_unique<Engine>(seed);
}

Opponent::~Opponent() = default;

int Opponent::chooseSquare(const Position& p, Side side) {
  if (!engine_) {
    Board b;
    toBoard(p, side, &b);
    const CpuDecision d = decideCpuMove(b, side);
    return d.pass ? kPassMove : squareOf(d.best.x, d.best.y);
  }
  const MoveChoice choice = engine_->choose(p, level_, thinkCap_);
  if (choice.guarded && !guardNoted_) {
    guardNoted_ = true;
    note_ =
        "this machine is far slower than the levels are made for: a time cap now cuts the "
        "computer's thinking short, so its moves may differ from other machines'";
  }
  return choice.move;
}

ComputerMove Opponent::choose(const Board& b, Side side) {
  ComputerMove move;
  if (!engine_) {
    // The rules' own player reads the board as it is.
    const CpuDecision d = decideCpuMove(b, side);
    if (!d.pass) move = {false, d.best.x, d.best.y};
    return move;
  }
  const int square = chooseSquare(fromBoard(b, side), side);
  if (square != kPassMove) {
    move = {false, static_cast<int16_t>(columnOf(square)), static_cast<int16_t>(rowOf(square))};
  }
  return move;
}

}  // namespace brelvoxan::engine
