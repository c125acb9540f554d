// The imitated display's character grid: 24 columns by 6 rows of 30 x 48 pixel glyph cells,
// one glyph image per character code.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "host/text.h"
#include "screen/image.h"

namespace brelvoxan {

inline constexpr int16_t kScreenColumns = 24;
inline constexpr int16_t kScreenRows = 6;
inline constexpr int16_t kClearRows = 7;
inline constexpr int32_t kCellWidth = 30;
inline constexpr int32_t kCellHeight = 48;
inline constexpr int16_t kBlankGlyph = 32;

// Entry N is the glyph of character code N; entries 0 and 1 are also the clear and set dot.
extern std::unique_ptr<Image[]> glyphImages;
extern std::array<uint8_t, 256> glyphPresent;
extern int16_t textColumn;
extern int16_t textRow;

// Constructs the 256 empty images in code order (dropping any earlier table) and clears the
// presence flags and the text cursor.
void constructGlyphImages();
// Reads res/bmp/000.bmp..255.bmp below the current directory and attaches each loaded image.
void loadGlyphs();
void locate(int16_t column, int16_t row);
void clearScreen();
void printText(const Text& text);
void putGlyph(int16_t code);

}  // namespace brelvoxan
