// Picture files for the screen reader: glyph pictures through the game's own file reading and
// decoders, PNG screenshots, and writing screenshots.
#include <algorithm>
#include <vector>

#include "host/common/picture_decoders.h"
#include "host/platform.h"
#include "screen/image_file.h"
#include "tools/reader/screen_reader.h"

// PNG only, for screenshots; private to this file so it cannot clash with another copy.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace brelvoxan::reader {

namespace {

std::optional<Pixels> decodePng(const std::vector<uint8_t>& bytes) {
  int w = 0;
  int h = 0;
  int channels = 0;
  const auto size = static_cast<int>(bytes.size());
  if (stbi_info_from_memory(bytes.data(), size, &w, &h, &channels) == 0 || !acceptedSize(w, h)) {
    return std::nullopt;
  }
  stbi_uc* rgba = stbi_load_from_memory(bytes.data(), size, &w, &h, &channels, STBI_rgb_alpha);
  if (rgba == nullptr) return std::nullopt;
  Pixels picture;
  picture.width = w;
  picture.height = h;
  picture.data.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (size_t i = 0; i < picture.data.size(); ++i) {
    const stbi_uc* p = rgba + i * 4;
    picture.data[i] =
        (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
  }
  stbi_image_free(rgba);
  return picture;
}

// The file's bytes and kind, when it is a regular file of bounded size.
std::optional<ImageFileKind> readFile(const std::string& path, std::vector<uint8_t>* bytes) {
  if (host::readRegularFile(path.c_str(), host::kMaxPictureFileBytes, bytes) !=
      host::FileRead::kRead) {
    return std::nullopt;
  }
  uint8_t head[8] = {};
  std::copy_n(bytes->begin(), std::min(bytes->size(), sizeof head), head);
  return detectKind(head);
}

std::optional<Pixels> decodeGlyph(ImageFileKind kind, const std::vector<uint8_t>& bytes) {
  int32_t width = 0;
  int32_t height = 0;
  if (!declaredSize(kind, bytes.data(), bytes.size(), &width, &height) ||
      !acceptedSize(width, height)) {
    return std::nullopt;
  }
  host::pictures::Picture picture;
  if (!host::pictures::decodeAny(bytes.data(), bytes.size(), &picture)) return std::nullopt;
  return Pixels{picture.width, picture.height, std::move(picture.pixels)};
}

}  // namespace

std::optional<Pixels> readGlyphPicture(const std::string& path) {
  std::vector<uint8_t> bytes;
  const std::optional<ImageFileKind> kind = readFile(path, &bytes);
  return kind ? decodeGlyph(*kind, bytes) : std::nullopt;
}

std::optional<Pixels> readPictureFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  const std::optional<ImageFileKind> kind = readFile(path, &bytes);
  if (!kind) return std::nullopt;
  if (*kind == ImageFileKind::kFilePng) return decodePng(bytes);
  return decodeGlyph(*kind, bytes);
}

bool writePng(const Pixels& buffer, int x, int y, int width, int height, const std::string& path) {
  if (x < 0 || y < 0 || width <= 0 || height <= 0 || x > buffer.width - width ||
      y > buffer.height - height ||
      buffer.data.size() < static_cast<size_t>(buffer.width) * static_cast<size_t>(buffer.height)) {
    return false;
  }
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  size_t out = 0;
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      const uint32_t p = buffer.at(x + col, y + row);
      rgb[out++] = static_cast<unsigned char>(p >> 16);
      rgb[out++] = static_cast<unsigned char>(p >> 8);
      rgb[out++] = static_cast<unsigned char>(p);
    }
  }
  return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

}  // namespace brelvoxan::reader
