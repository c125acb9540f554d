// The imitated display's character grid: 24 columns by 6 rows of 30 x 48 pixel glyph cells,
// one glyph image per character code.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/display_size.h"
#include "host/platform.h"
#include "screen/image.h"
#include "screen/text.h"

namespace brelvoxan {

inline constexpr int16_t kScreenColumns = host::kTextColumns;
inline constexpr int16_t kScreenRows = host::kTextRows;
inline constexpr int16_t kClearRows = kScreenRows + 1;  // one row more than the cursor reaches
inline constexpr int32_t kCellWidth = host::kCellWidth;
inline constexpr int32_t kCellHeight = host::kCellHeight;
inline constexpr int16_t kBlankGlyph = 32;
// How many unreadable glyph files the start-up line names.
inline constexpr size_t kNamedUnreadableGlyphs = 5;

// What loading the glyphs found.
struct GlyphLoad {
  int folder = -1;              // index of the folder used; -1 when no glyph loads from any
  std::vector<int> unreadable;  // codes whose file in that folder is missing or unreadable
  // Readable glyphs in each folder looked at, in order (the search stops at a complete set).
  std::vector<int> readable;
};

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

  // Reads all 256 glyphs of each folder in turn and keeps the set of the folder from which the
  // most load, the earlier folder among equals (a complete set ends the search), so that a
  // stray partial folder never hides a complete one. The kept glyphs are attached and marked
  // present; pictures larger than their cell are cut to it (glyphCrop).
  GlyphLoad loadGlyphsFrom(const std::vector<std::string>& folders);
  // loadGlyphsFrom(glyphFolders()), then glyphLoadMessage shown as a problem when there is
  // one; the game goes on in any case, unreadable glyphs drawn as the blank.
  void loadGlyphs();
  void locate(int16_t column, int16_t row);
  void clearScreen();
  void printText(const Text& text);
  void putGlyph(int16_t code);
};

// The folders the glyph files 000.bmp..255.bmp are looked for in, in order, each once: res/bmp
// below the current directory, res/bmp beside the program, res/bmp in the installed data folder.
std::vector<std::string> glyphFolders();

// The part of glyph `code`'s picture that is kept and drawn: its top-left corner of a cell, of a
// dot for the two dot glyphs. A picture larger than that is cut when it is loaded.
host::PictureCrop glyphCrop(int code);

// The line that tells the person what went wrong, empty when every glyph of the first folder
// with any loaded: how many glyph files could not be read and the first few by name, and the
// folder used when it is not the first; or, when none loaded, the folders looked in.
std::string glyphLoadMessage(const GlyphLoad& load, const std::vector<std::string>& folders);

}  // namespace brelvoxan
