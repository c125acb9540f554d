// Makes every icon of the game from the one pixel-art picture res/icon/brelvoxan.txt, each an
// enlargement by a whole number (every art pixel a square of pixels):
//
//   make-icons ART --hicolor DIR   DIR/NxN/apps/brelvoxan.png for N = 16, 32, 48, 64, 128, 256
//   make-icons ART --ico DIR       DIR/brelvoxan-16.ico and brelvoxan-32.ico, 16 colours
//   make-icons ART --header FILE   a C++ header with the 32 x 32 picture for the window icon
//   make-icons ART --check-ico DIR exit 1 unless DIR's .ico files are exactly what --ico writes
//   make-icons ART --web DIR       DIR/icon-192.png and icon-512.png, the web page's app icons
//   make-icons ART --check-web DIR exit 1 unless DIR's app icons are exactly what --web writes
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace {

namespace fs = std::filesystem;

constexpr int kHicolorSizes[] = {16, 32, 48, 64, 128, 256};
constexpr int kIcoSizes[] = {16, 32};
constexpr int kWebSizes[] = {192, 512};
constexpr int kWindowIconSize = 32;
constexpr size_t kMaxColours = 16;  // the .ico files keep 4 bits a pixel

struct Art {
  int size = 0;
  std::vector<uint32_t> palette;  // 0xRRGGBB
  std::vector<uint8_t> pixels;    // palette indices, rows top to bottom
};

[[noreturn]] void fail(const std::string& why) {
  std::fprintf(stderr, "make-icons: %s\n", why.c_str());
  std::exit(1);
}

Art readArt(const fs::path& path) {
  std::ifstream in(path);
  if (!in) fail("cannot read " + path.string());
  Art art;
  std::map<char, uint8_t> index;
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    const std::string where = path.string() + ":" + std::to_string(lineNumber) + ": ";
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("colour ", 0) == 0) {
      std::istringstream fields(line.substr(7));
      std::string character;
      std::string hex;
      fields >> character >> hex;
      if (character.size() != 1 || hex.size() != 6 ||
          hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        fail(where + "expected: colour C RRGGBB");
      }
      if (index.count(character[0]) != 0 || art.palette.size() == kMaxColours) {
        fail(where + "a repeated colour or more than 16");
      }
      index[character[0]] = static_cast<uint8_t>(art.palette.size());
      art.palette.push_back(static_cast<uint32_t>(std::stoul(hex, nullptr, 16)));
      continue;
    }
    if (art.size == 0) art.size = static_cast<int>(line.size());
    if (static_cast<int>(line.size()) != art.size) fail(where + "rows of different lengths");
    for (const char c : line) {
      const auto found = index.find(c);
      if (found == index.end()) fail(where + "character '" + c + "' has no colour");
      art.pixels.push_back(found->second);
    }
  }
  if (art.size == 0 || art.pixels.size() != static_cast<size_t>(art.size) * art.size) {
    fail(path.string() + ": the picture must be square");
  }
  for (const int size : kHicolorSizes) {
    if (size % art.size != 0) fail("every icon size must be a multiple of the picture's");
  }
  for (const int size : kWebSizes) {
    if (size % art.size != 0) fail("every icon size must be a multiple of the picture's");
  }
  return art;
}

// Palette index of pixel (x, y) of the picture enlarged to `size`.
uint8_t indexAt(const Art& art, int size, int x, int y) {
  const int factor = size / art.size;
  return art.pixels[static_cast<size_t>(y / factor) * art.size + static_cast<size_t>(x / factor)];
}

std::string pngBytes(const Art& art, int size) {
  std::vector<uint8_t> rgba;
  rgba.reserve(static_cast<size_t>(size) * size * 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const uint32_t colour = art.palette[indexAt(art, size, x, y)];
      rgba.insert(rgba.end(),
                  {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                   static_cast<uint8_t>(colour), 0xFF});
    }
  }
  int length = 0;
  unsigned char* png = stbi_write_png_to_mem(rgba.data(), size * 4, size, size, 4, &length);
  if (png == nullptr) fail("cannot encode a PNG");
  std::string bytes(reinterpret_cast<const char*>(png), static_cast<size_t>(length));
  STBIW_FREE(png);
  return bytes;
}

void writeFile(const fs::path& path, const std::string& bytes);

void writePng(const Art& art, int size, const fs::path& path) {
  fs::create_directories(path.parent_path());
  writeFile(path, pngBytes(art, size));
}

fs::path webIconName(const fs::path& folder, int size) {
  return folder / ("icon-" + std::to_string(size) + ".png");
}

