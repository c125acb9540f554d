#include "engine/search.h"

#include <algorithm>
#include <bit>
#include <iterator>

#include "engine/patterns.h"

namespace brelvoxan::engine {

namespace {

constexpr int kTableBits = 18;
constexpr int kWinScore = 100000;
constexpr int kInfinity = 1000000;

// Level 2 looks two plies ahead and knows the last 8 squares exactly; levels 3 and 4 look two
// plies further each and know four squares more than the one below, and level 5 looks four
// further. Level 5 searches selectively, which lets it look up to four plies further still from
// 30 empty squares down, where its misses were, as far as its midgame budget allows (at times 13
// plies); from 26 it tries to solve, and a solve its budget stops still plays its last
// selective pass's move if that pass was sure enough: near the end, such a pass plays far
// better than the midgame search; if none was, the midgame search looks 12 plies ahead within
// a smaller budget: on 141 scored positions of 20 to 26 empty squares that loses 0.34 discs a
// position to perfect play where 10 plies lost 0.41 (11 and 13 lost more than 12, the
// judgement swinging between odd and even depths; 500,000 positions lost more).
// Past its budget an exact solve gives way to the midgame search, and past its own the midgame
// search plays the last depth it completed; the budgets of level 5 keep its longest think within
// the computer's pause on a desktop processor (the exact solver visits about 15,000 positions a
// millisecond, the midgame search 3,000), and those of the levels below bound the rare position
// that would take far longer than the rest.
constexpr LevelSettings kLevelSettings[] = {
    {2, 8, 1'000'000, 200'000},
    {4, 12, 2'000'000, 500'000},
    {6, 16, 3'000'000, 1'000'000},
    {10, 26, 3'000'000, 1'200'000, 14, 30, true, 1, 12, 700'000},
};
static_assert(std::size(kLevelSettings) == kMaxLevel - kMinSearchLevel + 1,
              "one row of settings for each searching level of engine/levels.h");

// The deep score less the shallow one (kCutReduction plies shallower), mean and deviation in
// 1/kPatternScale discs, for deep searches of kCutFirstDepth to kCutFirstDepth + 5 plies (the
// deepest standing for those beyond), from 30 empty squares down and above. Fitted by
// `brelvoxan-scored-bench --fit-cuts 81` on the plain search's scores of 81 positions of
// self-played games with 24 to 50 empty squares (21 of them up to 30). Near the end the learnt
// judgement swings between odd and even depths, which the means carry.
constexpr CutModel kCutModels[2][6] = {
    {{-11, 45}, {18, 53}, {-12, 45}, {35, 51}, {-11, 35}, {26, 34}},
    {{9, 27}, {-2, 23}, {11, 20}, {-2, 22}, {5, 18}, {0, 19}},
};

// One of `moves`, chosen by the seed and the position.
int pickEqual(const std::vector<int>& moves, uint64_t seed, const Position& p) {
  Random random(seed ^ hashPosition(p));
  return moves[static_cast<size_t>(random.below(static_cast<int>(moves.size())))];
}

}  // namespace

LevelSettings levelSettings(int level) {
  level = std::clamp(level, kMinSearchLevel, kMaxLevel);
  return kLevelSettings[level - kMinSearchLevel];
}

CutModel cutModel(int empties, int depth) {
  const int row = empties <= 30 ? 0 : 1;
  return kCutModels[row][std::clamp(depth - kCutFirstDepth, 0, 5)];
}

int terminalScore(const Position& p) {
  const int diff = finalScore(p);
  if (diff > 0) return kWinScore + diff;
  if (diff < 0) return -kWinScore + diff;
  return 0;
}

uint64_t Random::next() {
  // splitmix64
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

Engine::Engine(uint64_t seed) : seed_(seed), table_(size_t{1} << kTableBits), stop_() {}

MoveChoice Engine::choose(const Position& p, int level, std::chrono::milliseconds cap) {
  const LevelSettings settings = levelSettings(level);
  MoveChoice choice;
  if (legalMoves(p) == 0) return choice;
  SearchLimit limit;
  limit.cap = Clock::now() + cap;
  limit.slowestPace = slowestPace_;
  // Nothing learnt from earlier moves: it would make this one depend on them.
  std::fill(table_.begin(), table_.end(), Entry{});
  solver_.clear();

  bool guarded = false;
  if (p.emptyCount() <= settings.exactEmpties) {
    limit.nodes = settings.exactNodes;
    const ExactResult exact = solver_.solve(p, true, limit);
    if (exact.complete) {
      choice.exact = true;
      choice.score = exact.score;
      choice.equal = exact.equal;
      choice.move = pickEqual(choice.equal, seed_, p);
      return choice;
    }
    guarded = exact.guarded;
    if (exact.certainty >= settings.fallbackCertainty) {
      // Nearly sure, and far better than the midgame search this near the end.
      choice.score = exact.score * kPatternScale;
      choice.depth = p.emptyCount();
      choice.equal.assign(1, exact.move);
      choice.move = exact.move;
      choice.guarded = guarded;
      return choice;
    }
  }
  limit.nodes = settings.midgameNodes;
  // Deeper near the end; after a solve that gave up, only as deep as leaves the two within the
  // pause.
  const bool late = settings.lateEmpties > 0 && p.emptyCount() <= settings.lateEmpties &&
                    p.emptyCount() > settings.exactEmpties;
  const bool gaveUp = p.emptyCount() <= settings.exactEmpties && settings.gaveUpDepth > 0;
  if (gaveUp && settings.gaveUpNodes > 0) limit.nodes = settings.gaveUpNodes;
  selective_ = settings.selective;
  choice = searchMidgame(
      p, late ? settings.lateDepth : (gaveUp ? settings.gaveUpDepth : settings.depth), limit);
  choice.guarded = choice.guarded || guarded;
  choice.move = pickEqual(choice.equal, seed_, p);
  return choice;
}

int Engine::searchScore(const Position& p, int depth, bool selective) {
  std::fill(table_.begin(), table_.end(), Entry{});
  selective_ = selective;
  return searchMidgame(p, depth, SearchLimit{}).score;
}

MoveChoice Engine::searchMidgame(const Position& p, int depth, const SearchLimit& limit) {
  stop_.start(limit, nodes_);
  MoveChoice done;
  for (int d = 1; d <= depth; ++d) {
    MoveChoice attempt;
    if (!searchRoot(p, d, &attempt)) break;  // the first ply always completes
    done = attempt;
    done.depth = d;
  }
  done.guarded = stop_.guarded();
  return done;
}

bool Engine::searchRoot(const Position& p, int depth, MoveChoice* choice) {
  Entry& entry = table_[static_cast<size_t>(hashPosition(p)) & (table_.size() - 1)];
  const int tableMove = (entry.own == p.own && entry.opp == p.opp) ? entry.move : -1;
  Children children;
  const int n = orderedChildren(p, legalMoves(p), tableMove, children.data());
  int best = -kInfinity;
  for (int i = 0; i < n; ++i) {
    const Child& c = children[i];
    int v;
    if (i == 0) {
      v = -search(c.next, depth - 1, -kInfinity, kInfinity, false);
    } else {
      // A window round the best so far tells equal from worse and better.
      v = -search(c.next, depth - 1, -(best + 1), -(best - 1), false);
      if (v > best) v = -search(c.next, depth - 1, -kInfinity, -best, false);
    }
    // The first ply is never stopped, so that a move is always known.
    if (stop_.stopped() && depth > 1) return false;
    if (v > best) {
      best = v;
      choice->equal.assign(1, c.square);
    } else if (v == best) {
      choice->equal.push_back(c.square);
    }
  }
  choice->score = best;
  choice->move = choice->equal.front();
  entry = Entry{
      p.own, p.opp, best, best, static_cast<int8_t>(depth), static_cast<int8_t>(choice->move)};
  return true;
}

int Engine::search(const Position& p, int depth, int alpha, int beta, bool passed) {
  ++nodes_;
  // Nodes next to the leaves never stop, so that the first ply always completes.
  if (depth > 1 && stop_.poll(nodes_)) return 0;
  const Mask moves = legalMoves(p);
  if (moves == 0) {
    const Position q = p.passed();
    if (passed || legalMoves(q) == 0) return terminalScore(p);
    return -search(q, depth, -beta, -alpha, true);
  }
  if (depth == 0) return gameScore(p);

  Entry& entry = table_[static_cast<size_t>(hashPosition(p)) & (table_.size() - 1)];
  int tableMove = -1;
  if (entry.own == p.own && entry.opp == p.opp) {
    tableMove = entry.move;
    if (entry.depth >= depth) {
      if (entry.lower >= beta) return entry.lower;
      if (entry.upper <= alpha) return entry.upper;
      if (entry.lower == entry.upper) return entry.lower;
    }
  }

  if (selective_ && depth >= kCutFirstDepth) {
    // A shallow score far beyond the window stands for the deep one: a bound is returned at once.
    const CutModel model = cutModel(p.emptyCount(), depth);
    const int margin = model.spread * kCutSpreadsTimes4 / 4;
    const int shallow = depth - kCutReduction;
    const int up = beta - model.mean + margin;
    if (up < kWinScore / 2) {
      const bool above = search(p, shallow, up - 1, up, passed) >= up;
      if (stop_.stopped()) return 0;
      if (above) return beta;
    }
    const int down = alpha - model.mean - margin;
    if (down > -kWinScore / 2) {
      const bool below = search(p, shallow, down, down + 1, passed) <= down;
      if (stop_.stopped()) return 0;
      if (below) return alpha;
    }
  }

  Children children;
  const int n = orderedChildren(p, moves, tableMove, children.data());
  const int alphaIn = alpha;
  int best = -kInfinity;
  int bestMove = -1;
  for (int i = 0; i < n; ++i) {
    const Child& c = children[i];
    int v;
    if (i == 0) {
      v = -search(c.next, depth - 1, -beta, -alpha, false);
    } else {
      v = -search(c.next, depth - 1, -alpha - 1, -alpha, false);
      if (v > alpha && v < beta) v = -search(c.next, depth - 1, -beta, -v, false);
    }
    if (stop_.stopped()) return 0;
    if (v > best) {
      best = v;
      bestMove = c.square;
      if (v > alpha) {
        alpha = v;
        if (alpha >= beta) break;
      }
    }
  }

  if (depth >= entry.depth || !(entry.own == p.own && entry.opp == p.opp)) {
    entry = Entry{p.own,
                  p.opp,
                  -kInfinity,
                  kInfinity,
                  static_cast<int8_t>(depth),
                  static_cast<int8_t>(bestMove)};
    if (best >= beta) {
      entry.lower = best;
    } else if (best <= alphaIn) {
      entry.upper = best;
    } else {
      entry.lower = entry.upper = best;
    }
  }
  return best;
}

}  // namespace brelvoxan::engine
