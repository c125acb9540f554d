#include "engine/endgame.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <thread>

#include "engine/evaluation.h"
#include "engine/patterns.h"

namespace brelvoxan::engine {

namespace {

// Up to this many empty squares the solver walks the list of empty squares instead of
// generating moves; with exactly this many it still sorts them by the opponent's replies and
// keeps a table, and below it tries moves in parity order without either; from kOrderedEmpties
// on it sorts them fully. Sorting and keeping from five empty squares on visits a fifth fewer
// positions than from six, for a little more work at each. Near the end, where the side that
// must gain discs often has few to gain, the opponent's stable discs cut many positions: from
// two empty squares on, where a cut spares the last moves' positions.
constexpr int kSmallEmpties = 4;
constexpr int kOrderedEmpties = 5;
// The fastest-first order weighs frontiers from this many empty squares on; from ten it cost
// more work at each position and visited 0.5% more of them.
constexpr int kFrontierEmpties = 12;
// From this many empty squares on, the learnt judgement helps order moves, one move further
// ahead every kJudgedDepthStep squares more.
constexpr int kJudgedOrderEmpties = 12;
constexpr int kJudgedDepthStep = 6;
// Marks a child the table already knows to fail low; below every ordering key.
constexpr int kKnownLow = INT32_MIN;
// At the root the best move first matters most, and a deeper look costs little: six moves
// ahead visits 4% fewer positions than four on the bench's ten, 1.5% on sixteen others; eight
// and ten visit more.
constexpr int kRootJudgedDepth = 6;
// Above every judged score.
constexpr int kJudgedBound = 1 << 20;
// From this many moves ahead, the judgement's own search sorts its moves.
constexpr int kJudgedSortDepth = 3;
// The first guess searches the judgement this many moves ahead at most, and kEstimateShallower
// fewer than there are empty squares. On 139 positions of 19 to 24 empty squares from the
// engine's own games (level 3 after twelve random moves), solved exactly, it misses by 4.9 discs
// on average; the judgement does not shrink large scores there (the best fitting scale was
// 0.96), so the guess is used as it is. Two moves deeper it misses by 4.2, but on ten other
// positions of 23 empty squares its own positions cost more than the passes it saves (416 M
// positions in all against 394 M).
constexpr int kEstimateDepth = 10;
constexpr int kEstimateShallower = 14;
// Positions with fewer empty squares than this go to a table of their own: they are the most
// numerous and the cheapest to search again, and would push the deeper ones out. The table is
// small enough to stay in the processor's second-level cache (2^13 entries, 256 KB): most of
// what it finds again was seen a few moves before, and a miss there costs far less than one in
// memory. On the bench's ten endgames, one core, in turns, it took 58 to 67 s and 418 M
// positions against 66 to 79 s and 410 M with 2^17 entries (4 MB) for fewer than nine empty
// squares; 2^12 entries for fewer than seven took 68 to 71 s, as the large table then holds
// too many.
constexpr int kShallowTableEmpties = 8;
constexpr int kShallowTableBits = 13;

// With two threads, a node shares its children out from this many empty squares on: below, a
// child's search is too short to be worth a thread's start.
constexpr int kSplitEmpties = 12;

// Selective passes cut positions from this many empty squares on: below, a cut saves little.
constexpr int kSelectiveEmpties = 10;

// What a selective cut looks at: the learnt judgement searched `depth` moves ahead, one move
// further every four empty squares, and the exact score less that judgement, its mean and its
// standard deviation in 1/kPatternScale discs. Fitted by `brelvoxan-scored-bench
// --fit-solver-cuts 280` on 2,098 positions of 10 to 23 empty squares (self-played games, then
// random moves), each solved exactly; the two deepest rows take the 20-23 band's figures at
// their depths. The judgement errs one way at odd depths and the other at even ones, which the
// means carry. Searching each band a move further ahead, every three empty squares, cut more
// surely but cost more than it saved (438 M positions against 394 M on three of the bench's
// endgames).
struct CutModel {
  int depth;
  int mean;
  int spread;
};
constexpr int kCutFirstEmpties = 8;
constexpr int kCutStep = 4;
constexpr CutModel kSolverCuts[] = {
    {0, -4, 91},   // 10-11 empty squares
    {1, 17, 76},   // 12-15
    {2, -9, 68},   // 16-19
    {3, 39, 64},   // 20-23
    {4, -11, 60},  // 24-27
    {5, 29, 55},   // 28 and more
};

CutModel cutModel(int empties) {
  const int band = std::clamp((empties - kCutFirstEmpties) / kCutStep, 0,
                              static_cast<int>(std::size(kSolverCuts)) - 1);
  return kSolverCuts[band];
}

// The four quadrants, for parity ordering.
constexpr Mask kQuadrants[4] = {0x000000000F0F0F0FULL, 0x00000000F0F0F0F0ULL, 0x0F0F0F0F00000000ULL,
                                0xF0F0F0F000000000ULL};

// The empty squares of the quadrants holding an odd number of them. Folding four rows onto the
// first of each half and then four columns onto the first of each quarter leaves each
// quadrant's parity in its top left square.
Mask oddQuadrants(Mask empty) {
  Mask x = empty ^ (empty >> 8);
  x ^= x >> 16;
  x ^= x >> 1;
  x ^= x >> 2;
  return empty & (((x & 1) * kQuadrants[0]) | (((x >> 4) & 1) * kQuadrants[1]) |
                  (((x >> 32) & 1) * kQuadrants[2]) | (((x >> 36) & 1) * kQuadrants[3]));
}

// The squares round each square, for a quick test that a move may turn something.
constexpr auto kNeighbours = [] {
  std::array<Mask, 64> n{};
  for (int sq = 0; sq < 64; ++sq) {
    const int x = sq % 8;
    const int y = sq / 8;
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        if ((dx || dy) && x + dx >= 0 && x + dx < 8 && y + dy >= 0 && y + dy < 8) {
          n[static_cast<size_t>(sq)] |= Mask{1} << ((y + dy) * 8 + x + dx);
        }
      }
    }
  }
  return n;
}();

