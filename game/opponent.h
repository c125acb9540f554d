// The computer opponent at a chosen level: level 1 is the one-move-ahead player with the fixed
// table of square weights (cpu_player.h), the levels above it the searching engine (search.h).
// The game, the simulator and the match tool all choose the computer's moves through it.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "engine/levels.h"
#include "reversi/board.h"

namespace brelvoxan {

namespace engine {
class Engine;
}

// Level 1 is the one-move-ahead player; each level above it is one of the engine's.
inline constexpr int kMinLevel = 1;
inline constexpr int kMaxLevel = engine::kMaxLevel;
inline constexpr int kDefaultLevel = kMinLevel;
static_assert(engine::kMinSearchLevel == kMinLevel + 1);

// The longest a searching level thinks about one move by default: within the computer's pause.
inline constexpr std::chrono::milliseconds kDefaultThinkCap{600};

struct ComputerMove {
  bool pass = true;
  int16_t x = 0;  // 1..8 when not a pass
  int16_t y = 0;
};

class Opponent {
 public:
  // `level` kMinLevel..kMaxLevel (clamped); `seed` makes the choices among equal moves of the
  // searching levels repeatable.
  Opponent(int level, uint64_t seed, std::chrono::milliseconds thinkCap = kDefaultThinkCap);
  ~Opponent();
  Opponent(const Opponent&) = delete;
  Opponent& operator=(const Opponent&) = delete;

  int level() const { return level_; }

  // The move for `side` on `b`; `b` is left as it was.
  ComputerMove choose(const Board& b, Side side);

 private:
  int level_;
  std::chrono::milliseconds thinkCap_;
  std::unique_ptr<engine::Engine> engine_;  // the searching levels only
};

}  // namespace brelvoxan