void put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// One 16-colour picture in an .ico file: a BMP header of twice the height (colours, then the
// transparency mask, here all opaque), rows bottom to top.
std::vector<uint8_t> icoFile(const Art& art, int size) {
  const auto xorStride = static_cast<uint32_t>((size * 4 + 31) / 32 * 4);
  const auto andStride = static_cast<uint32_t>((size + 31) / 32 * 4);
  std::vector<uint8_t> image;
  put32(image, 40);
  put32(image, static_cast<uint32_t>(size));
  put32(image, static_cast<uint32_t>(size * 2));
  put16(image, 1);  // planes
  put16(image, 4);  // bits per pixel
  put32(image, 0);  // no compression
  put32(image, (xorStride + andStride) * static_cast<uint32_t>(size));
  put32(image, 0);
  put32(image, 0);
  put32(image, kMaxColours);
  put32(image, 0);
  for (size_t i = 0; i < kMaxColours; ++i) {
    const uint32_t colour = i < art.palette.size() ? art.palette[i] : 0;
    put32(image, colour & 0xFFFFFF);  // stored as blue, green, red, 0
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<uint8_t> row(xorStride, 0);
    for (int x = 0; x < size; ++x) {
      row[static_cast<size_t>(x / 2)] |=
          static_cast<uint8_t>(indexAt(art, size, x, y) << (x % 2 == 0 ? 4 : 0));
    }
    image.insert(image.end(), row.begin(), row.end());
  }
  image.insert(image.end(), static_cast<size_t>(andStride) * size, 0);

  std::vector<uint8_t> file;
  put16(file, 0);
  put16(file, 1);  // an icon
  put16(file, 1);  // one picture
  file.push_back(static_cast<uint8_t>(size));
  file.push_back(static_cast<uint8_t>(size));
  file.push_back(static_cast<uint8_t>(kMaxColours));
  file.push_back(0);
  put16(file, 1);
  put16(file, 4);
  put32(file, static_cast<uint32_t>(image.size()));
  put32(file, 6 + 16);
  file.insert(file.end(), image.begin(), image.end());
  return file;
}

fs::path icoName(const fs::path& folder, int size) {
  return folder / ("brelvoxan-" + std::to_string(size) + ".ico");
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  if (!out) fail("cannot write " + path.string());
}

std::string asString(const std::vector<uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}

std::string header(const Art& art) {
  std::string text =
      "// Generated by make-icons from res/icon/brelvoxan.txt: the window icon, 0xAARRGGBB.\n"
      "#pragma once\n#include <cstdint>\n\nnamespace brelvoxan::icon {\n\n"
      "inline constexpr int kWindowIconSize = " +
      std::to_string(kWindowIconSize) + ";\ninline constexpr uint32_t kWindowIconPixels[] = {";
  for (int i = 0; i < kWindowIconSize * kWindowIconSize; ++i) {
    char value[16];
    const uint32_t colour =
        art.palette[indexAt(art, kWindowIconSize, i % kWindowIconSize, i / kWindowIconSize)];
    std::snprintf(value, sizeof value, "0x%08X,", 0xFF000000u | colour);
    text += (i % 8 == 0 ? "\n    " : " ") + std::string(value);
  }
  return text + "\n};\n\n}  // namespace brelvoxan::icon\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc % 2 != 0) {
    std::fprintf(stderr,
                 "usage: make-icons ART [--hicolor DIR] [--ico DIR] [--header FILE] "
                 "[--check-ico DIR] [--web DIR] [--check-web DIR]\n");
    return 2;
  }
  const Art art = readArt(argv[1]);
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string what = argv[i];
    const fs::path where = argv[i + 1];
    if (what == "--hicolor") {
      for (const int size : kHicolorSizes) {
        const std::string box = std::to_string(size) + "x" + std::to_string(size);
        writePng(art, size, where / box / "apps" / "brelvoxan.png");
      }
    } else if (what == "--ico") {
      for (const int size : kIcoSizes)
        writeFile(icoName(where, size), asString(icoFile(art, size)));
    } else if (what == "--header") {
      writeFile(where, header(art));
    } else if (what == "--web") {
      for (const int size : kWebSizes) writePng(art, size, webIconName(where, size));
    } else if (what == "--check-web") {
      for (const int size : kWebSizes) {
        std::ifstream in(webIconName(where, size), std::ios::binary);
        const std::string committed{std::istreambuf_iterator<char>(in), {}};
        if (committed != pngBytes(art, size)) {
          std::fprintf(stderr, "make-icons: %s differs from the picture; run make-icons --web\n",
                       webIconName(where, size).string().c_str());
          return 1;
        }
      }
    } else if (what == "--check-ico") {
      for (const int size : kIcoSizes) {
        std::ifstream in(icoName(where, size), std::ios::binary);
        const std::string committed{std::istreambuf_iterator<char>(in), {}};
        if (committed != asString(icoFile(art, size))) {
          std::fprintf(stderr, "make-icons: %s differs from the picture; run make-icons --ico\n",
                       icoName(where, size).string().c_str());
          return 1;
        }
      }
    } else {
      std::fprintf(stderr, "make-icons: unknown option %s\n", what.c_str());
      return 2;
    }
  }
  return 0;
}
