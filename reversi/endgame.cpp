#include "reversi/endgame.h"

#include <algorithm>
#include <bit>

#include "reversi/evaluation.h"

namespace brelvoxan::engine {

namespace {

// Up to this many empty squares the solver walks the list of empty squares instead of
// generating moves; the table serves from kTableEmpties on.
constexpr int kSmallEmpties = 5;
constexpr int kTableEmpties = 6;
// From this many empty squares on, a cheap stability bound may cut a node.
constexpr int kStabilityEmpties = 12;
constexpr int kNodesBetweenClockLooks = 4096;
constexpr int kEvaluatedOrderEmpties = 20;

constexpr Mask kCornerMask = 0x8100000000000081ULL;

// The four quadrants, for parity ordering.
constexpr Mask kQuadrants[4] = {0x000000000F0F0F0FULL, 0x00000000F0F0F0F0ULL, 0x0F0F0F0F00000000ULL,
                                0xF0F0F0F000000000ULL};

// Plain alpha-beta over the evaluation, for ordering moves where many squares are empty.
int shallowScore(const Position& p, int depth, int alpha, int beta) {
  const Mask moves = legalMoves(p);
  if (depth == 0 || moves == 0) return evaluate(p);
  int best = -kMaxEvaluation - 1;
  Mask left = moves;
  while (left) {
    const int sq = std::countr_zero(left);
    left &= left - 1;
    const int v = -shallowScore(afterMove(p, sq, flipsOf(p, sq)), depth - 1, -beta, -alpha);
    if (v > best) {
      best = v;
      if (v > alpha) {
        alpha = v;
        if (alpha >= beta) break;
      }
    }
  }
  return best;
}

}  // namespace

int orderedChildren(const Position& p, Mask moves, int tableMove, Child* out, bool evaluated) {
  int n = 0;
  while (moves) {
    const int sq = std::countr_zero(moves);
    moves &= moves - 1;
    const Position next = afterMove(p, sq, flipsOf(p, sq));
    int key;
    if (sq == tableMove) {
      key = 1 << 30;
    } else if (evaluated) {
      key = -shallowScore(next, 2, -kMaxEvaluation - 1, kMaxEvaluation + 1);
    } else {
      key = moveOrderKey(next, sq);
    }
    int i = n++;
    while (i > 0 && out[i - 1].key < key) {
      out[i] = out[i - 1];
      --i;
    }
    out[i] = Child{next, sq, key};
  }
  return n;
}

int moveOrderKey(const Position& next, int square) {
  // `next` has the opponent to move: fewer replies for it first, corner replies counted twice,
  // and fewer corners in its hands.
  const Mask replies = legalMoves(next);
  int key = -16 * (countBits(replies) + countBits(replies & kCornerMask));
  key -= 2 * countBits(next.own & kCornerMask);
  if (bitOf(square) & kCornerMask) key += 12;
  // Frontiers: empty squares next to the opponent's discs are the mover's future moves.
  key += 4 * (countBits(emptyNeighbours(next.own, next.empties())) -
              countBits(emptyNeighbours(next.opp, next.empties())));
  return key;
}

uint64_t hashPosition(const Position& p) {
  uint64_t h = p.own * 0x9E3779B97F4A7C15ULL;
  h ^= std::rotl(p.opp * 0xC2B2AE3D27D4EB4FULL, 31);
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ULL;
  return h ^ (h >> 32);
}

EndgameSolver::EndgameSolver(int tableBits)
    : table_(size_t{1} << tableBits), tableMask_((Mask{1} << tableBits) - 1) {}

EndgameSolver::Entry& EndgameSolver::slot(const Position& p) {
  return table_[static_cast<size_t>(hashPosition(p) & tableMask_)];
}

bool EndgameSolver::shouldStop() {
  if (--untilClockLook_ <= 0) {
    untilClockLook_ = kNodesBetweenClockLooks;
    if (deadline_.passed()) stopped_ = true;
  }
  return stopped_;
}

ExactResult EndgameSolver::solve(const Position& p, bool findEqual, Deadline deadline) {
  deadline_ = deadline;
  stopped_ = false;
  untilClockLook_ = 0;
  ExactResult result;
  const Mask moves = legalMoves(p);
  const int empties = p.emptyCount();
  if (moves == 0) {
    const Position q = p.passed();
    result.score = legalMoves(q) == 0 ? finalScore(p) : -search(q, -64, 64, empties);
    result.complete = !stopped_;
    return result;
  }
  Child children[32];
  const int n = orderedChildren(p, moves, -1, children, true);
  int best = -65;
  for (int i = 0; i < n; ++i) {
    const Child& c = children[i];
    int v;
    if (i == 0) {
      v = -search(c.next, -64, 64, empties - 1);
    } else if (findEqual) {
      // A window round the best so far tells equal from worse and better.
      v = -search(c.next, -(best + 1), -(best - 1), empties - 1);
      if (v > best) v = -search(c.next, -64, -best, empties - 1);
    } else {
      v = -search(c.next, -(best + 1), -best, empties - 1);
      if (v > best) v = -search(c.next, -64, -best, empties - 1);
    }
    if (stopped_) break;
    if (v > best) {
      best = v;
      result.move = c.square;
      result.equal.assign(1, c.square);
    } else if (v == best && findEqual) {
      result.equal.push_back(c.square);
    }
  }
  result.score = best;
  result.complete = !stopped_;
  return result;
}

int EndgameSolver::search(const Position& p, int alpha, int beta, int empties) {
  if (empties <= kSmallEmpties) {
    int squares[kSmallEmpties];
    int count = 0;
    const Mask empty = p.empties();
    // Odd quadrants first: there the side to move can hope for the last move.
    for (int odd = 1; odd >= 0; --odd) {
      for (const Mask q : kQuadrants) {
        Mask in = empty & q;
        if ((countBits(in) & 1) != odd) continue;
        while (in) {
          squares[count++] = std::countr_zero(in);
          in &= in - 1;
        }
      }
    }
    return searchSmall(p, alpha, beta, squares, count, false);
  }
  ++nodes_;
  if (shouldStop()) return 0;

  const Mask moves = legalMoves(p);
  if (moves == 0) {
    const Position q = p.passed();
    if (legalMoves(q) == 0) return finalScore(p);
    return -search(q, -beta, -alpha, empties);
  }

  if (empties >= kStabilityEmpties) {
    // The opponent's stable discs stay its own: the score is at most 64 minus twice them.
    const int upper = 64 - 2 * countBits(stableDiscs(p.opp, p.own));
    if (upper <= alpha) return upper;
    if (upper < beta) beta = upper;
  }

  Entry* entry = nullptr;
  int tableMove = -1;
  if (empties >= kTableEmpties) {
    entry = &slot(p);
    if (entry->own == p.own && entry->opp == p.opp) {
      if (entry->lower >= beta) return entry->lower;
      if (entry->upper <= alpha) return entry->upper;
      if (entry->lower == entry->upper) return entry->lower;
      alpha = std::max(alpha, static_cast<int>(entry->lower));
      beta = std::min(beta, static_cast<int>(entry->upper));
      tableMove = entry->move;
    }
  }

  Child children[32];
  const int n = orderedChildren(p, moves, tableMove, children, empties >= kEvaluatedOrderEmpties);
  const int alphaIn = alpha;
  int best = -65;
  int bestMove = -1;
  for (int i = 0; i < n; ++i) {
    const Child& c = children[i];
    int v;
    if (i == 0) {
      v = -search(c.next, -beta, -alpha, empties - 1);
    } else {
      v = -search(c.next, -alpha - 1, -alpha, empties - 1);
      if (v > alpha && v < beta) v = -search(c.next, -beta, -v, empties - 1);
    }
    if (stopped_) return 0;
    if (v > best) {
      best = v;
      bestMove = c.square;
      if (v > alpha) {
        alpha = v;
        if (alpha >= beta) break;
      }
    }
  }

  if (entry) {
    if (!(entry->own == p.own && entry->opp == p.opp)) *entry = Entry{p.own, p.opp};
    if (best >= beta) {
      entry->lower = static_cast<int8_t>(best);
    } else if (best <= alphaIn) {
      entry->upper = static_cast<int8_t>(best);
    } else {
      entry->lower = entry->upper = static_cast<int8_t>(best);
    }
    entry->move = static_cast<int8_t>(bestMove);
  }
  return best;
}

int EndgameSolver::searchSmall(const Position& p, int alpha, int beta, int* squares, int count,
                               bool passed) {
  ++nodes_;
  if (count == 1 && !passed) return searchLast(p, squares[0]);
  int best = -65;
  for (int i = 0; i < count; ++i) {
    const int sq = squares[i];
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

int EndgameSolver::searchLast(const Position& p, int square) {
  // One empty square: the side to move plays it if it can, else the opponent if it can.
  Mask flips = flipsOf(p, square);
  if (flips) return finalScore(afterMove(p, square, flips).passed());
  const Position q = p.passed();
  flips = flipsOf(q, square);
  if (flips) return -finalScore(afterMove(q, square, flips).passed());
  return finalScore(p);
}

}  // namespace brelvoxan::engine
