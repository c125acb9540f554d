#include "engine/bitboard.h"

#include <cstdio>

#ifdef BRELVOXAN_POPCNT_AT_RUN_TIME
#include <cpuid.h>
#endif

namespace brelvoxan::engine {

#ifdef BRELVOXAN_POPCNT_AT_RUN_TIME
// Asked of the processor once, before main: about a twentieth of the solver's time went to
// counting bits without the instruction.
const bool detail::kPopcntInstruction = [] {
  unsigned eax = 0;
  unsigned ebx = 0;
  unsigned ecx = 0;
  unsigned edx = 0;
  return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (ecx & bit_POPCNT) != 0;
}();
#endif

Position startPosition() {
  // d4 and e5 white, e4 and d5 black, as on the bordered board.
  return {bitOf(squareOf(5, 4)) | bitOf(squareOf(4, 5)),
          bitOf(squareOf(4, 4)) | bitOf(squareOf(5, 5))};
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

std::optional<Discs> parseSquares(std::string_view text, std::string* error) {
  if (text.size() != 64) {
    *error = "expected 64 squares of X, O or -; got " + std::to_string(text.size()) + " characters";
    return std::nullopt;
  }
  Discs discs;
  for (int sq = 0; sq < 64; ++sq) {
    const char c = text[static_cast<size_t>(sq)];
    if (c == 'X' || c == 'x') {
      discs.black |= bitOf(sq);
    } else if (c == 'O' || c == 'o') {
      discs.white |= bitOf(sq);
    } else if (c != '-') {
      // The byte itself where it is printable, its value always: a byte-order mark or UTF-16
      // text shows as what it is.
      const auto byte = static_cast<unsigned char>(c);
      char shown[32];
      if (byte > 0x20 && byte < 0x7F) {
        std::snprintf(shown, sizeof shown, "'%c' (0x%02X)", c, byte);
      } else {
        std::snprintf(shown, sizeof shown, "the byte 0x%02X", byte);
      }
      *error = "square " + squareName(sq) + " holds " + shown + ", not X, O or -";
      return std::nullopt;
    }
  }
  for (const int sq : {squareOf(4, 4), squareOf(5, 4), squareOf(4, 5), squareOf(5, 5)}) {
    if (((discs.black | discs.white) & bitOf(sq)) == 0) {
      *error = "centre square " + squareName(sq) + " is empty, as it never is in a game";
      return std::nullopt;
    }
  }
  return discs;
}

}  // namespace brelvoxan::engine
