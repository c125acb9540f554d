// The dot plane (144 x 48 dots of 5 x 6 pixels) and the board figures drawn on it. Each dot is
// glyph 0 (clear) or glyph 1 (set) of the character screen.
#pragma once

#include <cstdint>

#include "host/display_size.h"
#include "screen/character_screen.h"

namespace brelvoxan {

inline constexpr int32_t kDotWidth = host::kDotWidth;
inline constexpr int32_t kDotHeight = host::kDotHeight;

void plotDot(CharacterScreen& screen, double x, double y, int8_t colour);
void drawLine(CharacterScreen& screen, double x1, double y1, double x2, double y2, int8_t colour);
void drawBox(CharacterScreen& screen, double x1, double y1, double x2, double y2, int8_t colour);
void fillBox(CharacterScreen& screen, double x1, double y1, double x2, double y2, int8_t colour);
double absValue(double v);
int sign(double v);

// The first dot column (row) of board column (row) 1..8: squares are 6 x 6 dots, square 1 at 0.
inline constexpr int32_t squareDot(int32_t square) {
  return (square - 1) * host::kSquareDots;
}

// The stone figure with top-left dot (dotX, dotY); centre set for +1 (black), clear otherwise.
void drawStone(CharacterScreen& screen, double dotX, double dotY, int16_t value);
// The stone figure on board square (x, y), one dot in from the square's corner.
void drawSquareStone(CharacterScreen& screen, int16_t x, int16_t y, int16_t value);
// The 7 x 7 outline around board square (x, y); colour 1 shows it, 0 erases it.
void cursorBox(CharacterScreen& screen, int16_t x, int16_t y, int8_t colour);

}  // namespace brelvoxan
