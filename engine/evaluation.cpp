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

// Squares whose whole line along axis `Axis` (as in kAxes) is occupied. A row or column is
// folded onto its first square. A diagonal run is widened both ways by 1, 2 and then 4 steps;
// a square fewer than that many steps from the edge has nothing there to wait for.
template <int Axis>
Mask fullLines(Mask occupied) {
  constexpr Mask kOnes = 0x0101010101010101ULL;
  if constexpr (Axis == 0) {
    Mask x = occupied & (occupied >> 4);
    x &= x >> 2;
    x &= x >> 1;
    return (x & kOnes) * 0xFF;
  } else if constexpr (Axis == 1) {
    Mask x = occupied & (occupied >> 32);
    x &= x >> 16;
    x &= x >> 8;
    return (x & 0xFF) * kOnes;
  } else {
    // The first 1, 2 and 4 columns and rows from each side.
    constexpr Mask kLeft[3] = {kColumnA, 0x0303030303030303ULL, 0x0F0F0F0F0F0F0F0FULL};
    constexpr Mask kRight[3] = {kColumnH, 0xC0C0C0C0C0C0C0C0ULL, 0xF0F0F0F0F0F0F0F0ULL};
    constexpr Mask kTop[3] = {kRow1, 0xFFFFULL, 0xFFFFFFFFULL};
    constexpr Mask kBottom[3] = {kRow8, 0xFFFFULL << 48, 0xFFFFFFFFULL << 32};
    // Along axis 2 the next square is one column right and one row down (9 further), along
    // axis 3 one column left and one row down (7 further).
    constexpr int kStep = Axis == 2 ? 9 : 7;
    Mask x = occupied;
    for (int k = 0; k < 3; ++k) {
      const Mask noNext = kBottom[k] | (Axis == 2 ? kRight[k] : kLeft[k]);
      const Mask noPrevious = kTop[k] | (Axis == 2 ? kLeft[k] : kRight[k]);
      x &= ((x >> (kStep << k)) | noNext) & ((x << (kStep << k)) | noPrevious);
    }
    return x;
  }
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

namespace {

// The squares whose line along each axis is full, or which have no square before or after them
// on it: there a disc is safe along that axis.
struct SafeLines {
  Mask axis[4];
};

SafeLines safeLines(Mask occupied) {
  return {{fullLines<0>(occupied) | kAxes[0].first | kAxes[0].last,
           fullLines<1>(occupied) | kAxes[1].first | kAxes[1].last,
           fullLines<2>(occupied) | kAxes[2].first | kAxes[2].last,
           fullLines<3>(occupied) | kAxes[3].first | kAxes[3].last}};
}

// The discs of `own` that along every axis are safe or next to a disc of `anchors`.
Mask anchoredDiscs(Mask own, const SafeLines& safe, Mask anchors) {
  Mask next = own;
  for (int i = 0; i < 4; ++i) {
    const Axis& a = kAxes[i];
    next &=
        safe.axis[i] | ((anchors << a.amount) & a.leftKeep) | ((anchors >> a.amount) & a.rightKeep);
  }
  return next;
}

// Grown from none: a disc is stable when along every axis it is safe or next to a stable disc.
Mask grownStable(Mask own, const SafeLines& safe) {
  Mask stable = 0;
  for (;;) {
    const Mask next = anchoredDiscs(own, safe, stable);
    if (next == stable) return stable;
    stable = next;
  }
}

}  // namespace

Mask stableDiscs(Mask own, Mask opp) {
  return grownStable(own, safeLines(own | opp));
}

int stableCount(Mask own, Mask opp, int least) {
  const SafeLines safe = safeLines(own | opp);
  // Every stable disc is anchored by the stable ones, and so by the others of `own` too: the
  // discs anchored by `own` hold them all, and are quicker to find.
  const int most = countBits(anchoredDiscs(own, safe, own));
  if (most < least) return most;
  return countBits(grownStable(own, safe));
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
