// The imitated display's character grid: 24 columns by 6 rows of 30 x 48 pixel glyph cells,
// one glyph image per character code.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/display_size.h"
#include "host/text.h"
#include "screen/image.h"

namespace brelvoxan {

inline constexpr int16_t kScreenColumns = host::kTextColumns;
inline constexpr int16_t kScreenRows = host::kTextRows;
inline constexpr int16_t kClearRows = kScreenRows + 1;  // one row more than the cursor reaches
inline constexpr int32_t kCellWidth = host::kCellWidth;
inline constexpr int32_t kCellHeight = host::kCellHeight;
inline constexpr int16_t kBlankGlyph = 32;

// The character screen: the glyph table, which glyphs loaded, and the text cursor. Made by the
// start-up code and handed to whatever prints or draws dots.
struct CharacterScreen {
  // Constructs the 256 empty images in code order, no glyph present, the cursor at (0, 0).
  CharacterScreen();

  // Entry N is the glyph of character code N; entries 0 and 1 are also the clear and set dot.
  std::unique_ptr<Image[]> glyphImages;
  std::array<uint8_t, 256> glyphPresent{};
  int16_t textColumn = 0;
  int16_t textRow = 0;

  // Loads and attaches the glyphs of the first folder from which at least one loads; returns
  // that folder's index, or -1 when none of them gave a glyph.
  int loadGlyphsFrom(const std::vector<std::string>& folders);
  // loadGlyphsFrom(glyphFolders()); when no glyph loads, one line naming the folders tells the
  // person, and the game goes on with a blank screen.
  void loadGlyphs();
  void locate(int16_t column, int16_t row);
  void clearScreen();
  void printText(const Text& text);
  void putGlyph(int16_t code);
};

// The folders the glyph files 000.bmp..255.bmp are looked for in, in order, each once: res/bmp
// below the current directory, res/bmp beside the program, res/bmp in the installed data folder.
std::vector<std::string> glyphFolders();

}  // namespace brelvoxan
