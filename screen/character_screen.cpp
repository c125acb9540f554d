#include "screen/character_screen.h"

#include <algorithm>
#include <string>

#include "build_info.h"
#include "host/display_size.h"
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

host::PictureCrop glyphCrop(int code) {
  if (code == 0 || code == 1) return {host::kDotWidth, host::kDotHeight};
  return {kCellWidth, kCellHeight};
}

namespace {

// The glyph files of one folder, read into a table of their own.
struct FolderGlyphs {
  std::unique_ptr<Image[]> images = std::make_unique<Image[]>(256);
  std::vector<int> unreadable;
};

FolderGlyphs readFolder(const std::string& folder) {
  FolderGlyphs glyphs;
  // Names as "res/bmp/000.bmp": three digits, the code in decimal.
  std::string name = folder + host::kPathSeparator + "000.bmp";
  const size_t digits = name.size() - 7;
  for (int code = 0; code < 256; ++code) {
    name[digits] = static_cast<char>('0' + code / 100);
    name[digits + 1] = static_cast<char>('0' + code / 10 % 10);
    name[digits + 2] = static_cast<char>('0' + code % 10);
    if (glyphs.images[code].loadFromFile(name.c_str(), glyphCrop(code)) != 1) {
      glyphs.unreadable.push_back(code);
    }
  }
  return glyphs;
}

std::string glyphFileName(int code) {
  const char digits[] = {static_cast<char>('0' + code / 100),
                         static_cast<char>('0' + code / 10 % 10),
                         static_cast<char>('0' + code % 10), '\0'};
  return std::string(digits) + ".bmp";
}

}  // namespace

GlyphLoad CharacterScreen::loadGlyphsFrom(const std::vector<std::string>& folders) {
  GlyphLoad load;
  FolderGlyphs best;
  for (size_t index = 0; index < folders.size(); ++index) {
    FolderGlyphs glyphs = readFolder(folders[index]);
    load.readable.push_back(256 - static_cast<int>(glyphs.unreadable.size()));
    if (glyphs.unreadable.size() == 256) continue;
    if (load.folder < 0 || glyphs.unreadable.size() < best.unreadable.size()) {
      best = std::move(glyphs);
      load.folder = static_cast<int>(index);
      if (best.unreadable.empty()) break;
    }
  }
  if (load.folder < 0) return load;
  load.unreadable = best.unreadable;
  glyphImages = std::move(best.images);
  glyphPresent.fill(1);
  for (const int code : load.unreadable) glyphPresent[static_cast<size_t>(code)] = 0;
  for (int code = 0; code < 256; ++code) {
    if (glyphPresent[static_cast<size_t>(code)] != 0) glyphImages[code].attachToWindow();
  }
  return load;
}

std::string glyphLoadMessage(const GlyphLoad& load, const std::vector<std::string>& folders) {
  std::string line = "brelvoxan: ";
  if (load.folder < 0 || static_cast<size_t>(load.folder) >= folders.size()) {
    // The game still runs, but its screen stays black: say why.
    line += "no glyph file could be read in";
    for (size_t i = 0; i < folders.size(); ++i) line += (i == 0 ? " " : ", ") + folders[i];
    return line + "; the screen stays blank";
  }
  // An earlier folder with glyphs was passed over: say which one is used instead.
  bool passedOver = false;
  for (size_t i = 0; i < load.readable.size() && i < static_cast<size_t>(load.folder); ++i) {
    passedOver = passedOver || load.readable[i] > 0;
  }
  if (load.unreadable.empty() && !passedOver) return {};
  const std::string& folder = folders[static_cast<size_t>(load.folder)];
  if (load.unreadable.empty()) {
    return line + "the glyphs are read from " + folder + ", which has the most readable ones";
  }
  line += std::to_string(load.unreadable.size()) + " glyph file" +
          (load.unreadable.size() == 1 ? "" : "s") + " could not be read";
  for (size_t i = 0; i < load.unreadable.size() && i < kNamedUnreadableGlyphs; ++i) {
    line +=
        (i == 0 ? ": " : ", ") + folder + host::kPathSeparator + glyphFileName(load.unreadable[i]);
  }
  if (load.unreadable.size() > kNamedUnreadableGlyphs) {
    line += " and " + std::to_string(load.unreadable.size() - kNamedUnreadableGlyphs) + " more";
  }
  line += "; they show as blanks";
  if (load.folder > 0) line += " (" + folder + " has the most readable glyphs)";
  return line;
}

void CharacterScreen::loadGlyphs() {
  const std::vector<std::string> folders = glyphFolders();
  const std::string line = glyphLoadMessage(loadGlyphsFrom(folders), folders);
  if (!line.empty()) host::showMessage(line.c_str(), true);
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
