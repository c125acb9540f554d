#include "reversi/dot_graphics.h"

#include "game/status_panel.h"
#include "host/platform.h"
#include "host/text.h"
#include "reversi/game_state.h"
#include "screen/character_screen.h"

namespace brelvoxan {

namespace {

// The plane's bounds in dots, inclusive; far beyond the 144 x 48 display, as the back buffer
// is screen-sized.
constexpr double kMaxDotX = 640;
constexpr double kMaxDotY = 480;

// fillBox steps by the sign of the difference; a zero difference still visits its one
// column or row once instead of looping forever.
bool stillWithin(double value, double end, int step) {
  if (step > 0) return value <= end;
  if (step < 0) return value >= end;
  return false;
}

}  // namespace

double absValue(double v) {
  return v >= 0 ? v : -v;
}

int sign(double v) {
  return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

void plotDot(double x, double y, int8_t colour) {
  if (!(x >= 0 && x <= kMaxDotX && y >= 0 && y <= kMaxDotY)) return;
  glyphImages[colour].drawAt(kDotWidth * floorToInt(x), kDotHeight * floorToInt(y));
}

void drawLine(double x1, double y1, double x2, double y2, int8_t colour) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  double x = x1;
  double y = y1;
  if (dx == 0 && dy == 0) return;
  if (absValue(dx) > absValue(dy)) {
    const double stepY = dy / absValue(dx);
    const int stepX = sign(dx);
    while (stepX >= 0 ? x <= x2 : x >= x2) {
      plotDot(x, y, colour);
      y += stepY;
      x += stepX;
    }
  } else {
    const double stepX = dx / absValue(dy);
    const int stepY = sign(dy);
    while (stepY >= 0 ? y <= y2 : y >= y2) {
      plotDot(x, y, colour);
      x += stepX;
      y += stepY;
    }
  }
  plotDot(x2, y2, colour);
}

void drawBox(double x1, double y1, double x2, double y2, int8_t colour) {
  drawLine(x1, y1, x2, y1, colour);
  drawLine(x1, y1, x1, y2, colour);
  drawLine(x2, y1, x2, y2, colour);
  drawLine(x1, y2, x2, y2, colour);
}

void fillBox(double x1, double y1, double x2, double y2, int8_t colour) {
  const int stepX = sign(x2 - x1);
  const int stepY = sign(y2 - y1);
  double x = x1;
  do {
    double y = y1;
    do {
      plotDot(x, y, colour);
      y += stepY;
    } while (stillWithin(y, y2, stepY));
    x += stepX;
  } while (stillWithin(x, x2, stepX));
}

void drawStone(double dotX, double dotY, Cell value) {
  drawLine(dotX + 1, dotY, dotX + 3, dotY, 1);
  drawLine(dotX, dotY + 1, dotX, dotY + 3, 1);
  drawLine(dotX + 4, dotY + 1, dotX + 4, dotY + 3, 1);
  drawLine(dotX + 1, dotY + 4, dotX + 3, dotY + 4, 1);
  fillBox(dotX + 1, dotY + 1, dotX + 3, dotY + 3, value == kBlack ? 1 : 0);
}

void drawSquareStone(int16_t x, int16_t y, Cell value) {
  drawStone(squareDot(x) + 1, squareDot(y) + 1, value);
}

void cursorBox(int16_t x, int16_t y, int8_t colour) {
  const double left = squareDot(x);
  const double top = squareDot(y);
  drawBox(left, top, left + 6, top + 6, colour);
}

StoneCounts refreshStoneCentres() {
  StoneCounts counts;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const Cell cell = board.at(x, y);
      if (cell != kEmpty) {
        const double left = squareDot(x) + 2;
        const double top = squareDot(y) + 2;
        fillBox(left, top, left + 2, top + 2, cell == kBlack ? 1 : 0);
        if (cell == kBlack) {
          ++counts.black;
        } else {
          ++counts.white;
        }
      }
      host::sleepMs(kSweepPauseMs);
    }
  }
  blackCount = counts.black;
  whiteCount = counts.white;
  locate(10, 3);
  printCount(blackCount);
  locate(10, 4);
  printCount(whiteCount);
  return counts;
}

void drawNewGameBoard() {
  for (int16_t x = 4; x <= 5; ++x) {
    for (int16_t y = 4; y <= 5; ++y) {
      drawSquareStone(x, y, board.at(x, y));
    }
  }
  drawLine(49, 0, 49, 48, 1);
  drawStone(54, 25, kBlack);
  drawStone(54, 33, kWhite);
}

}  // namespace brelvoxan
