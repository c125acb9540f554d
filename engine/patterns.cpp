#include "engine/patterns.h"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

#include "engine/pattern_values.h"

namespace brelvoxan::engine {

namespace {

struct Square {
  int x;
  int y;
};

// Each shape in one corner or along one side; the board's symmetries give its other places.
const std::vector<std::vector<Square>> kShapes = {
    // A side with the two diagonal neighbours of its corners.
    {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {1, 1}, {6, 1}},
    // The 3 by 3 corner.
    {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}},
    // The 4 by 2 corner.
    {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}},
    // The second, third and fourth lines.
    {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}},
    {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}, {7, 2}},
    {{0, 3}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}, {7, 3}},
    // Diagonals of eight to four squares.
    {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}},
    {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {7, 6}},
    {{2, 0}, {3, 1}, {4, 2}, {5, 3}, {6, 4}, {7, 5}},
    {{3, 0}, {4, 1}, {5, 2}, {6, 3}, {7, 4}},
    {{4, 0}, {5, 1}, {6, 2}, {7, 3}},
};

// Besides the shapes: the mover's moves, the opponent's moves (0..32 each) and the number of
// empty squares (0..60), each with its own value.
constexpr int kMobilityValues = 33;
constexpr int kEmptiesValues = 61;

int power3(int n) {
  int v = 1;
  while (n-- > 0) v *= 3;
  return v;
}

Square transformed(Square s, int symmetry) {
  int x = s.x;
  int y = s.y;
  if (symmetry & 1) x = 7 - x;
  if (symmetry & 2) y = 7 - y;
  if (symmetry & 4) std::swap(x, y);
  return {x, y};
}

PatternSet buildSet() {
  PatternSet set;
  int offset = 0;
  for (const auto& base : kShapes) {
    PatternShape shape;
    shape.size = static_cast<int>(base.size());
    const int count = power3(shape.size);
    // Orderings of one set of squares: the first becomes the place, the others give the
    // permutations under which an index shares its value.
    std::vector<std::vector<int>> permutations;
    for (int symmetry = 0; symmetry < 8; ++symmetry) {
      std::vector<int> squares;
      for (const Square s : base) {
        const Square t = transformed(s, symmetry);
        squares.push_back(t.y * 8 + t.x);
      }
      std::vector<int> sorted = squares;
      std::sort(sorted.begin(), sorted.end());
      bool known = false;
      for (const auto& place : shape.places) {
        std::vector<int> other = place;
        std::sort(other.begin(), other.end());
        if (other != sorted) continue;
        known = true;
        if (place.data() == shape.places.front().data()) {
          std::vector<int> permutation;
          for (const int sq : squares) {
            permutation.push_back(
                static_cast<int>(std::find(place.begin(), place.end(), sq) - place.begin()));
          }
          permutations.push_back(permutation);
        }
      }
      if (!known) shape.places.push_back(squares);
    }
    // Each index takes the slot of the least index that shares its value; only those least
    // indices have slots of their own.
    shape.slots.resize(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index) {
      std::vector<int> digits(static_cast<size_t>(shape.size));
      for (int i = shape.size - 1, v = index; i >= 0; --i, v /= 3) {
        digits[static_cast<size_t>(i)] = v % 3;
      }
      int least = index;
      for (const auto& permutation : permutations) {
        int other = 0;
        for (int i = 0; i < shape.size; ++i) {
          other = other * 3 + digits[static_cast<size_t>(permutation[static_cast<size_t>(i)])];
        }
        least = std::min(least, other);
      }
      shape.slots[static_cast<size_t>(index)] = least == index
                                                    ? static_cast<uint32_t>(offset++)
                                                    : shape.slots[static_cast<size_t>(least)];
    }
    set.shapes.push_back(std::move(shape));
  }
  set.values = offset + 2 * kMobilityValues + kEmptiesValues;
  return set;
}

// The first of the values besides the shapes': they come last.
uint32_t extraOffset(const PatternSet& set) {
  return static_cast<uint32_t>(set.values - 2 * kMobilityValues - kEmptiesValues);
}