Mask neighbours(int square) {
  return kNeighbours[static_cast<size_t>(square)];
}

// The discs a move on the last empty square turns, counted along each of its four lines at once:
// with every other square taken, a line's discs that are not the mover's are the opponent's.
// kLineFlips[pos][line] counts the discs turned on an eight-square line by a move at `pos`,
// `line` holding the mover's discs; squares off a short diagonal read as the opponent's, and a
// run of those is closed by nothing, as at the edge.
constexpr auto kLineFlips = [] {
  std::array<std::array<uint8_t, 256>, 8> t{};
  for (int pos = 0; pos < 8; ++pos) {
    for (int line = 0; line < 256; ++line) {
      int flips = 0;
      for (const int step : {-1, 1}) {
        int run = 0;
        int at = pos + step;
        while (at >= 0 && at < 8 && !((line >> at) & 1)) {
          ++run;
          at += step;
        }
        if (at >= 0 && at < 8) flips += run;
      }
      t[static_cast<size_t>(pos)][static_cast<size_t>(line)] = static_cast<uint8_t>(flips);
    }
  }
  return t;
}();

int lastFlips(Mask mover, int square) {
  constexpr Mask kFold = 0x0101010101010101ULL;        // gathers distinct columns into the top row
  constexpr Mask kColumnFold = 0x0102040810204080ULL;  // gathers column a's rows, in order
  const int x = square % 8;
  const int y = square / 8;
  const auto& flips = kLineFlips;
  const auto& rays = detail::kRays;
  // Both ways along the diagonal towards higher columns and rows, and along the other one.
  const Mask diagonal = rays.up[square][2] | rays.down[square][2];
  const Mask otherDiagonal = rays.up[square][3] | rays.down[square][3];
  return flips[static_cast<size_t>(x)][(mover >> (8 * y)) & 0xFF] +
         flips[static_cast<size_t>(y)][(((mover >> x) & kFold) * kColumnFold) >> 56] +
         flips[static_cast<size_t>(x)][((mover & diagonal) * kFold) >> 56] +
         flips[static_cast<size_t>(x)][((mover & otherDiagonal) * kFold) >> 56];
}

// The corners among `m`: four bits, cheaper to add up than a count of all 64.
int cornerCount(Mask m) {
  return static_cast<int>((m & 1) + ((m >> 7) & 1) + ((m >> 56) & 1) + (m >> 63));
}

// The most the side to move can end with, the opponent's stable discs being its own for good;
// 64 without a look when the opponent has too few discs for that to reach `alpha`. A bound
// from `beta` up changes nothing for the caller, so one may be given without the full count.
int stableUpper(const Position& p, int alpha, int beta) {
  if (alpha < 64 - 2 * countBits(p.opp)) return 64;
  // Below beta only from more stable discs than this.
  const int least = (64 - beta) / 2 + 1;
  return 64 - 2 * stableCount(p.opp, p.own, least);
}

// The solver's ordering: the fewest replies for the opponent first (corner replies count
// three times where frontiers weigh in, twice nearer the end), then corners and moves in odd
// quadrants; cheaper than moveOrderKey and better for exact play.
// `replies` are the opponent's moves in `next`. `frontier` adds the frontiers' weight, each
// empty square three quarters of a reply (a quarter, or a whole reply, visit 3% more positions):
// near the end they hardly change the order and cost more than they save.
int endgameKey(const Position& next, Mask replies, int square, Mask odd, bool frontier) {
  int key = -16 * (countBits(replies) + (frontier ? 2 : 1) * cornerCount(replies));
  if (bitOf(square) & kCornerMask) key += 12;
  if (bitOf(square) & odd) key += 2;
  if (!frontier) return key;
  // Frontier: empty squares next to the opponent's discs are the mover's future moves.
  const Mask empty = next.empties();
  key += 12 * (countBits(emptyNeighbours(next.own, empty)) -
               countBits(emptyNeighbours(next.opp, empty)));
  return key;
}

// A child in the solver's order, with what its own search would otherwise compute again: the
// hash of its position and the replies the order already looked at.
struct SolverChild {
  Position next;
  uint64_t hash;
  Mask replies;
  int square;
  int key;
};

using SolverChildren = ChildRoom<SolverChild>;

