#include "screen/character_screen.h"

#include <algorithm>
#include <string>

#include "build_info.h"
#include "host/platform.h"

namespace brelvoxan {

CharacterScreen::CharacterScreen()
    : glyphImages(std::make_unique<Image[]>(256)) {}  // constructed in code order 0..255

std::vector<std::string> glyphFolders() {
  const std::string inner = std::string("res") + host::kPathSeparator + "bmp";
  std::vector<std::string> folders{inner};
  for (const std::string& base : {host::programFolder(), std::string(kInstalledDataFolder)}) {
    if (base.empty()) continue;
    const std::string folder = base + host::kPathSeparator + inner;
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
      folders.push_back(folder);
    }
  }
  return folders;
}

int CharacterScreen::loadGlyphsFrom(const std::vector<std::string>& folders) {
  for (size_t index = 0; index < folders.size(); ++index) {
    // Names as "res/bmp/000.bmp": three digits, the code in decimal.
    std::string name = folders[index] + host::kPathSeparator + "000.bmp";
    const size_t digits = name.size() - 7;
    bool any = false;
    for (int code = 0; code < 256; ++code) {
      name[digits] = static_cast<char>('0' + code / 100);
      name[digits + 1] = static_cast<char>('0' + code / 10 % 10);
      name[digits + 2] = static_cast<char>('0' + code % 10);
      if (glyphImages[code].loadFromFile(name.c_str()) == 1) {
        glyphImages[code].attachToWindow();
        glyphPresent[static_cast<size_t>(code)] = 1;
        any = true;
      }
    }
    if (any) return static_cast<int>(index);
  }
  return -1;
}

void CharacterScreen::loadGlyphs() {
  const std::vector<std::string> folders = glyphFolders();
  if (loadGlyphsFrom(folders) >= 0) return;
  // The game still runs, but its screen stays black: say why, once.
  std::string line = "brelvoxan: no glyph files found in";
  for (size_t i = 0; i < folders.size(); ++i) line += (i == 0 ? " " : ", ") + folders[i];
  line += "; the screen stays blank";
  host::showMessage(line.c_str(), true);
}

void CharacterScreen::locate(int16_t column, int16_t row) {
  textColumn = column;
  textRow = row;
}

void CharacterScreen::clearScreen() {
  for (int32_t column = 0; column < kScreenColumns; ++column) {
    for (int32_t row = 0; row < kClearRows; ++row) {
      glyphImages[kBlankGlyph].drawAt(column * kCellWidth, row * kCellHeight);
    }
  }
  textColumn = 0;
  textRow = 0;
}

void CharacterScreen::putGlyph(int16_t code) {
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

void CharacterScreen::printText(const Text& text) {
  for (int32_t i = 0; i < text.length(); ++i) {
    int16_t code = text[i];
    if (code >= 'a' && code <= 'z') code = static_cast<int16_t>(code - 32);
    putGlyph(code);
  }
}

}  // namespace brelvoxan