// The views of a board through the eight symmetries: view[s] has at each square (x, y) what
// the board has at transformed((x, y), s). A place that symmetry s made from the first place
// holds, in the board, what the first place holds in view[s]; so each shape is read at one set
// of squares only, with shifts and masks.
Mask flippedColumns(Mask b) {  // x -> 7 - x
  b = ((b >> 1) & 0x5555555555555555ULL) | ((b & 0x5555555555555555ULL) << 1);
  b = ((b >> 2) & 0x3333333333333333ULL) | ((b & 0x3333333333333333ULL) << 2);
  return ((b >> 4) & 0x0F0F0F0F0F0F0F0FULL) | ((b & 0x0F0F0F0F0F0F0F0FULL) << 4);
}

Mask flippedRows(Mask b) {  // y -> 7 - y
  b = ((b >> 8) & 0x00FF00FF00FF00FFULL) | ((b & 0x00FF00FF00FF00FFULL) << 8);
  b = ((b >> 16) & 0x0000FFFF0000FFFFULL) | ((b & 0x0000FFFF0000FFFFULL) << 16);
  return (b >> 32) | (b << 32);
}

Mask transposed(Mask b) {  // (x, y) -> (y, x)
  Mask t = 0x0F0F0F0F00000000ULL & (b ^ (b << 28));
  b ^= t ^ (t >> 28);
  t = 0x3333000033330000ULL & (b ^ (b << 14));
  b ^= t ^ (t >> 14);
  t = 0x5500550055005500ULL & (b ^ (b << 7));
  return b ^ t ^ (t >> 7);
}

void symmetricViews(Mask b, Mask* view) {
  view[0] = b;
  view[1] = flippedColumns(b);
  view[2] = flippedRows(b);
  view[3] = flippedColumns(view[2]);
  view[4] = transposed(b);
  view[5] = flippedColumns(view[4]);
  view[6] = flippedRows(view[4]);
  view[7] = flippedColumns(view[6]);
}

// The discs of shape `Shape`'s first place, packed into the low bits; the order of the bits is
// checked against kShapes when the tables are built.
template <int Shape>
uint32_t packed(Mask b) {
  constexpr Mask kColumnsDown = 0x0101010101010101ULL;  // folds distinct columns into the top row
  if constexpr (Shape == 0) return (b & 0xFF) | ((b >> 1) & 0x100) | ((b >> 5) & 0x200);
  if constexpr (Shape == 1) return (b & 0x7) | ((b >> 5) & 0x38) | ((b >> 10) & 0x1C0);
  if constexpr (Shape == 2) return (b & 0xF) | ((b >> 4) & 0xF0);
  if constexpr (Shape >= 3 && Shape <= 5) return (b >> (8 * (Shape - 2))) & 0xFF;
  if constexpr (Shape >= 6 && Shape <= 10) {
    // The diagonal from column Shape - 6 of the first row down to the right.
    constexpr int kStart = Shape - 6;
    constexpr Mask kDiagonal = 0x8040201008040201ULL >> (8 * kStart);
    return static_cast<uint32_t>(((b & kDiagonal) * kColumnsDown) >> (56 + kStart));
  }
  return 0;
}

constexpr int kFastShapes = 11;

// A base-2 number read as base 3: the index part of the mover's discs; twice it, the opponent's.
constexpr auto kTernary = [] {
  std::array<uint16_t, 1024> t{};
  for (uint32_t bits = 0; bits < t.size(); ++bits) {
    uint32_t v = 0;
    for (int j = 9; j >= 0; --j) v = v * 3 + ((bits >> j) & 1);
    t[bits] = static_cast<uint16_t>(v);
  }
  return t;
}();

struct FastShape {
  std::vector<int8_t> values;  // by the index of the packed bits
  int symmetries[8];           // the view of each place
  int places;
};

struct Fast {
  std::array<FastShape, kFastShapes> shapes;
  uint32_t mobilityOffset;
  bool complete;  // the values were learnt for these shapes
  bool packs;     // packed<> reads every shape's squares
};

using Packer = uint32_t (*)(Mask);
constexpr Packer kPackers[kFastShapes] = {packed<0>, packed<1>, packed<2>, packed<3>,
                                          packed<4>, packed<5>, packed<6>, packed<7>,
                                          packed<8>, packed<9>, packed<10>};