// The children of `p`, with `empties` empty squares, best first, by endgameKey, ties in the
// order of their squares; from kJudgedOrderEmpties on, the learnt judgement of each child,
// searched a little ahead where many squares are empty, weighs in too: a disc of predicted
// result counts half as much as one reply. `slotOf(hash, next)` names memory the search will
// soon read for a child; it is fetched while the others are sorted. `judge(next, depth,
// replies)` gives the judgement.
template <class SlotOf, class Judge>
int endgameChildren(const Position& p, int empties, Mask moves, SolverChild* out, SlotOf slotOf,
                    Judge judge) {
  const Mask odd = oddQuadrants(p.empties());
  const bool frontier = empties - 1 >= kFrontierEmpties;
  const bool judged = empties >= kJudgedOrderEmpties;
  const int depth = (empties - kJudgedOrderEmpties) / kJudgedDepthStep;
  int n = 0;
  for (; moves; moves &= moves - 1) {
    const int sq = std::countr_zero(moves);
    const Position next = afterMove(p, sq, flipsOf(p, sq));
    const uint64_t hash = hashPosition(next);
    __builtin_prefetch(slotOf(hash, next));
    const Mask replies = legalMoves(next);
    int key = endgameKey(next, replies, sq, odd, frontier);
    if (judged) key -= judge(next, depth, replies) * 8 / kPatternScale;
    int i = n++;
    for (; i > 0 && out[i - 1].key < key; --i) out[i] = out[i - 1];
    out[i] = SolverChild{next, hash, replies, sq, key};
  }
  return n;
}

}  // namespace

int EndgameSolver::evaluate(const Position& p, Mask moves) {
  ++judged_;
  ++evaluations_;
  stop_.poll(nodes_ + judged_);
  return patternScore(p, moves);
}

int EndgameSolver::judge(const Position& p, int depth, int alpha, int beta) {
  const Mask moves = legalMoves(p);
  if (depth <= 0) return evaluate(p, moves);
  ++judged_;
  if (poll()) return 0;
  if (!moves) {
    const Position q = p.passed();
    if (!legalMoves(q)) return finalScore(p) * kPatternScale;
    return -judge(q, depth - 1, -beta, -alpha);
  }
  int best = -kJudgedBound;
  // True when the rest of the moves need no look.
  const auto visit = [&](const Position& next) {
    const int v = -judge(next, depth - 1, -beta, -alpha);
    if (v > best) {
      best = v;
      alpha = std::max(alpha, v);
    }
    return alpha >= beta || halted();
  };
  if (depth >= kJudgedSortDepth) {
    // Deep enough for the order to pay: the moves the judgement likes best first.
    Children children;
    const int n = sortedChildren(p, moves, -1, children.data(), [this](const Position& next, int) {
      return -evaluate(next, legalMoves(next));
    });
    for (int i = 0; i < n && !visit(children[i].next); ++i) {
    }
  } else {
    for (Mask left = moves; left; left &= left - 1) {
      const int sq = std::countr_zero(left);
      if (visit(afterMove(p, sq, flipsOf(p, sq)))) break;
    }
  }
  return best;
}

int EndgameSolver::judgement(const Position& p, int depth) {
  stop_.start(SearchLimit{}, nodes_ + judged_);
  return judge(p, depth, -kJudgedBound, kJudgedBound);
}

int EndgameSolver::estimate(const Position& p, int empties) {
  // The judgement searched an odd and an even number of moves ahead: one errs one way, the
  // other the other way, so their mean is taken, rounded down because a guess too high costs
  // far more passes than one too low.
  const int depth = std::min(kEstimateDepth, empties - kEstimateShallower);
  if (depth < 2) return 0;
  const int sum = judge(p, depth - 1, -kJudgedBound, kJudgedBound) +
                  judge(p, depth, -kJudgedBound, kJudgedBound);
  const int steps = 2 * kPatternScale;
  return sum >= 0 ? sum / steps : -((-sum + steps - 1) / steps);
}

EndgameSolver::EndgameSolver(int tableBits)
    : deepOwned_(new Pair[size_t{1} << (tableBits - 1)]),
      deep_(deepOwned_.get()),
      deepMask_((Mask{1} << (tableBits - 1)) - 1),
      shallow_(new Pair[size_t{1} << (kShallowTableBits - 1)]),
      stop_(),
      tableBits_(tableBits) {}

EndgameSolver::EndgameSolver(Pair* deep, int tableBits)
    : deep_(deep),
      deepMask_((Mask{1} << (tableBits - 1)) - 1),
      shallow_(new Pair[size_t{1} << (kShallowTableBits - 1)]),
      stop_(),
      tableBits_(tableBits) {}

EndgameSolver::~EndgameSolver() = default;

void EndgameSolver::setThreads(int threads) {
  if (threads <= 1) {
    helper_.reset();
  } else if (!helper_) {
    // Private constructor: make_unique cannot reach it.
    helper_.reset(new EndgameSolver(deep_, tableBits_));
  }
}

EndgameSolver::Pair* EndgameSolver::pairFor(uint64_t hash, int empties) {
  // Pair i holds the slots 2i and 2i + 1 of a table of single entries.
  const uint64_t pair = hash >> 1;
  if (empties < kShallowTableEmpties) {
    constexpr Mask kShallowMask = (Mask{1} << (kShallowTableBits - 1)) - 1;
    return &shallow_[static_cast<size_t>(pair & kShallowMask)];
  }
  return &deep_[static_cast<size_t>(pair & deepMask_)];
}

namespace {

// An entry from and to its data word (std::bit_cast, where every library has it).
template <class To, class From>
To sameBits(const From& from) {
  static_assert(sizeof(To) == sizeof(From));
  To to;
  std::memcpy(static_cast<void*>(&to), &from, sizeof to);
  return to;
}

}  // namespace

void EndgameSolver::save(Slot& slot, const Position& p, const Entry& e) {
  const auto data = sameBits<uint64_t>(e);
  slot.data.store(data, std::memory_order_relaxed);
  slot.ownKey.store(p.own ^ data, std::memory_order_relaxed);
  slot.oppKey.store(p.opp ^ data, std::memory_order_relaxed);
}

