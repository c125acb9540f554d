#include "game/thinking.h"

#include <vector>

#include "host/platform.h"

namespace brelvoxan {

std::optional<engine::ComputerMove> askElsewhere(const ThinkJob& job) {
  std::vector<uint8_t> answer;
  if (!host::runJobElsewhere(encodeThinkJob(job), &answer)) return std::nullopt;
  const std::optional<engine::ComputerMove> move = decodeThinkAnswer(answer);
  if (!move || !allowedMove(job.board, job.side, *move)) return std::nullopt;
  return move;
}

}  // namespace brelvoxan
