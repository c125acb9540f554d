// Recognition of text cells, dots, stones and the cursor box by exact picture comparison.
#include "tools/reader/screen_reader.h"

#include <cstdio>
#include <iterator>
#include <utility>

namespace brelvoxan::reader {

namespace {

bool validBuffer(const Pixels& buffer) {
  return buffer.width >= 0 && buffer.height >= 0 &&
         buffer.data.size() >=
             static_cast<size_t>(buffer.width) * static_cast<size_t>(buffer.height);
}

bool regionInside(const Pixels& buffer, int x, int y, int width, int height) {
  return validBuffer(buffer) && x >= 0 && y >= 0 && width <= buffer.width &&
         height <= buffer.height && x <= buffer.width - width && y <= buffer.height - height;
}

// FNV-1a over the region's pixels, row by row.
uint64_t regionHash(const Pixels& buffer, int x, int y, int width, int height) {
  uint64_t hash = 14695981039346656037ull;
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      const uint32_t p = buffer.at(x + col, y + row);
      for (int shift = 0; shift < 32; shift += 8) {
        hash ^= (p >> shift) & 0xFFu;
        hash *= 1099511628211ull;
      }
    }
  }
  return hash;
}

// Whether the region of the buffer at (x, y) equals the whole picture; the caller has checked
// that the region lies inside the buffer.
bool regionEquals(const Pixels& buffer, int x, int y, const Pixels& picture) {
  for (int row = 0; row < picture.height; ++row) {
    for (int col = 0; col < picture.width; ++col) {
      if (buffer.at(x + col, y + row) != picture.at(col, row)) return false;
    }
  }
  return true;
}

bool isCellSized(const Pixels& picture) {
  return picture.width == kCellWidth && picture.height == kCellHeight && validBuffer(picture);
}

bool isDotSized(const Pixels& picture) {
  return picture.width == kDotWidth && picture.height == kDotHeight && validBuffer(picture);
}

bool printable(int code) {
  return code >= 32 && code <= 126;
}

// Of several glyphs with the same picture, printable ASCII reads best, then the lowest code.
bool preferred(int code, int best) {
  if (best == kNoGlyph) return true;
  if (printable(code) != printable(best)) return printable(code);
  return code < best;
}

}  // namespace

void GlyphSet::setPicture(int code, Pixels picture) {
  if (code < 0 || code > 255) return;
  for (auto it = cellIndex_.begin(); it != cellIndex_.end();) {
    it = it->second == code ? cellIndex_.erase(it) : std::next(it);
  }
  if (isCellSized(picture)) {
    cellIndex_.emplace(regionHash(picture, 0, 0, kCellWidth, kCellHeight), code);
  }
  pictures_[static_cast<size_t>(code)] = std::move(picture);
}

const Pixels* GlyphSet::picture(int code) const {
  if (code < 0 || code > 255 || !pictures_[static_cast<size_t>(code)]) return nullptr;
  return &*pictures_[static_cast<size_t>(code)];
}

int GlyphSet::pictureCount() const {
  int count = 0;
  for (const auto& picture : pictures_) count += picture ? 1 : 0;
  return count;
}

bool GlyphSet::hasDotPictures() const {
  const Pixels* clear = picture(kClearDotCode);
  const Pixels* set = picture(kSetDotCode);
  return clear != nullptr && set != nullptr && isDotSized(*clear) && isDotSized(*set);
}

int GlyphSet::matchCell(const Pixels& buffer, int x, int y) const {
  if (!regionInside(buffer, x, y, kCellWidth, kCellHeight)) return kNoGlyph;
  const auto [first, last] =
      cellIndex_.equal_range(regionHash(buffer, x, y, kCellWidth, kCellHeight));
  int best = kNoGlyph;
  for (auto it = first; it != last; ++it) {
    if (preferred(it->second, best) && regionEquals(buffer, x, y, *picture(it->second))) {
      best = it->second;
    }
  }
  return best;
}

Dot GlyphSet::matchDot(const Pixels& buffer, int x, int y) const {
  if (!hasDotPictures() || !regionInside(buffer, x, y, kDotWidth, kDotHeight)) {
    return Dot::kUnknown;
  }
  if (regionEquals(buffer, x, y, *picture(kClearDotCode))) return Dot::kClear;
  if (regionEquals(buffer, x, y, *picture(kSetDotCode))) return Dot::kSet;
  return Dot::kUnknown;
}