inline bool EndgameSolver::find(const Pair* pair, const Position& p, Entry* entry, int* slot) {
  // The keys are compared first; the entry is read out only for the position's own slot.
  for (int i = 0; i < 2; ++i) {
    const Slot& s = pair->slots[i];
    const uint64_t data = s.data.load(std::memory_order_relaxed);
    if ((s.ownKey.load(std::memory_order_relaxed) ^ data) == p.own &&
        (s.oppKey.load(std::memory_order_relaxed) ^ data) == p.opp) {
      *entry = sameBits<Entry>(data);
      *slot = i;
      return true;
    }
  }
  return false;
}

EndgameSolver::Entry EndgameSolver::place(const Pair* pair, const Position& p, int empties,
                                          int* slot) {
  // No selective cut reaches below kSelectiveEmpties: what is found there is exact in any pass.
  const auto certainty =
      static_cast<int8_t>(empties < kSelectiveEmpties ? kExactCertainty : certainty_);
  // Two slots per position: its own entry if there is one, else the one for fewer empty
  // squares (cheaper to find again) gives way. Bounds of another certainty are dropped, never
  // mixed with these.
  Entry e;
  if (find(pair, p, &e, slot)) {
    if (e.certainty != certainty) {
      e.lower = -64;
      e.upper = 64;
      e.certainty = certainty;
    }
    return e;
  }
  const auto emptiesIn = [&](int i) {
    return sameBits<Entry>(pair->slots[i].data.load(std::memory_order_relaxed)).empties;
  };
  *slot = emptiesIn(0) <= emptiesIn(1) ? 0 : 1;
  e = Entry{};
  e.empties = static_cast<int8_t>(empties);
  e.certainty = certainty;
  return e;
}

bool EndgameSolver::trusted(const Pair* pair, const Position& p, Entry* entry) {
  int slot;
  return find(pair, p, entry, &slot) && entry->certainty >= certainty_;
}

bool EndgameSolver::recall(const Pair* pair, const Position& p, int* alpha, int* beta, int* score,
                           int* move) {
  Entry entry;
  int slot;
  if (!find(pair, p, &entry, &slot)) return false;
  *move = entry.move;
  // A less certain pass's bounds may be wrong here; its move is still a good first try.
  if (entry.certainty < certainty_) return false;
  if (entry.lower >= *beta || entry.lower == entry.upper) {
    *score = entry.lower;
    return true;
  }
  if (entry.upper <= *alpha) {
    *score = entry.upper;
    return true;
  }
  *alpha = std::max(*alpha, static_cast<int>(entry.lower));
  *beta = std::min(*beta, static_cast<int>(entry.upper));
  return false;
}

void EndgameSolver::record(Pair* pair, const Position& p, int empties, int alpha, int beta,
                           int best, int bestMove) {
  int slot;
  Entry store = place(pair, p, empties, &slot);
  if (best >= beta) {
    store.lower = static_cast<int8_t>(best);
  } else if (best <= alpha) {
    store.upper = static_cast<int8_t>(best);
  } else {
    store.lower = store.upper = static_cast<int8_t>(best);
  }
  store.move = static_cast<int8_t>(bestMove);
  save(pair->slots[slot], p, store);
}

int EndgameSolver::searchRoot(const Child* children, int n, int alpha, int beta, int empties,
                              int* move) {
  int best = -65;
  if (helper_) {
    // The first child alone, both threads sharing the work below it; the others on both in the
    // same window, then all read in order: the first to reach the best value is the move, as
    // on one thread.
    int values[32];
    values[0] = -search(children[0].next, -beta, -alpha, empties - 1);
    if (stopped()) return best;
    if (values[0] < beta && n > 1) {
      searchChildren(children + 1, n - 1, std::max(alpha, values[0]), beta, empties, true,
                     values + 1);
    }
    for (int i = 0; i < n && !stopped(); ++i) {
      if (values[i] > best) {
        best = values[i];
        *move = children[i].square;
        if (best >= beta) break;
      }
    }
    return best;
  }
  for (int i = 0; i < n && !stop_.stopped(); ++i) {
    const int v = -search(children[i].next, -beta, -alpha, empties - 1);
    if (v > best) {
      best = v;
      *move = children[i].square;
      alpha = std::max(alpha, v);
      if (alpha >= beta) break;
    }
  }
  return best;
}

template <class Work>
void EndgameSolver::onBothThreads(Work work) {
  helperBusy_.store(true, std::memory_order_relaxed);
  std::thread second([&] {
    work(*helper_, *this);
    // From here on this thread leaves the helper alone: the next split may start another.
    helperBusy_.store(false, std::memory_order_release);
  });
  work(*this, *helper_);
  second.join();
  abandoned_.store(false, std::memory_order_relaxed);
  helper_->abandoned_.store(false, std::memory_order_relaxed);
  if (helper_->stop_.stopped()) stop_.halt();
}

