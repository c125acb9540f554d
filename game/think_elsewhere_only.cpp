// The page's thinking: always in its worker, so that its program carries no engine. A job the
// worker could not answer (its files could not be loaded, say offline before they were kept) is
// asked again after a pause, while the page says what is wrong; the page goes on drawing and
// taking keys meanwhile.
#include <vector>

#include "game/think_here.h"
#include "game/think_job.h"
#include "host/platform.h"

namespace brelvoxan {

namespace {
constexpr uint32_t kAskAgainMs = 2000;
}  // namespace

ComputerMove thinkHere(std::shared_ptr<Opponent>& /*kept*/, const ThinkJob& job) {
  const std::vector<uint8_t> bytes = encodeThinkJob(job);
  for (;;) {
    host::sleepMs(kAskAgainMs);
    std::vector<uint8_t> answer;
    if (!host::runJobElsewhere(bytes, &answer)) continue;
    const std::optional<ComputerMove> move = decodeThinkAnswer(answer);
    if (move && allowedMove(job.board, job.side, *move)) return *move;
  }
}

}  // namespace brelvoxan
