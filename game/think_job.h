// The computer's thinking at every level as a job in bytes, so that a front end can run it away
// from the thread that draws and takes keys (the page: in a worker with the engine alone) and
// hand back the move. The opponent that answers is kept from one job to the next and made anew
// only when the level or the seed changes, so its choices are those of the game thinking for
// itself.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "engine/opponent.h"
#include "reversi/board.h"

namespace brelvoxan {

struct ThinkJob {
  int level = engine::kDefaultGameLevel;  // engine::kMinLevel..engine::kMaxLevel
  uint64_t seed = 0;
  Board board{};  // the playing squares; the border is not sent
  Side side = kBlack;
};

// level, seed (8 bytes, low first), side, then the 64 squares column by column: 0 empty, 1 black,
// 2 white.
inline constexpr size_t kThinkJobBytes = 1 + 8 + 1 + 64;
// pass (0 or 1), x, y.
inline constexpr size_t kThinkAnswerBytes = 3;

std::vector<uint8_t> encodeThinkJob(const ThinkJob& job);
// Nothing for bytes that are not a job of a searching level.
std::optional<ThinkJob> decodeThinkJob(std::span<const uint8_t> bytes);

std::vector<uint8_t> encodeThinkAnswer(const engine::ComputerMove& move);
// Nothing for bytes that are not a pass or a square of the board.
std::optional<engine::ComputerMove> decodeThinkAnswer(std::span<const uint8_t> bytes);

// Whether the rules allow `move` for `side` on `b`: a square that turns stones, or a pass only
// without one.
bool allowedMove(const Board& b, Side side, const engine::ComputerMove& move);

// The opponent of the job's level and seed, `kept` when it is theirs, else made anew into `kept`.
engine::Opponent& opponentFor(std::shared_ptr<engine::Opponent>& kept, int level, uint64_t seed);

// What answers jobs: the opponent kept between them.
struct Thinker {
  std::shared_ptr<engine::Opponent> opponent;
};

// The encoded move for an encoded job; empty for bytes that are not a job.
std::vector<uint8_t> answerThinkJob(Thinker& thinker, std::span<const uint8_t> job);

}  // namespace brelvoxan
