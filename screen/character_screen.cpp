#include "screen/character_screen.h"

#include <string>

#include "host/platform.h"

namespace brelvoxan {

std::unique_ptr<Image[]> glyphImages;
std::array<uint8_t, 256> glyphPresent{};
int16_t textColumn = 0;
int16_t textRow = 0;

void constructGlyphImages() {
  glyphImages.reset();
  glyphImages = std::make_unique<Image[]>(256);  // constructed in code order 0..255
  glyphPresent.fill(0);
  textColumn = 0;
  textRow = 0;
}

void loadGlyphs() {
  std::string name = "res\\bmp\\000.bmp";
  name[3] = host::kPathSeparator;
  name[7] = host::kPathSeparator;
  for (int code = 0; code < 256; ++code) {
    name[8] = static_cast<char>('0' + code / 100);
    name[9] = static_cast<char>('0' + code / 10 % 10);
    name[10] = static_cast<char>('0' + code % 10);
    if (glyphImages[code].loadFromFile(name.c_str()) == 1) {
      glyphImages[code].attachToWindow();
      glyphPresent[static_cast<size_t>(code)] = 1;
    }
  }
}

void locate(int16_t column, int16_t row) {
  textColumn = column;
  textRow = row;
}

void clearScreen() {
  for (int32_t column = 0; column < kScreenColumns; ++column) {
    for (int32_t row = 0; row < kClearRows; ++row) {
      glyphImages[kBlankGlyph].drawAt(column * kCellWidth, row * kCellHeight);
    }
  }
  textColumn = 0;
  textRow = 0;
}

void putGlyph(int16_t code) {
  const int index = (code >= 0 && code < 256 && glyphPresent[static_cast<size_t>(code)] != 0)
                        ? code
                        : kBlankGlyph;
  glyphImages[index].drawAt(textColumn * kCellWidth, textRow * kCellHeight);
  ++textColumn;
  if (textColumn > kScreenColumns - 1) {
    textColumn = 0;
    ++textRow;
    if (textRow > kScreenRows - 1) textRow = kScreenRows - 1;
  }
}

void printText(const Text& text) {
  for (int32_t i = 0; i < text.length(); ++i) {
    int16_t code = text[i];
    if (code >= 'a' && code <= 'z') code = static_cast<int16_t>(code - 32);
    putGlyph(code);
  }
}

}  // namespace brelvoxan
