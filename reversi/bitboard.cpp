#include "reversi/bitboard.h"

namespace brelvoxan::engine {

namespace {

// Columns b..g: a run along a row or a diagonal may only pass through these, so that a shift by
// 1, 7 or 9 never carries a run from one edge of the board round to the other.
constexpr Mask kInnerColumns = 0x7E7E7E7E7E7E7E7EULL;

// A direction as a shift: left shifts go towards h8, right shifts towards a1.
struct Shift {
  int amount;
  bool left;
  Mask runMask;  // where opponent discs of a run may stand
};
constexpr Shift kShifts[8] = {
    {1, true, kInnerColumns}, {1, false, kInnerColumns}, {8, true, ~Mask{0}},
    {8, false, ~Mask{0}},     {7, true, kInnerColumns},  {7, false, kInnerColumns},
    {9, true, kInnerColumns}, {9, false, kInnerColumns},
};

constexpr Mask shifted(Mask m, const Shift& s) {
  return s.left ? m << s.amount : m >> s.amount;
}

}  // namespace

Position startPosition() {
  // d4 and e5 white, e4 and d5 black, as on the bordered board.
  return {bitOf(squareOf(5, 4)) | bitOf(squareOf(4, 5)),
          bitOf(squareOf(4, 4)) | bitOf(squareOf(5, 5))};
}

Mask legalMoves(const Position& p) {
  Mask moves = 0;
  for (const Shift& s : kShifts) {
    const Mask run = p.opp & s.runMask;
    // A run holds at most six discs; each line extends every run found so far by one.
    Mask t = run & shifted(p.own, s);
    t |= run & shifted(t, s);
    t |= run & shifted(t, s);
    t |= run & shifted(t, s);
    t |= run & shifted(t, s);
    t |= run & shifted(t, s);
    moves |= shifted(t, s);
  }
  return moves & p.empties();
}

int finalScore(const Position& p) {
  const int own = countBits(p.own);
  const int opp = countBits(p.opp);
  const int empties = 64 - own - opp;
  if (own > opp) return own - opp + empties;
  if (own < opp) return own - opp - empties;
  return 0;
}

uint64_t perft(const Position& p, int depth) {
  if (depth <= 0) return 1;
  Mask moves = legalMoves(p);
  if (moves == 0) {
    const Position q = p.passed();
    if (legalMoves(q) == 0) return 1;
    return perft(q, depth - 1);
  }
  if (depth == 1) return static_cast<uint64_t>(countBits(moves));
  uint64_t leaves = 0;
  while (moves) {
    const int sq = std::countr_zero(moves);
    moves &= moves - 1;
    leaves += perft(afterMove(p, sq, flipsOf(p, sq)), depth - 1);
  }
  return leaves;
}

Position fromBoard(const Board& b, Side side) {
  Position p;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const Cell c = b.at(x, y);
      if (c == side) p.own |= bitOf(squareOf(x, y));
      if (c == -side) p.opp |= bitOf(squareOf(x, y));
    }
  }
  return p;
}

void toBoard(const Position& p, Side side, Board* b) {
  b->cells.fill(kWall);
  for (int sq = 0; sq < 64; ++sq) {
    Cell c = kEmpty;
    if (p.own & bitOf(sq)) c = side;
    if (p.opp & bitOf(sq)) c = static_cast<Cell>(-side);
    b->at(columnOf(sq), rowOf(sq)) = c;
  }
}

std::string squareName(int square) {
  if (square < 0 || square > 63) return "pass";
  return {static_cast<char>('a' + columnOf(square) - 1), static_cast<char>('0' + rowOf(square))};
}

std::optional<int> parseSquare(std::string_view text) {
  if (text.size() != 2) return std::nullopt;
  const char c = static_cast<char>(text[0] | 0x20);
  if (c < 'a' || c > 'h' || text[1] < '1' || text[1] > '8') return std::nullopt;
  return squareOf(c - 'a' + 1, text[1] - '0');
}

}  // namespace brelvoxan::engine