void EndgameSolver::searchChildren(const Child* children, int n, int alpha, int beta, int empties,
                                   bool cuts, int* values) {
  // The threads take the children in order, one at a time; once one reaches beta, the
  // children after it are needed no more, and a thread on one of them gives it up, but every
  // one before it still is. With `cuts`, a child taken after one reached a value only needs to
  // show whether it does better: every child that could tie it comes later in the order, where
  // a tie does not count.
  std::atomic<int> taken{0};
  std::atomic<int> firstCut{n};
  std::atomic<int> floor{alpha};
  // The child each thread is on.
  std::atomic<int> on[2] = {-1, -1};
  std::fill(values, values + n, -66);
  onBothThreads([&](EndgameSolver& solver, EndgameSolver& other) {
    std::atomic<int>& mine = on[&solver == this ? 0 : 1];
    std::atomic<int>& theirs = on[&solver == this ? 1 : 0];
    for (;;) {
      // The floor is read before the child is taken: every value that raised it then came from
      // a child earlier in the order, which a tie with this one cannot displace. Read after, it
      // could come from a later child, and this one's bound at that floor pass for a tie.
      const int a = floor.load();
      const int i = taken.fetch_add(1);
      // Published before the cut is read: a thread that cuts below it either is seen here or
      // sees this child and has it given up.
      mine.store(i);
      if (i >= n || i > firstCut.load()) return;
      const int v = -solver.search(children[i].next, -beta, -a, empties - 1);
      if (solver.halted()) {
        // Its limit stops the solve: the other thread's work is needless too.
        if (solver.stop_.stopped()) other.abandoned_.store(true, std::memory_order_relaxed);
        return;
      }
      values[i] = v;
      if (!cuts) continue;
      if (v >= beta) {
        int seen = firstCut.load();
        while (i < seen && !firstCut.compare_exchange_weak(seen, i)) {
        }
        if (theirs.load() > i) other.abandoned_.store(true, std::memory_order_relaxed);
      } else if (v > a) {
        int seen = floor.load();
        while (v > seen && !floor.compare_exchange_weak(seen, v)) {
        }
      }
    }
  });
}

template <class SolverChild>
void EndgameSolver::splitChildren(const SolverChild* children, int n, int alpha, int beta,
                                  int empties, int* best, int* bestMove) {
  // Each thread takes the next child and searches it as the one-thread loop would, against
  // the best value so far; a cut ends the node, and the other thread gives up its child.
  std::atomic<int> taken{0};
  std::atomic<int> floor{alpha};
  std::atomic<bool> cut{false};
  // The best value and its move in one word, value above move, so that both change at once.
  std::atomic<int> top{(*best + 128) * 256 + (*bestMove + 1)};
  onBothThreads([&](EndgameSolver& solver, EndgameSolver& other) {
    for (;;) {
      const int i = taken.fetch_add(1);
      if (i >= n || cut.load()) return;
      const SolverChild& c = children[i];
      if (c.key == kKnownLow) continue;
      const int a = floor.load();
      int v = -solver.searchChild(c.next, c.hash, c.replies, -a - 1, -a, empties - 1);
      if (v > a && v < beta && !solver.halted()) {
        v = -solver.searchChild(c.next, c.hash, c.replies, -beta, -v, empties - 1);
      }
      if (solver.halted()) {
        if (solver.stop_.stopped()) other.abandoned_.store(true, std::memory_order_relaxed);
        return;
      }
      const int mine = (v + 128) * 256 + (c.square + 1);
      int seen = top.load();
      while (v > seen / 256 - 128 && !top.compare_exchange_weak(seen, mine)) {
      }
      if (v >= beta) {
        cut.store(true);
        other.abandoned_.store(true, std::memory_order_relaxed);
        return;
      }
      seen = floor.load();
      while (v > seen && !floor.compare_exchange_weak(seen, v)) {
      }
    }
  });
  *best = top.load() / 256 - 128;
  *bestMove = top.load() % 256 - 1;
}

bool EndgameSolver::stopped() const {
  return stop_.stopped() || (helper_ && helper_->stop_.stopped());
}

void EndgameSolver::clear() {
  const auto wipe = [](Pair* table, size_t pairs) {
    for (size_t i = 0; i < pairs; ++i) {
      for (Slot& slot : table[i].slots) {
        slot.ownKey.store(0, std::memory_order_relaxed);
        slot.oppKey.store(0, std::memory_order_relaxed);
        slot.data.store(0, std::memory_order_relaxed);
      }
    }
  };
  if (deepOwned_) wipe(deep_, static_cast<size_t>(deepMask_) + 1);
  wipe(shallow_.get(), size_t{1} << (kShallowTableBits - 1));
  if (helper_) helper_->clear();
}

void EndgameSolver::setCertainty(int certainty) {
  certainty_ = certainty;
  if (helper_) helper_->certainty_ = certainty;
}

int EndgameSolver::passes(const Child* children, int n, int empties, int guess, bool guessFromPass,
                          int* move) {
  // Every final score is even. Each pass asks whether the score is below, equal to or above an
  // even guess, with a window that admits only the guess itself: such narrow searches cut far
  // more than one over all scores, and the table carries what they learn to the next pass. A
  // pass that misses returns a bound beyond the guess. Above the guess one good move is proof
  // enough, below it every move must be refuted, so a first guess (from the judgement, or
  // the caller's) that was too high drops further each time and the score is then approached
  // from below. A guess from a less certain pass is seldom far off: there the next guess is the
  // bound itself (`drop` stays 0), which on the bench's ten endgames visits 5.7% fewer
  // positions (1.5% on 121 others of 19 to 23 empty squares), where dropping past it cost a
  // pass from below.
  int lower = -66;  // below every score: no move known to reach it yet
  int upper = 64;
  int drop = guessFromPass ? 0 : 4;
  int next = std::clamp(guess & ~1, -64, 64);
  while (lower < upper && !stopped()) {
    const int g = std::clamp(next, std::max(lower, -64), upper);
    int found = kPassMove;
    const int v = searchRoot(children, n, g - 1, g + 1, empties, &found);
    if (stopped()) break;
    if (v < g) {
      upper = v;
      next = v - drop;
      drop *= 2;
    } else {
      lower = v;
      *move = found;
      if (v == g) upper = v;
      next = v;
    }
  }
  return lower;
}

