// The NBoard protocol: the commands an Othello analysis program sends an engine, one a line
// ("nboard 2", "set depth 10", "set game (;GM[Othello]...;)", "move f5", "hint 3", "go",
// "ping 4", "learn"), answered by the game's computer opponent. Pure: a line in, the answer lines
// out; nboard_loop.h reads and writes the streams.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/bitboard.h"
#include "engine/opponent.h"

namespace brelvoxan::gtp {

// The longest line taken: a whole game in GGF with a value and a time for every move, and room
// for comments.
inline constexpr size_t kMaxNboardLine = 65536;

// The level `set depth N` chooses: the strongest whose midgame search looks no further than N
// moves ahead (level 1 looks one move ahead), level 5 for 10 and beyond.
int levelForDepth(int depth);

class NboardSession {
 public:
  // `level` engine::kMinLevel..engine::kMaxLevel (clamped) until `set depth` chooses another.
  NboardSession(int level, uint64_t seed);
  ~NboardSession();
  NboardSession(const NboardSession&) = delete;
  NboardSession& operator=(const NboardSession&) = delete;

  // The lines (each ending in '\n') that answer one line of input; none for a blank line or a
  // command the protocol answers with silence. A command that cannot be carried out is answered
  // with one line "status error: ..." and changes nothing.
  std::string handle(std::string_view line);

  // After `quit`.
  bool quitting() const { return quitting_; }
  int level() const { return opponent_->level(); }

  // The opponent's note (engine::Opponent::takeNote), once; else nothing.
  std::string takeNote();

 private:
  std::string run(const std::string& command, std::string_view rest);
  std::string set(std::string_view rest);
  std::string move(std::string_view rest);
  std::string hint(std::string_view rest);
  std::string go();
  std::string status() const;
  bool over() const;

  uint64_t seed_;
  std::unique_ptr<engine::Opponent> opponent_;
  // Values the moves for hints when the opponent values none (level 1).
  std::unique_ptr<engine::Opponent> valuer_;
  engine::Position p_;  // the side to move's discs, then the other side's
  bool blackToMove_ = true;
  bool quitting_ = false;
};

}  // namespace brelvoxan::gtp
