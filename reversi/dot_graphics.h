// The dot plane (144 x 48 dots of 5 x 6 pixels) and the board figures drawn on it.
#pragma once

#include <cstdint>

#include "reversi/board.h"
#include "screen/character_screen.h"  // kDotWidth, kDotHeight: the size of the dot glyphs

namespace brelvoxan {

inline constexpr uint32_t kSweepPauseMs = 10;

void plotDot(double x, double y, int8_t colour);
void drawLine(double x1, double y1, double x2, double y2, int8_t colour);
void drawBox(double x1, double y1, double x2, double y2, int8_t colour);
void fillBox(double x1, double y1, double x2, double y2, int8_t colour);
double absValue(double v);
int sign(double v);

// The first dot column (row) of board column (row) 1..8: squares are 6 x 6 dots, square 1 at 0.
inline constexpr int32_t squareDot(int32_t square) {
  return (square - 1) * 6;
}

// The stone figure with top-left dot (dotX, dotY); centre set for +1, clear otherwise.
void drawStone(double dotX, double dotY, Cell value);
// The stone figure on board square (x, y), one dot in from the square's corner.
void drawSquareStone(int16_t x, int16_t y, Cell value);
// The 7 x 7 outline around board square (x, y); colour 1 shows it, 0 erases it.
void cursorBox(int16_t x, int16_t y, int8_t colour);
// Repaints every stone's centre column by column, 10 ms per square, then prints both counts.
StoneCounts refreshStoneCentres();
// The board of a new game: the four centre stones, the board edge, the legend stones and the
// counts.
void drawNewGameBoard();

}  // namespace brelvoxan