// Lays out each shape's values from `values` (when `complete`) by the index of its packed
// bits, and finds the view of each place; `packs` is false if the packing does not read the
// shapes as kShapes has them.
Fast buildFast(const int8_t* values, bool complete) {
  Fast out{};
  const PatternSet& set = patternSet();
  out.complete = complete;
  out.mobilityOffset = extraOffset(set);
  out.packs = set.shapes.size() == kFastShapes;
  for (size_t s = 0; s < set.shapes.size() && out.packs; ++s) {
    const PatternShape& shape = set.shapes[s];
    FastShape& fast = out.shapes[s];
    // Which packed bit each square of the first place lands on.
    std::vector<int> bitOfSquare;
    for (const int sq : shape.places.front()) {
      const uint32_t bit = kPackers[s](bitOf(sq));
      if (std::popcount(bit) != 1) out.packs = false;
      bitOfSquare.push_back(std::countr_zero(bit | 0x80000000U));
    }
    if (kPackers[s](~Mask{0}) != (uint32_t{1} << shape.size) - 1) out.packs = false;
    if (!out.packs) break;
    // Each place's view: the symmetry mapping the first place's squares onto its own, in order.
    fast.places = 0;
    for (const auto& place : shape.places) {
      int found = -1;
      for (int symmetry = 0; symmetry < 8 && found < 0; ++symmetry) {
        bool same = true;
        for (int i = 0; i < shape.size && same; ++i) {
          const int sq = shape.places.front()[static_cast<size_t>(i)];
          const Square t = transformed({sq % 8, sq / 8}, symmetry);
          same = t.y * 8 + t.x == place[static_cast<size_t>(i)];
        }
        if (same) found = symmetry;
      }
      if (found < 0) out.packs = false;
      fast.symmetries[fast.places++] = found;
    }
    fast.values.resize(static_cast<size_t>(power3(shape.size)));
    if (!out.complete) continue;
    for (size_t index = 0; index < fast.values.size(); ++index) {
      // Digit j of the packed index belongs to the square whose bit is j.
      int canonical = 0;
      for (const int bit : bitOfSquare) {
        const size_t weight = static_cast<size_t>(power3(bit));
        canonical = canonical * 3 + static_cast<int>(index / weight % 3);
      }
      fast.values[index] = values[shape.slots[static_cast<size_t>(canonical)]];
    }
  }
  return out;
}

const Fast& fast() {
  static const Fast f = buildFast(kPatternValues, kPatternValueCount == patternSet().values);
  return f;
}

// The values of every phase read from kPhaseCode; empty when they were learnt for other shapes
// or phases, or the code does not give exactly their number.
std::vector<int8_t> decodedPhases() {
  if (kPhaseValueCount != patternSet().values || kPhaseCount != kMidgamePhases) return {};
  const size_t want = static_cast<size_t>(kPhaseCount) * static_cast<size_t>(kPhaseValueCount);
  std::vector<int8_t> values;
  values.reserve(want);
  for (int i = 0; i < kPhaseCodeLength; ++i) {
    if (kPhaseCode[i] != 0) {
      values.push_back(kPhaseCode[i]);
      continue;
    }
    if (++i == kPhaseCodeLength || kPhaseCode[i] <= 0) return {};
    values.insert(values.end(), static_cast<size_t>(kPhaseCode[i]), 0);
  }
  if (values.size() != want) return {};
  return values;
}

// The values of `phase` (1..kMidgamePhases), or null when there are none for it.
const int8_t* phaseValues(int phase) {
  static const std::vector<int8_t> values = decodedPhases();
  if (values.empty()) return nullptr;
  return values.data() + static_cast<size_t>(phase - 1) * static_cast<size_t>(kPhaseValueCount);
}

// The fast tables of every phase, the late one first.
const std::array<Fast, kMidgamePhases + 1>& phaseTables() {
  static const std::array<Fast, kMidgamePhases + 1> tables = [] {
    std::array<Fast, kMidgamePhases + 1> t;
    t[0] = fast();
    for (int phase = 1; phase <= kMidgamePhases; ++phase) {
      const int8_t* values = phaseValues(phase);
      t[static_cast<size_t>(phase)] = buildFast(values, values != nullptr);
    }
    return t;
  }();
  return tables;
}