std::string Screen::textRow(int row) const {
  std::string text;
  if (row < 0 || row >= kTextRows) return text;
  for (int code : codes[static_cast<size_t>(row)]) {
    text += printable(code) ? static_cast<char>(code) : '?';
  }
  return text;
}

Dot Screen::dot(int x, int y) const {
  if (x < 0 || x >= kDotColumns || y < 0 || y >= kDotRowsRead) return Dot::kUnknown;
  return dots[static_cast<size_t>(y)][static_cast<size_t>(x)];
}

char Screen::square(int x, int y) const {
  if (x < 1 || x > 8 || y < 1 || y > 8) return '?';
  // The stone figure is 5 x 5 dots; its corners are never drawn, its centre is 3 x 3.
  const int left = (x - 1) * 6 + 1;
  const int top = (y - 1) * 6 + 1;
  bool allClear = true;
  bool othersClear = true;  // all but the middle dot
  bool outlineSet = true;
  bool centreSet = true;
  bool centreClear = true;
  for (int row = 0; row < 5; ++row) {
    for (int col = 0; col < 5; ++col) {
      const Dot d = dot(left + col, top + row);
      allClear = allClear && d == Dot::kClear;
      if (row != 2 || col != 2) othersClear = othersClear && d == Dot::kClear;
      const bool edgeRow = row == 0 || row == 4;
      const bool edgeCol = col == 0 || col == 4;
      if (edgeRow && edgeCol) continue;  // corner
      if (edgeRow || edgeCol) {
        outlineSet = outlineSet && d == Dot::kSet;
      } else {
        centreSet = centreSet && d == Dot::kSet;
        centreClear = centreClear && d == Dot::kClear;
      }
    }
  }
  if (allClear) return '.';
  if (othersClear && dot(left + 2, top + 2) == Dot::kSet) return '+';
  if (outlineSet && centreSet) return 'X';
  if (outlineSet && centreClear) return 'O';
  return '?';
}

std::string Screen::boardRow(int y) const {
  std::string row;
  for (int x = 1; x <= 8; ++x) row += square(x, y);
  return row;
}

std::optional<std::array<int, 2>> Screen::cursor() const {
  for (int y = 1; y <= 8; ++y) {
    for (int x = 1; x <= 8; ++x) {
      const int left = (x - 1) * 6;
      const int top = (y - 1) * 6;
      bool set = true;
      for (int i = 0; i <= 6 && set; ++i) {
        set = dot(left + i, top) == Dot::kSet && dot(left + i, top + 6) == Dot::kSet &&
              dot(left, top + i) == Dot::kSet && dot(left + 6, top + i) == Dot::kSet;
      }
      if (set) return std::array<int, 2>{x, y};
    }
  }
  return std::nullopt;
}

Screen readScreen(const Pixels& buffer, const GlyphSet& glyphs) {
  Screen screen;
  for (int row = 0; row < kTextRows; ++row) {
    for (int col = 0; col < kTextColumns; ++col) {
      screen.codes[static_cast<size_t>(row)][static_cast<size_t>(col)] =
          glyphs.matchCell(buffer, col * kCellWidth, row * kCellHeight);
    }
  }
  for (int y = 0; y < kDotRowsRead; ++y) {
    for (int x = 0; x < kDotColumns; ++x) {
      screen.dots[static_cast<size_t>(y)][static_cast<size_t>(x)] =
          glyphs.matchDot(buffer, x * kDotWidth, y * kDotHeight);
    }
  }
  return screen;
}

std::string formatScreen(const Screen& screen) {
  std::string out = "screen:\n";
  for (int row = 0; row < kTextRows; ++row)
    out.append("|").append(screen.textRow(row)).append("|\n");
  out += "board:\n";
  for (int y = 1; y <= 8; ++y) out += screen.boardRow(y) + "\n";
  const auto box = screen.cursor();
  out += box ? "cursor: " + std::to_string((*box)[0]) + " " + std::to_string((*box)[1]) + "\n"
             : "cursor: none\n";
  return out;
}

}  // namespace brelvoxan::reader
