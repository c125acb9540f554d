#include "game/think_job.h"

namespace brelvoxan {

namespace {

constexpr uint8_t kNoStone = 0;
constexpr uint8_t kBlackStone = 1;
constexpr uint8_t kWhiteStone = 2;

uint8_t stoneByte(Cell cell) {
  return cell == kBlack ? kBlackStone : cell == kWhite ? kWhiteStone : kNoStone;
}

}  // namespace

std::vector<uint8_t> encodeThinkJob(const ThinkJob& job) {
  std::vector<uint8_t> bytes;
  bytes.reserve(kThinkJobBytes);
  bytes.push_back(static_cast<uint8_t>(job.level));
  for (int shift = 0; shift < 64; shift += 8)
    bytes.push_back(static_cast<uint8_t>(job.seed >> shift));
  bytes.push_back(job.side == kBlack ? kBlackStone : kWhiteStone);
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) bytes.push_back(stoneByte(job.board.at(x, y)));
  }
  return bytes;
}

std::optional<ThinkJob> decodeThinkJob(std::span<const uint8_t> bytes) {
  if (bytes.size() != kThinkJobBytes) return std::nullopt;
  ThinkJob job;
  job.level = bytes[0];
  if (job.level < engine::kMinLevel || job.level > engine::kMaxLevel) return std::nullopt;
  job.seed = 0;
  for (size_t i = 0; i < 8; ++i) job.seed |= uint64_t{bytes[1 + i]} << (8 * i);
  if (bytes[9] != kBlackStone && bytes[9] != kWhiteStone) return std::nullopt;
  job.side = bytes[9] == kBlackStone ? kBlack : kWhite;
  job.board.cells.fill(kWall);
  size_t at = 10;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const uint8_t stone = bytes[at++];
      if (stone > kWhiteStone) return std::nullopt;
      job.board.at(x, y) = stone == kBlackStone ? kBlack : stone == kWhiteStone ? kWhite : kEmpty;
    }
  }
  return job;
}

std::vector<uint8_t> encodeThinkAnswer(const engine::ComputerMove& move) {
  if (move.pass) return {1, 0, 0};
  return {0, static_cast<uint8_t>(move.x), static_cast<uint8_t>(move.y)};
}

std::optional<engine::ComputerMove> decodeThinkAnswer(std::span<const uint8_t> bytes) {
  if (bytes.size() != kThinkAnswerBytes || bytes[0] > 1) return std::nullopt;
  if (bytes[0] == 1) return engine::ComputerMove{};
  if (bytes[1] < 1 || bytes[1] > 8 || bytes[2] < 1 || bytes[2] > 8) return std::nullopt;
  return engine::ComputerMove{false, bytes[1], bytes[2]};
}

bool allowedMove(const Board& b, Side side, const engine::ComputerMove& move) {
  if (move.pass) return !hasAnyLegalMove(b, side);
  return move.x >= 1 && move.x <= 8 && move.y >= 1 && move.y <= 8 &&
         b.at(move.x, move.y) == kEmpty && isLegalMove(b, move.x, move.y, side);
}

engine::Opponent& opponentFor(std::shared_ptr<engine::Opponent>& kept, int level, uint64_t seed) {
  if (!kept || kept->level() != level || kept->seed() != seed) {
    kept = std::make_shared<engine::Opponent>(level, seed);
  }
  return *kept;
}

std::vector<uint8_t> answerThinkJob(Thinker& thinker, std::span<const uint8_t> bytes) {
  const std::optional<ThinkJob> job = decodeThinkJob(bytes);
  if (!job) return {};
  engine::Opponent& opponent = opponentFor(thinker.opponent, job->level, job->seed);
  return encodeThinkAnswer(opponent.choose(job->board, job->side));
}

}  // namespace brelvoxan
