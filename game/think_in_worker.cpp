// Thinking in the page's worker, always, so that the page's program carries no engine. A job the
// worker could not answer (its files could not be loaded, say offline before they were kept) is
// asked again after a pause, while the page says what is wrong; the page goes on drawing and
// taking keys meanwhile.
#include "game/thinking.h"
#include "host/platform.h"

namespace brelvoxan {

namespace {
constexpr uint32_t kAskAgainMs = 2000;
}  // namespace

engine::ComputerMove thinkOfMove(std::shared_ptr<engine::Opponent>& /*kept*/, const ThinkJob& job) {
  for (;;) {
    if (const std::optional<engine::ComputerMove> move = askElsewhere(job)) return *move;
    host::sleepMs(kAskAgainMs);
  }
}

}  // namespace brelvoxan
