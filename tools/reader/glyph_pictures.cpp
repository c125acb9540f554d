// Glyph pictures for the screen reader, each file read as the game reads it: only regular files
// of bounded size, the size checked in the header, the game's decoders, so a file the game finds
// unreadable has no picture here either. The game's decoding budget for a whole folder
// (DecodeBudget) is not spent here: a glyph the game leaves blank because its folder's budget ran
// out still has its picture.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "host/common/picture_decoders.h"
#include "host/platform.h"
#include "screen/character_screen.h"
#include "screen/image_file.h"
#include "tools/reader/screen_reader.h"

namespace brelvoxan::reader {

std::optional<Pixels> readGlyphPicture(const std::string& path, host::PictureCrop keep) {
  std::vector<uint8_t> bytes;
  if (host::readRegularFile(path.c_str(), host::kMaxPictureFileBytes, &bytes) !=
      host::FileRead::kRead) {
    return std::nullopt;
  }
  uint8_t head[8] = {};
  std::copy_n(bytes.begin(), std::min(bytes.size(), sizeof head), head);
  if (!worthDecoding(detectKind(head), bytes.data(), bytes.size())) return std::nullopt;
  host::pictures::Picture picture;
  if (!host::pictures::decodeAny(bytes.data(), bytes.size(), &picture, keep)) {
    return std::nullopt;
  }
  return Pixels{picture.width, picture.height, std::move(picture.pixels)};
}

GlyphSet GlyphSet::loadFromDirectory(const std::string& dir) {
  GlyphSet set;
  for (int code = 0; code < 256; ++code) {
    char name[8];
    std::snprintf(name, sizeof name, "%03d.bmp", code);
    std::optional<Pixels> picture = readGlyphPicture(dir + "/" + name, glyphCrop(code));
    if (picture) set.setPicture(code, std::move(*picture));
  }
  return set;
}

}  // namespace brelvoxan::reader