bool EndgameSolver::selectiveCut(Pair* pair, const Position& p, int empties, int alpha, int beta,
                                 int* bound) {
  // The exact score is the judgement plus the model's mean, give or take its spread: a
  // judgement beyond the window by the pass's margin stands for the search.
  const CutModel model = cutModel(empties);
  const int margin = model.spread * kCertaintyTimes10[certainty_] / 10;
  const int up = beta * kPatternScale - model.mean + margin;
  const int down = alpha * kPatternScale - model.mean - margin;
  // The first look's bound may already settle the other side.
  int judged = kJudgedBound;
  bool cut = false;
  if (beta < 64) {
    judged = judge(p, model.depth, up - 1, up);
    cut = judged >= up;
    *bound = (beta + 1) & ~1;  // every final score is even: the even one beyond
  }
  if (!cut && alpha > -64) {
    if (judged > down) judged = judge(p, model.depth, down, down + 1);
    cut = judged <= down;
    *bound = alpha & ~1;
  }
  if (!cut || halted()) return false;
  int slot;
  Entry entry = place(pair, p, empties, &slot);
  if (*bound >= beta) {
    entry.lower = static_cast<int8_t>(*bound);
  } else {
    entry.upper = static_cast<int8_t>(*bound);
  }
  save(pair->slots[slot], p, entry);
  return true;
}

ExactResult EndgameSolver::solve(const Position& p, bool findEqual, const SearchLimit& limit,
                                 std::optional<int> guess, int certainty) {
  stop_.start(limit, nodes_ + judged_);
  if (helper_) helper_->stop_.start(limit, helper_->nodes_ + helper_->judged_);
  ExactResult result;
  const Mask moves = legalMoves(p);
  const int empties = p.emptyCount();
  certainty = std::clamp(certainty, 0, kExactCertainty);
  setCertainty(certainty);
  if (moves == 0) {
    const Position q = p.passed();
    result.score = legalMoves(q) == 0 ? finalScore(p) : -search(q, -64, 64, empties);
    result.certainty = certainty;
    result.complete = !stopped();
    result.guarded = stop_.guarded() || (helper_ && helper_->stop_.guarded());
    return result;
  }
  Children children;
  const int n = sortedChildren(p, moves, -1, children.data(), [this](const Position& next, int) {
    return -judge(next, kRootJudgedDepth, -kJudgedBound, kJudgedBound);
  });
  // An exact solve climbs the selective levels first; a selective one passes through those
  // below its own.
  const bool climb = empties >= kSelectiveRootEmpties && selectivePasses_;
  const int first = climb ? 0 : certainty;
  // A budget that stops a pass leaves the answer of the last pass that finished.
  int score = guess ? *guess : estimate(p, empties);
  result.certainty = -1;
  for (int level = first; level <= certainty; ++level) {
    if (certainty == kExactCertainty && level >= kLevelsBeforeExact && level < certainty) continue;
    setCertainty(level);
    int move = kPassMove;
    score = passes(children.data(), n, empties, score, level > first, &move);
    if (stopped()) break;
    result.move = move;
    result.score = score;
    result.certainty = level;
  }
  score = result.score;
  result.equal.assign(1, result.move);
  if (findEqual && !stopped()) {
    int values[32];
    if (helper_) {
      searchChildren(children.data(), n, score - 1, score + 1, empties, false, values);
    } else {
      for (int i = 0; i < n && !stopped(); ++i) {
        values[i] = children[i].square == result.move
                        ? score
                        : -search(children[i].next, -(score + 1), -(score - 1), empties - 1);
      }
    }
    for (int i = 0; i < n && !stopped(); ++i) {
      if (children[i].square != result.move && values[i] == score) {
        result.equal.push_back(children[i].square);
      }
    }
  }
  result.complete = !stopped();
  result.guarded = stop_.guarded() || (helper_ && helper_->stop_.guarded());
  return result;
}

int EndgameSolver::search(const Position& p, int alpha, int beta, int empties) {
  return searchChild(p, hashPosition(p), legalMoves(p), alpha, beta, empties);
}

int EndgameSolver::searchChild(const Position& p, uint64_t hash, Mask moves, int alpha, int beta,
                               int empties) {
  if (empties >= kOrderedEmpties) return searchNode(p, hash, moves, alpha, beta, empties);
  if (empties == kSmallEmpties) {
    int squares[kSmallEmpties];
    smallSquares(p, squares);
    return searchFour(p, hash, alpha, beta, squares);
  }
  return searchNear(p, alpha, beta, empties);
}