template <int Shape>
int shapeSum(const FastShape& shape, const Mask* own, const Mask* opp) {
  int sum = 0;
  for (int i = 0; i < shape.places; ++i) {
    const int s = shape.symmetries[i];
    sum += shape.values[kTernary[packed<Shape>(own[s])] + 2u * kTernary[packed<Shape>(opp[s])]];
  }
  return sum;
}

template <int... Shapes>
int shapesSum(const Fast& f, const Mask* own, const Mask* opp,
              std::integer_sequence<int, Shapes...>) {
  return (shapeSum<Shapes>(f.shapes[Shapes], own, opp) + ...);
}

// Calls visit(place, index) for every place, by reading each square, for the tools that learn
// the values.
template <class Visit>
void forEachIndex(const Position& p, Visit visit) {
  for (const PatternShape& shape : patternSet().shapes) {
    for (const auto& squares : shape.places) {
      uint32_t index = 0;
      for (const int sq : squares) {
        index = index * 3 + static_cast<uint32_t>(((p.own >> sq) & 1) | (((p.opp >> sq) & 1) << 1));
      }
      visit(shape, index);
    }
  }
}

// The slots of the values besides the shapes': both sides' moves and the empty squares. Counts
// beyond the values kept (positions no game reaches) take the last value.
void extraSlots(const Position& p, Mask moves, uint32_t offset, uint32_t* extra) {
  const auto capped = [](int n, int values) {
    return static_cast<uint32_t>(std::min(n, values - 1));
  };
  extra[0] = offset + capped(countBits(moves), kMobilityValues);
  extra[1] = offset + kMobilityValues + capped(countBits(legalMoves(p.passed())), kMobilityValues);
  extra[2] = offset + 2 * kMobilityValues + capped(p.emptyCount(), kEmptiesValues);
}

int scoreWith(const Fast& f, const int8_t* values, const Position& p, Mask moves);

}  // namespace

const PatternSet& patternSet() {
  static const PatternSet set = buildSet();
  return set;
}

void patternIndices(const Position& p, std::vector<uint32_t>* out) {
  forEachIndex(
      p, [out](const PatternShape& shape, uint32_t index) { out->push_back(shape.slots[index]); });
  uint32_t extra[3];
  extraSlots(p, legalMoves(p), extraOffset(patternSet()), extra);
  out->insert(out->end(), extra, extra + 3);
}

int patternValue(uint32_t slot) {
  return fast().complete ? kPatternValues[slot] : 0;
}

bool patternReadsFast() {
  return fast().packs;
}

int patternScore(const Position& p) {
  return patternScore(p, legalMoves(p));
}

int patternScore(const Position& p, Mask moves) {
  return scoreWith(fast(), kPatternValues, p, moves);
}

int phaseOf(int empties) {
  if (empties <= kLateEmpties) return 0;
  return std::min((empties - kLateEmpties - 1) / kPhaseEmpties + 1, kMidgamePhases);
}

int phaseValue(int phase, uint32_t slot) {
  if (phase == 0) return patternValue(slot);
  const int8_t* values = phaseValues(phase);
  return values ? values[slot] : 0;
}

int gameScore(const Position& p) {
  const int phase = phaseOf(p.emptyCount());
  if (phase == 0) return patternScore(p);
  return scoreWith(phaseTables()[static_cast<size_t>(phase)], phaseValues(phase), p, legalMoves(p));
}

namespace {

int scoreWith(const Fast& f, const int8_t* values, const Position& p, Mask moves) {
  // Values learnt for other shapes: no judgement rather than a wrong one.
  if (!f.complete) return 0;
  int sum = 0;
  if (f.packs) {
    Mask own[8];
    Mask opp[8];
    symmetricViews(p.own, own);
    symmetricViews(p.opp, opp);
    sum = shapesSum(f, own, opp, std::make_integer_sequence<int, kFastShapes>{});
  } else {
    forEachIndex(p, [&sum, values](const PatternShape& shape, uint32_t index) {
      sum += values[shape.slots[index]];
    });
  }
  uint32_t extra[3];
  extraSlots(p, moves, f.mobilityOffset, extra);
  return sum + values[extra[0]] + values[extra[1]] + values[extra[2]];
}

}  // namespace

}  // namespace brelvoxan::engine
