#include "engine/opponent.h"

#include <algorithm>

#include "engine/patterns.h"
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
  return think(p).square;
}

std::optional<Appraisal> Opponent::appraise(const Position& p) {
  if (!engine_ || legalMoves(p) == 0) return std::nullopt;
  return think(p);
}

Appraisal Opponent::think(const Position& p) {
  const MoveChoice choice = engine_->choose(p, level_, thinkCap_);
  if (choice.guarded && !guardNoted_) {
    guardNoted_ = true;
    note_ =
        "this machine is far slower than the levels are made for: a time cap now cuts the "
        "computer's thinking short, so its moves may differ from other machines'";
  }
  Appraisal a{choice.move, static_cast<double>(choice.score), choice.exact, choice.depth};
  if (!choice.exact) {
    // A midgame value is in the judgement's units, unless a finished game decided it: those lie
    // beyond every judgement, as far as the value of a whole board won.
    static const int won = terminalScore(Position{~Mask{0}, 0}) - 64;
    if (choice.score >= won) {
      a.discs = choice.score - won;
    } else if (choice.score <= -won) {
      a.discs = choice.score + won;
    } else {
      a.discs = static_cast<double>(choice.score) / kPatternScale;
    }
  }
  return a;
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