int EndgameSolver::searchNode(const Position& p, uint64_t hash, Mask moves, int alpha, int beta,
                              int empties) {
  // With a helper, not too near the end: its other moves may be shared out once its first is
  // searched, if the helper is idle then.
  const bool split = helper_ && empties >= kSplitEmpties;
  ++nodes_;
  if (poll()) return 0;

  // The table first: a known bound often settles the node before any move is searched.
  Pair* const pair = pairFor(hash, empties);
  int tableMove = -1;
  if (int known; recall(pair, p, &alpha, &beta, &known, &tableMove)) return known;

  if (moves == 0) {
    const Position q = p.passed();
    if (legalMoves(q) == 0) return finalScore(p);
    return -search(q, -beta, -alpha, empties);
  }

  // The opponent's stable discs stay its own: the score is at most 64 minus twice them.
  if (const int upper = stableUpper(p, alpha, beta); upper <= alpha) {
    return upper;
  } else if (upper < beta) {
    beta = upper;
  }

  if (certainty_ < kExactCertainty && empties >= kSelectiveEmpties) {
    if (int bound; selectiveCut(pair, p, empties, alpha, beta, &bound)) return bound;
  }

  const int alphaIn = alpha;
  int best = -65;
  int bestMove = -1;
  // Searches one child; true when the node is done (a cut, or the deadline).
  const auto visit = [&](const Position& next, uint64_t nextHash, Mask replies, int square) {
    int v;
    if (bestMove < 0) {
      v = -searchChild(next, nextHash, replies, -beta, -alpha, empties - 1);
    } else {
      v = -searchChild(next, nextHash, replies, -alpha - 1, -alpha, empties - 1);
      if (v > alpha && v < beta) v = -searchChild(next, nextHash, replies, -beta, -v, empties - 1);
    }
    if (v > best) {
      best = v;
      bestMove = square;
      alpha = std::max(alpha, v);
    }
    return halted() || alpha >= beta;
  };

  // The table's move goes first, before the others are generated and sorted: it often cuts.
  bool done = false;
  Mask rest = moves;
  if (tableMove >= 0 && (moves & bitOf(tableMove))) {
    rest &= ~bitOf(tableMove);
    const Position next = afterMove(p, tableMove, flipsOf(p, tableMove));
    done = visit(next, hashPosition(next), legalMoves(next), tableMove);
  }
  if (!done && rest) {
    SolverChildren children;
    const int n = endgameChildren(
        p, empties, rest, children.data(),
        [&](uint64_t nextHash, const Position&) { return pairFor(nextHash, empties - 1); },
        [this](const Position& next, int depth, Mask replies) {
          return depth == 0 ? evaluate(next, replies)
                            : judge(next, depth, -kJudgedBound, kJudgedBound);
        });
    // The table's knowledge of the children, at every node whose moves are sorted (used from
    // seven empty squares on only, it let the bench's ten endgames visit 2% more positions): a
    // child already known to be bad enough for the opponent cuts at once.
    for (int i = 0; i < n; ++i) {
      Entry known;
      if (!trusted(pairFor(children[i].hash, empties - 1), children[i].next, &known)) continue;
      if (-known.upper >= beta) return -known.upper;
      // One known to do no better than alpha needs no search: its bound stands for its value.
      if (-known.lower <= alpha) {
        best = std::max(best, static_cast<int>(-known.lower));
        children[i].key = kKnownLow;
      }
    }
    for (int i = 0; i < n; ++i) {
      if (children[i].key == kKnownLow) continue;
      if (split && bestMove >= 0 && !helperBusy_.load(std::memory_order_acquire)) {
        // Read after the helper is seen idle: a cut it made as it finished has given this
        // thread up by then, and a split must not start then, as its end clears that.
        if (!halted()) {
          splitChildren(children.data() + i, n - i, alpha, beta, empties, &best, &bestMove);
        }
        break;
      }
      const SolverChild& c = children[i];
      if (visit(c.next, c.hash, c.replies, c.square)) break;
    }
  }
  if (halted()) return 0;
  record(pair, p, empties, alphaIn, beta, best, bestMove);
  return best;
}

void EndgameSolver::smallSquares(const Position& p, int* squares) {
  // Odd quadrants first: there the side to move can hope for the last move.
  int count = 0;
  const Mask empty = p.empties();
  const Mask odd = oddQuadrants(empty);
  for (Mask in = empty & odd; in; in &= in - 1) squares[count++] = std::countr_zero(in);
  for (Mask in = empty & ~odd; in; in &= in - 1) squares[count++] = std::countr_zero(in);
}

int EndgameSolver::searchNear(const Position& p, int alpha, int beta, int empties) {
  if (empties <= kSmallEmpties) {
    int squares[kSmallEmpties];
    smallSquares(p, squares);
    if (empties == kSmallEmpties) return searchFour(p, hashPosition(p), alpha, beta, squares);
    return searchSmall(p, alpha, beta, squares, empties, false);
  }
  ++nodes_;
  if (poll()) return 0;
  const Mask moves = legalMoves(p);
  if (moves == 0) {
    const Position q = p.passed();
    if (legalMoves(q) == 0) return finalScore(p);
    return -searchNear(q, -beta, -alpha, empties);
  }
  // Few squares left: parity order is nearly as good as sorting and far cheaper.
  const Mask odd = oddQuadrants(p.empties());
  int best = -65;
  for (int pass = 0; pass < 2; ++pass) {
    for (Mask left = moves & (pass == 0 ? odd : ~odd); left; left &= left - 1) {
      const int sq = std::countr_zero(left);
      const int v = -searchNear(afterMove(p, sq, flipsOf(p, sq)), -beta, -alpha, empties - 1);
      if (v > best) {
        best = v;
        if (v > alpha) {
          alpha = v;
          if (alpha >= beta) return best;
        }
      }
    }
  }
  return best;
}

