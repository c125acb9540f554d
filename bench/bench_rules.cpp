#include <benchmark/benchmark.h>

#include "reversi/board.h"
#include "reversi/cpu_player.h"
#include "reversi/perft.h"

namespace brelvoxan {
namespace {

void BM_PerftFromStart(benchmark::State& state) {
  const int depth = static_cast<int>(state.range(0));
  Board b;
  resetBoard(b);
  uint64_t leaves = 0;
  for (auto _ : state) {
    leaves = perft(b, kBlack, depth);
    benchmark::DoNotOptimize(leaves);
  }
  if (depth == 10 && leaves != 24571284u) state.SkipWithError("wrong leaf count at depth 10");
  state.counters["leaves"] = static_cast<double>(leaves);
  state.counters["nodes_per_second"] =
      benchmark::Counter(static_cast<double>(leaves) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PerftFromStart)->Arg(10)->Unit(benchmark::kMillisecond);

// A midgame position reached by letting the CPU play both sides for 24 plies.
Board midgamePosition() {
  Board b;
  resetBoard(b);
  Side side = kBlack;
  for (int ply = 0; ply < 24; ++ply, side = static_cast<Side>(-side)) {
    const CpuDecision d = decideCpuMove(b, side);
    if (d.pass) continue;
    const FlipScan scan = scanFlips(b, d.best.x, d.best.y, side);
    b.at(d.best.x, d.best.y) = side;
    applyFlips(b, scan, d.best.x, d.best.y, side);
  }
  return b;
}

void BM_CpuDecisionMidgame(benchmark::State& state) {
  Board b = midgamePosition();
  for (auto _ : state) {
    CpuDecision d = decideCpuMove(b, kBlack);
    benchmark::DoNotOptimize(d);
  }
  state.counters["candidates"] = static_cast<double>(decideCpuMove(b, kBlack).candidates.size());
}
BENCHMARK(BM_CpuDecisionMidgame);

}  // namespace
}  // namespace brelvoxan
