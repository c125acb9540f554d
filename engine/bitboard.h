// The rules on 64-bit masks, for the searching levels. Square index = (row - 1) * 8 + (column - 1)
// with column x and row y as on the bordered board (1..8), so bit 0 is a1 at the top left and
// bit 7 is h1 at the top right. Nothing here draws, allocates or keeps state.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "reversi/board.h"

namespace brelvoxan::engine {

using Mask = uint64_t;

inline constexpr int kPassMove = -1;

namespace detail {

// Number of set bits, without the processor's instruction: the library's own fallback is a
// call, and this is faster inline.
constexpr int countBitsPortable(Mask m) {
  m = m - ((m >> 1) & 0x5555555555555555ULL);
  m = (m & 0x3333333333333333ULL) + ((m >> 2) & 0x3333333333333333ULL);
  m = (m + (m >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((m * 0x0101010101010101ULL) >> 56);
}

#if defined(__GNUC__) && defined(__x86_64__) && !defined(__POPCNT__)
#define BRELVOXAN_POPCNT_AT_RUN_TIME 1
// Whether this processor has the bit-count instruction, which a build for every 64-bit x86
// processor may not use unasked. False until known, which only means the portable count.
extern const bool kPopcntInstruction;
#endif

}  // namespace detail

// Number of set bits: the searches count moves and discs at nearly every position.
constexpr int countBits(Mask m) {
#if defined(__POPCNT__) || !(defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)))
  return std::popcount(m);
#else
#ifdef BRELVOXAN_POPCNT_AT_RUN_TIME
  if (!std::is_constant_evaluated() && detail::kPopcntInstruction) {
    uint64_t n;
    asm("popcntq %1, %0" : "=r"(n) : "rm"(m));
    return static_cast<int>(n);
  }
#endif
  return detail::countBitsPortable(m);
#endif
}

// A position as seen by the side to move: its own discs and its opponent's.
struct Position {
  Mask own = 0;
  Mask opp = 0;

  Mask empties() const { return ~(own | opp); }
  int emptyCount() const { return countBits(empties()); }
  // The same position with the other side to move.
  Position passed() const { return {opp, own}; }
  bool operator==(const Position&) const = default;
};

constexpr int squareOf(int x, int y) {
  return (y - 1) * 8 + (x - 1);
}
constexpr int columnOf(int square) {
  return square % 8 + 1;
}
constexpr int rowOf(int square) {
  return square / 8 + 1;
}
constexpr Mask bitOf(int square) {
  return Mask{1} << square;
}

// The start position, black to move.
Position startPosition();

namespace detail {

// Columns b..g: a run along a row or a diagonal may only pass through these, so that a shift by
// 1, 7 or 9 never carries a run from one edge of the board round to the other.
inline constexpr Mask kInnerColumns = 0x7E7E7E7E7E7E7E7EULL;

template <int Amount, bool Left>
constexpr Mask shifted(Mask m) {
  return Left ? m << Amount : m >> Amount;
}

// Squares from which a move along one direction would turn a run of `run` discs closed by
// `own`. A run holds at most six discs: two single steps find runs of one and two, and `pairs`
// lets two double steps reach six. Each direction written out with constant shifts, so that the
// eight are independent and the processor overlaps them.
template <int Amount, bool Left>
constexpr Mask movesTowards(Mask own, Mask run) {
  Mask t = run & shifted<Amount, Left>(own);
  t |= run & shifted<Amount, Left>(t);
  const Mask pairs = run & shifted<Amount, Left>(run);
  t |= pairs & shifted<2 * Amount, Left>(t);
  t |= pairs & shifted<2 * Amount, Left>(t);
  return shifted<Amount, Left>(t);
}

}  // namespace detail

// Squares where the side to move may play. Inline: the searches call it at nearly every node.
inline Mask legalMoves(const Position& p) {
  using detail::movesTowards;
  const Mask inner = p.opp & detail::kInnerColumns;
  const Mask moves = movesTowards<1, true>(p.own, inner) | movesTowards<1, false>(p.own, inner) |
                     movesTowards<8, true>(p.own, p.opp) | movesTowards<8, false>(p.own, p.opp) |
                     movesTowards<7, true>(p.own, inner) | movesTowards<7, false>(p.own, inner) |
                     movesTowards<9, true>(p.own, inner) | movesTowards<9, false>(p.own, inner);
  return moves & p.empties();
}

namespace detail {

// For each square and direction, the squares from the next one to the edge.
struct Rays {
  Mask up[64][4];    // towards higher square numbers: east, south, south-east, south-west
  Mask down[64][4];  // towards lower: west, north, north-west, north-east
};
inline constexpr Rays kRays = [] {
  constexpr int kUp[4][2] = {{1, 0}, {0, 1}, {1, 1}, {-1, 1}};
  Rays r{};
  for (int sq = 0; sq < 64; ++sq) {
    for (int d = 0; d < 4; ++d) {
      for (const int sign : {1, -1}) {
        Mask ray = 0;
        int x = sq % 8 + sign * kUp[d][0];
        int y = sq / 8 + sign * kUp[d][1];
        for (; x >= 0 && x < 8 && y >= 0 && y < 8; x += sign * kUp[d][0], y += sign * kUp[d][1]) {
          ray |= Mask{1} << (y * 8 + x);
        }
        (sign > 0 ? r.up : r.down)[sq][d] = ray;
      }
    }
  }
  return r;
}();

// The discs a move on `Square` turns along ray `Direction`, each way. Along each ray the first
// square that is not the opponent's closes the run when it is the mover's own: that square is
// the lowest set bit of the ray's non-opponent squares on rays going up, the highest on rays
// going down. No loops and no branches; the rays are constants, and one too short to hold a run
// and the disc that closes it is left out.
template <int Square, int Direction>
Mask flipsAlong(Mask own, Mask opp) {
  Mask flips = 0;
  constexpr Mask up = kRays.up[Square][Direction];
  if constexpr (std::popcount(up) >= 2) {
    const Mask upEnd = up & ~opp & (Mask{0} - (up & ~opp)) & own;
    flips |= (upEnd - (upEnd != 0)) & up;
  }
  constexpr Mask down = kRays.down[Square][Direction];
  if constexpr (std::popcount(down) >= 2) {
    // The highest bit of x | 1, so that an empty x needs no branch: its stand-in, bit 0, is
    // dropped as off the ray or as the opponent's.
    const Mask downEnd = (Mask{1} << (63 - std::countl_zero((down & ~opp) | 1))) & own & down;
    flips |= down & ~(downEnd * 2 - 1);
  }
  return flips;
}

// Each square has its own copy: the searches call this more than anything else.
template <int Square>
Mask flipsAt(Mask own, Mask opp) {
  return flipsAlong<Square, 0>(own, opp) | flipsAlong<Square, 1>(own, opp) |
         flipsAlong<Square, 2>(own, opp) | flipsAlong<Square, 3>(own, opp);
}

template <int... Square>
constexpr std::array<Mask (*)(Mask, Mask), 64> flipsTable(std::integer_sequence<int, Square...>) {
  return {&flipsAt<Square>...};
}

inline constexpr auto kFlipsAt = flipsTable(std::make_integer_sequence<int, 64>{});

}  // namespace detail

// The discs a move on `square` turns; 0 when the move is not legal (the square must be empty).
inline Mask flipsOf(const Position& p, int square) {
  return detail::kFlipsAt[static_cast<size_t>(square)](p.own, p.opp);
}

// The position after the side to move plays `square`, turning `flips`; the other side is then
// to move.
inline Position afterMove(const Position& p, int square, Mask flips) {
  return {p.opp & ~flips, p.own | flips | bitOf(square)};
}

// Final disc difference for the side to move when neither side can move: empty squares go to
// the side with more discs.
int finalScore(const Position& p);

// Leaves `depth` plies below `p`, counted as on the bordered board: a pass uses a ply and a
// position where neither side can move is one leaf.
uint64_t perft(const Position& p, int depth);

// Conversion from and to the bordered board, `side` to move.
Position fromBoard(const Board& b, Side side);
void toBoard(const Position& p, Side side, Board* b);

// "a1".."h8", or "pass".
std::string squareName(int square);
// The square of "a1".."h8" (lower or upper case column letter); nothing for anything else.
std::optional<int> parseSquare(std::string_view text);

// Black's and white's discs, as a board written in text gives them.
struct Discs {
  Mask black = 0;
  Mask white = 0;
};
// 64 characters for a1..h8 row by row: 'X' (or 'x') black, 'O' (or 'o') white, '-' empty. The
// four centre squares must hold discs, as they do in every game. Nothing for anything else, with
// the reason in *error: the first square that is wrong and the byte found there.
std::optional<Discs> parseSquares(std::string_view text, std::string* error);

}  // namespace brelvoxan::engine