int EndgameSolver::searchFour(const Position& p, uint64_t hash, int alpha, int beta, int* squares) {
  // Four empty squares: the table, then the moves leaving the opponent fewest replies first,
  // parity breaking ties. Many paths lead to the same position this near the end.
  ++nodes_;
  Pair* const pair = pairFor(hash, kSmallEmpties);
  int tableMove = -1;
  if (int known; recall(pair, p, &alpha, &beta, &known, &tableMove)) return known;
  if (const int upper = stableUpper(p, alpha, beta); upper <= alpha) {
    return upper;
  } else if (upper < beta) {
    beta = upper;
  }
  struct Move {
    Position next;
    int square;
    int key;
  };
  Move moves[kSmallEmpties];
  int n = 0;
  for (int i = 0; i < kSmallEmpties; ++i) {
    const int sq = squares[i];
    if (!(neighbours(sq) & p.opp)) continue;
    const Mask flips = flipsOf(p, sq);
    if (flips == 0) continue;
    const Position next = afterMove(p, sq, flips);
    const Mask replies = legalMoves(next);
    const int key = sq == tableMove ? -1 : countBits(replies) + cornerCount(replies);
    int at = n++;
    for (; at > 0 && moves[at - 1].key > key; --at) moves[at] = moves[at - 1];
    moves[at] = Move{next, sq, key};
  }
  if (n == 0) return -searchSmall(p.passed(), -beta, -alpha, squares, kSmallEmpties, true);
  const int alphaIn = alpha;
  int best = -65;
  int bestMove = -1;
  for (int i = 0; i < n; ++i) {
    int rest[kSmallEmpties - 1];
    int count = 0;
    for (int j = 0; j < kSmallEmpties; ++j) {
      if (squares[j] != moves[i].square) rest[count++] = squares[j];
    }
    const int v = -searchSmall(moves[i].next, -beta, -alpha, rest, count, false);
    if (v > best) {
      best = v;
      bestMove = moves[i].square;
      if (v > alpha) {
        alpha = v;
        if (alpha >= beta) break;
      }
    }
  }
  record(pair, p, kSmallEmpties, alphaIn, beta, best, bestMove);
  return best;
}

int EndgameSolver::searchSmall(const Position& p, int alpha, int beta, int* squares, int count,
                               bool passed) {
  if (count == 2 && !passed) return searchTwo(p, alpha, beta, squares[0], squares[1]);
  ++nodes_;
  if (count == 1 && !passed) return searchLast(p, squares[0]);
  int ordered[3];
  if (count == 3) {
    if (const int upper = stableUpper(p, alpha, alpha + 1); upper <= alpha) return upper;
    // A square alone in its quadrant before two that share one: there the side to move may
    // have the last move. In a copy, as the caller's list must come back as it was.
    const auto quadrant = [](int sq) { return ((sq >> 2) & 1) | ((sq >> 4) & 2); };
    const int q0 = quadrant(squares[0]);
    const int q1 = quadrant(squares[1]);
    const int q2 = quadrant(squares[2]);
    const int lone = q0 == q1 && q2 != q0 ? 2 : (q0 == q2 && q1 != q0 ? 1 : 0);
    ordered[0] = squares[lone];
    ordered[1] = squares[lone == 0 ? 1 : 0];
    ordered[2] = squares[lone == 2 ? 1 : 2];
    squares = ordered;
  }
  int best = -65;
  for (int i = 0; i < count; ++i) {
    const int sq = squares[i];
    // A move needs an opponent disc next to it.
    if (!(neighbours(sq) & p.opp)) continue;
    const Mask flips = flipsOf(p, sq);
    if (flips == 0) continue;
    // The square leaves the list for the recursion and comes back in its place afterwards.
    squares[i] = squares[count - 1];
    const int v = -searchSmall(afterMove(p, sq, flips), -beta, -alpha, squares, count - 1, false);
    squares[count - 1] = squares[i];
    squares[i] = sq;
    if (v > best) {
      best = v;
      if (v > alpha) {
        alpha = v;
        if (alpha >= beta) return best;
      }
    }
  }
  if (best > -65) return best;
  if (passed) return finalScore(p);
  return -searchSmall(p.passed(), -beta, -alpha, squares, count, true);
}

int EndgameSolver::searchTwo(const Position& p, int alpha, int beta, int a, int b) {
  // Two empty squares, written out: the side to move plays one and the last goes as it may.
  ++nodes_;
  if (const int upper = stableUpper(p, alpha, alpha + 1); upper <= alpha) return upper;
  int best = -65;
  Mask flips;
  if ((neighbours(a) & p.opp) && (flips = flipsOf(p, a))) {
    ++nodes_;
    best = -searchLast(afterMove(p, a, flips), b);
    if (best >= beta) return best;
  }
  if ((neighbours(b) & p.opp) && (flips = flipsOf(p, b))) {
    ++nodes_;
    return std::max(best, -searchLast(afterMove(p, b, flips), a));
  }
  if (best > -65) return best;
  // No move: the opponent's choice, scored for the side that passed.
  const Position q = p.passed();
  int worst = 65;
  if ((neighbours(a) & q.opp) && (flips = flipsOf(q, a))) {
    ++nodes_;
    worst = searchLast(afterMove(q, a, flips), b);
    if (worst <= alpha) return worst;
  }
  if ((neighbours(b) & q.opp) && (flips = flipsOf(q, b))) {
    ++nodes_;
    return std::min(worst, searchLast(afterMove(q, b, flips), a));
  }
  if (worst < 65) return worst;
  return finalScore(p);
}

int EndgameSolver::searchLast(const Position& p, int square) {
  // One empty square: the side to move plays it if it can, else the opponent if it can. With
  // the board then full, the score is the difference of the counts.
  const int own = countBits(p.own);
  const int diff = 2 * own - 63;  // own - opp with the square still empty
  int flipped = lastFlips(p.own, square);
  if (flipped) return diff + 2 * flipped + 1;
  flipped = lastFlips(p.opp, square);
  if (flipped) return diff - 2 * flipped - 1;
  // Nobody can play it: it goes to the winner.
  return diff > 0 ? diff + 1 : diff - 1;
}

}  // namespace brelvoxan::engine
