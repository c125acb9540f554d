#include "reversi/patterns.h"

#include <algorithm>
#include <bit>

namespace brelvoxan::engine {

extern const int8_t kPatternValues[];
extern const int kPatternValueCount;

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

// The places flattened for the judgement: squares, then the shape's slots and its values by
// index (one load per place instead of two in a row).
struct Place {
  uint8_t squares[10];
  uint16_t weights[10];  // the power of 3 of each square in the index
  int size;
  const uint32_t* slots;
  const int8_t* values;
};

struct Flat {
  std::vector<std::vector<int8_t>> values;  // of each shape, by index
  std::vector<Place> places;
  uint32_t mobilityOffset;
  bool complete;  // the values were learnt for these shapes
};

const Flat& flat() {
  static const Flat f = [] {
    Flat out;
    const PatternSet& set = patternSet();
    out.complete = kPatternValueCount == set.values;
    out.mobilityOffset = static_cast<uint32_t>(set.values - 2 * kMobilityValues - kEmptiesValues);
    for (const PatternShape& shape : set.shapes) {
      std::vector<int8_t> values(shape.slots.size());
      if (out.complete) {
        for (size_t i = 0; i < values.size(); ++i) values[i] = kPatternValues[shape.slots[i]];
      }
      out.values.push_back(std::move(values));
    }
    for (size_t s = 0; s < set.shapes.size(); ++s) {
      const PatternShape& shape = set.shapes[s];
      for (const auto& squares : shape.places) {
        Place place{};
        place.size = shape.size;
        for (int i = 0; i < shape.size; ++i) {
          place.squares[i] = static_cast<uint8_t>(squares[static_cast<size_t>(i)]);
          place.weights[i] = static_cast<uint16_t>(power3(shape.size - 1 - i));
        }
        place.slots = shape.slots.data();
        place.values = out.values[s].data();
        out.places.push_back(place);
      }
    }
    return out;
  }();
  return f;
}

// Calls visit(place, index) for every place, then gives the slots of the values besides the
// shapes'.
template <class Visit>
void forEachIndex(const Position& p, Mask moves, Visit visit, uint32_t* extra) {
  // Each square's digit once, then each index as a sum with no chain of multiplications.
  uint32_t digits[64];
  for (int sq = 0; sq < 64; ++sq) {
    digits[sq] = static_cast<uint32_t>(((p.own >> sq) & 1) | (((p.opp >> sq) & 1) << 1));
  }
  const Flat& f = flat();
  for (const Place& place : f.places) {
    uint32_t index = 0;
    for (int i = 0; i < place.size; ++i) index += digits[place.squares[i]] * place.weights[i];
    visit(place, index);
  }
  // Counts beyond the values kept (positions no game reaches) take the last value.
  const auto capped = [](int n, int values) {
    return static_cast<uint32_t>(std::min(n, values - 1));
  };
  extra[0] = f.mobilityOffset + capped(countBits(moves), kMobilityValues);
  extra[1] = f.mobilityOffset + kMobilityValues +
             capped(countBits(legalMoves(p.passed())), kMobilityValues);
  extra[2] = f.mobilityOffset + 2 * kMobilityValues + capped(p.emptyCount(), kEmptiesValues);
}

}  // namespace

const PatternSet& patternSet() {
  static const PatternSet set = buildSet();
  return set;
}

void patternIndices(const Position& p, std::vector<uint32_t>* out) {
  uint32_t extra[3];
  forEachIndex(
      p, legalMoves(p),
      [out](const Place& place, uint32_t index) { out->push_back(place.slots[index]); }, extra);
  out->insert(out->end(), extra, extra + 3);
}

int patternScore(const Position& p) {
  return patternScore(p, legalMoves(p));
}

int patternScore(const Position& p, Mask moves) {
  // Values learnt for other shapes: no judgement rather than a wrong one.
  if (!flat().complete) return 0;
  int sum = 0;
  uint32_t extra[3];
  forEachIndex(
      p, moves, [&sum](const Place& place, uint32_t index) { sum += place.values[index]; }, extra);
  return sum + kPatternValues[extra[0]] + kPatternValues[extra[1]] + kPatternValues[extra[2]];
}

}  // namespace brelvoxan::engine
