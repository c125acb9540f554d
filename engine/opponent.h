// The computer opponent at a chosen level: level 1 is the one-move-ahead player with the fixed
// table of square weights (reversi/cpu_player.h), the levels above it the searching engine
// (search.h). Every program chooses the computer's moves through it: the game, the simulator
// and its matches, the page's worker and brelvoxan-engine.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "engine/bitboard.h"
#include "engine/levels.h"
#include "reversi/board.h"

namespace brelvoxan::engine {

class Engine;

// The time cap of the searching levels: their budgets keep a move within the computer's pause,
// and past the cap only a machine far slower than a desktop's has its search cut short.
inline constexpr std::chrono::milliseconds kThinkCap{600};

// What a searching level thinks of a position: the move it plays and that move's value for the
// side to move, in discs.
struct Appraisal {
  int square = kPassMove;
  double discs = 0;
  bool exact = false;  // solved to the end: `discs` is the final disc difference with best play
  int depth = 0;       // otherwise the plies searched ahead
};

struct ComputerMove {
  bool pass = true;
  int16_t x = 0;  // 1..8 when not a pass
  int16_t y = 0;
};

class Opponent {
 public:
  // `level` kMinLevel..kMaxLevel (clamped); `seed` makes the choices among equal moves of the
  // searching levels repeatable.
  Opponent(int level, uint64_t seed, std::chrono::milliseconds thinkCap = kThinkCap);
  ~Opponent();
  Opponent(const Opponent&) = delete;
  Opponent& operator=(const Opponent&) = delete;

  int level() const { return level_; }
  uint64_t seed() const { return seed_; }

  // The square for the side to move in `p`, `side` its colour, or kPassMove without one.
  int chooseSquare(const Position& p, Side side);
  // The move of chooseSquare with its value, for the searching levels; nothing at level 1, which
  // values no move, or when the side to move in `p` has no move.
  std::optional<Appraisal> appraise(const Position& p);
  // The same for `side` on `b`.
  ComputerMove choose(const Board& b, Side side);

  // Once, after the time guard first cut a search short (a machine far slower than the levels
  // are made for): a sentence to tell the person, which the program prefixes with its name;
  // else nothing.
  std::string takeNote() { return std::exchange(note_, {}); }

 private:
  int level_;
  uint64_t seed_;
  std::chrono::milliseconds thinkCap_;
  // The engine's choice for `p`, noting the time guard.
  Appraisal think(const Position& p);

  std::unique_ptr<Engine> engine_;  // the searching levels only
  bool guardNoted_ = false;
  std::string note_;
};

}  // namespace brelvoxan::engine
