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

ComputerMove thinkHere(Game& game, Side side) {
  const std::vector<uint8_t> job = encodeThinkJob({game.level, game.seed, game.board, side});
  for (;;) {
    host::sleepMs(kAskAgainMs);
    std::vector<uint8_t> answer;
    if (!host::runJobElsewhere(job, &answer)) continue;
    const std::optional<ComputerMove> move = decodeThinkAnswer(answer);
    if (move && allowedMove(game.board, side, *move)) return *move;
  }
}

}  // namespace brelvoxan
