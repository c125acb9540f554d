#include "engine/evaluation.h"

#include <algorithm>
#include <bit>

namespace brelvoxan::engine {

namespace {

constexpr Mask kColumnA = 0x0101010101010101ULL;
constexpr Mask kColumnH = 0x8080808080808080ULL;
constexpr Mask kRow1 = 0x00000000000000FFULL;
constexpr Mask kRow8 = 0xFF00000000000000ULL;

// One line direction through the board: shifting left by `amount` moves every square to its
// successor along the line; `first` and `last` are the squares without a predecessor and
// without a successor.
struct Axis {
  int amount;
  Mask leftKeep;   // what a left shift may land on without wrapping
  Mask rightKeep;  // the same for a right shift
  Mask first;
  Mask last;
};
constexpr Axis kAxes[4] = {
    {1, ~kColumnA, ~kColumnH, kColumnA, kColumnH},
    {8, ~Mask{0}, ~Mask{0}, kRow1, kRow8},
    {9, ~kColumnA, ~kColumnH, kColumnA | kRow1, kColumnH | kRow8},
    {7, ~kColumnH, ~kColumnA, kColumnH | kRow1, kColumnA | kRow8},
};

// Squares whose whole line along `a` is occupied.
Mask fullLines(Mask occupied, const Axis& a) {
  Mask before = occupied;
  Mask after = occupied;
  for (int i = 0; i < 7; ++i) {
    before = occupied & (((before << a.amount) & a.leftKeep) | a.first);
    after = occupied & (((after >> a.amount) & a.rightKeep) | a.last);
  }
  return before & after;
}

struct Corner {
  Mask corner;
  Mask xSquare;   // the diagonal neighbour
  Mask cSquares;  // the two edge neighbours
};
constexpr Corner kCorners[4] = {
    {bitOf(squareOf(1, 1)), bitOf(squareOf(2, 2)), bitOf(squareOf(2, 1)) | bitOf(squareOf(1, 2))},
    {bitOf(squareOf(8, 1)), bitOf(squareOf(7, 2)), bitOf(squareOf(7, 1)) | bitOf(squareOf(8, 2))},
    {bitOf(squareOf(1, 8)), bitOf(squareOf(2, 7)), bitOf(squareOf(2, 8)) | bitOf(squareOf(1, 7))},
    {bitOf(squareOf(8, 8)), bitOf(squareOf(7, 7)), bitOf(squareOf(7, 8)) | bitOf(squareOf(8, 7))},
};
constexpr Mask kAllCorners =
    kCorners[0].corner | kCorners[1].corner | kCorners[2].corner | kCorners[3].corner;

// A weight that moves from `opening` (60 empty squares) to `ending` (none) with the game.
struct Weight {
  int opening;
  int ending;
  int at(int empties) const { return (opening * empties + ending * (60 - empties)) / 60; }
};

// Chosen by hand and adjusted over self-play matches between the searching levels.
constexpr Weight kMobility{45, 25};
constexpr Weight kFrontier{18, 6};
constexpr Weight kCornerDisc{320, 180};
constexpr Weight kXSquare{-160, -50};
constexpr Weight kCSquare{-45, -10};
constexpr Weight kStable{70, 60};
constexpr Weight kDisc{-6, 25};
constexpr int kParity = 45;         // the last move in an odd region, late in the game
constexpr int kParityEmpties = 20;  // from this many empty squares on

int count(Mask m) {
  return countBits(m);
}

}  // namespace

Mask emptyNeighbours(Mask discs, Mask empties) {
  const Mask notA = ~kColumnA;
  const Mask notH = ~kColumnH;
  Mask n = (discs << 8) | (discs >> 8);
  n |= ((discs << 1) | (discs << 9) | (discs >> 7)) & notA;
  n |= ((discs >> 1) | (discs >> 9) | (discs << 7)) & notH;
  return n & empties;
}

Mask stableDiscs(Mask own, Mask opp) {
  const Mask occupied = own | opp;
  Mask safe[4];
  for (int i = 0; i < 4; ++i) {
    safe[i] = fullLines(occupied, kAxes[i]) | kAxes[i].first | kAxes[i].last;
  }
  Mask stable = 0;
  for (;;) {
    Mask next = own;
    for (int i = 0; i < 4; ++i) {
      const Axis& a = kAxes[i];
      next &= safe[i] | ((stable << a.amount) & a.leftKeep) | ((stable >> a.amount) & a.rightKeep);
    }
    if (next == stable) return stable;
    stable = next;
  }
}

int evaluate(const Position& p) {
  const Mask empty = p.empties();
  const int empties = count(empty);
  int score = 0;

  score += kMobility.at(empties) * (count(legalMoves(p)) - count(legalMoves(p.passed())));
  score += kFrontier.at(empties) *
           (count(emptyNeighbours(p.opp, empty)) - count(emptyNeighbours(p.own, empty)));
  score += kCornerDisc.at(empties) * (count(p.own & kAllCorners) - count(p.opp & kAllCorners));
  for (const Corner& c : kCorners) {
    if (!(c.corner & empty)) continue;
    score += kXSquare.at(empties) * (count(p.own & c.xSquare) - count(p.opp & c.xSquare));
    score += kCSquare.at(empties) * (count(p.own & c.cSquares) - count(p.opp & c.cSquares));
  }
  if ((p.own | p.opp) & (kAllCorners | kColumnA | kColumnH | kRow1 | kRow8)) {
    score +=
        kStable.at(empties) * (count(stableDiscs(p.own, p.opp)) - count(stableDiscs(p.opp, p.own)));
  }
  score += kDisc.at(empties) * (count(p.own) - count(p.opp));
  if (empties <= kParityEmpties) score += (empties % 2 == 1) ? kParity : -kParity;
  return std::clamp(score, -kMaxEvaluation, kMaxEvaluation);
}

}  // namespace brelvoxan::engine
