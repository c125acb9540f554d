#include "screen/dot_graphics.h"

#include "screen/text.h"

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

void plotDot(CharacterScreen& screen, double x, double y, int8_t colour) {
  if (!(x >= 0 && x <= kMaxDotX && y >= 0 && y <= kMaxDotY)) return;
  screen.glyphImages[colour].drawAt(kDotWidth * floorToInt(x), kDotHeight * floorToInt(y));
}

void drawLine(CharacterScreen& screen, double x1, double y1, double x2, double y2, int8_t colour) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  double x = x1;
  double y = y1;
  if (dx == 0 && dy == 0) return;
  // A whole dot at a time along the longer axis, the matching fraction along the other.
  const bool alongX = absValue(dx) > absValue(dy);
  double& major = alongX ? x : y;
  double& minor = alongX ? y : x;
  const double majorEnd = alongX ? x2 : y2;
  const double majorDelta = alongX ? dx : dy;
  const double minorStep = (alongX ? dy : dx) / absValue(majorDelta);
  const int majorStep = sign(majorDelta);
  while (majorStep >= 0 ? major <= majorEnd : major >= majorEnd) {
    plotDot(screen, x, y, colour);
    minor += minorStep;
    major += majorStep;
  }
  plotDot(screen, x2, y2, colour);
}

void drawBox(CharacterScreen& screen, double x1, double y1, double x2, double y2, int8_t colour) {
  drawLine(screen, x1, y1, x2, y1, colour);
  drawLine(screen, x1, y1, x1, y2, colour);
  drawLine(screen, x2, y1, x2, y2, colour);
  drawLine(screen, x1, y2, x2, y2, colour);
}

void fillBox(CharacterScreen& screen, double x1, double y1, double x2, double y2, int8_t colour) {
  const int stepX = sign(x2 - x1);
  const int stepY = sign(y2 - y1);
  double x = x1;
  do {
    double y = y1;
    do {
      plotDot(screen, x, y, colour);
      y += stepY;
    } while (stillWithin(y, y2, stepY));
    x += stepX;
  } while (stillWithin(x, x2, stepX));
}

void drawStone(CharacterScreen& screen, double dotX, double dotY, int16_t value) {
  drawLine(screen, dotX + 1, dotY, dotX + 3, dotY, 1);
  drawLine(screen, dotX, dotY + 1, dotX, dotY + 3, 1);
  drawLine(screen, dotX + 4, dotY + 1, dotX + 4, dotY + 3, 1);
  drawLine(screen, dotX + 1, dotY + 4, dotX + 3, dotY + 4, 1);
  fillBox(screen, dotX + 1, dotY + 1, dotX + 3, dotY + 3, value == 1 ? 1 : 0);
}

void drawSquareStone(CharacterScreen& screen, int16_t x, int16_t y, int16_t value) {
  drawStone(screen, squareDot(x) + 1, squareDot(y) + 1, value);
}

void cursorBox(CharacterScreen& screen, int16_t x, int16_t y, int8_t colour) {
  const double left = squareDot(x);
  const double top = squareDot(y);
  drawBox(screen, left, top, left + 6, top + 6, colour);
}

}  // namespace brelvoxan
