// Picture files for the screen reader and the X client: reading and writing PNG screenshots.
// The decoder and encoder are private to this file so they cannot clash with another copy.
#include <climits>
#include <cstdio>
#include <vector>

#include "tools/reader/screen_reader.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace brelvoxan::reader {

namespace {

// Screenshots are at most a screen; anything larger is not one of ours.
constexpr int kMaxPngSide = 8192;

// Where the encoder's output goes, and whether every byte of it got there.
struct PngOutput {
  std::FILE* file;
  bool written;
};

void writeToFile(void* context, void* data, int size) {
  auto* output = static_cast<PngOutput*>(context);
  if (size > 0 &&
      std::fwrite(data, 1, static_cast<size_t>(size), output->file) != static_cast<size_t>(size)) {
    output->written = false;
  }
}

}  // namespace

std::optional<Pixels> readPictureFile(const std::string& path) {
  int w = 0;
  int h = 0;
  int channels = 0;
  if (stbi_info(path.c_str(), &w, &h, &channels) == 0 || w <= 0 || h <= 0 || w > kMaxPngSide ||
      h > kMaxPngSide) {
    return std::nullopt;
  }
  // Four channels, as the backends decode, so both sides see the same colour values.
  stbi_uc* rgba = stbi_load(path.c_str(), &w, &h, &channels, STBI_rgb_alpha);
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
  // A full disk shows only when the buffered bytes are flushed: the file counts as written
  // when every write and the close succeeded.
  PngOutput output{std::fopen(path.c_str(), "wb"), true};
  if (output.file == nullptr) return false;
  const bool encoded =
      stbi_write_png_to_func(writeToFile, &output, width, height, 3, rgb.data(), width * 3) != 0;
  const bool closed = std::fclose(output.file) == 0;
  return encoded && output.written && closed;
}

}  // namespace brelvoxan::reader
