// The committed glyph files under res/bmp, read back with a BMP reader of their own so that a
// fault in the generator's writer cannot hide itself.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

struct Bmp {
  bool ok = false;
  std::string error;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, rows top to bottom

  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

uint32_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<size_t>(i)];
  return v;
}

Bmp readBmp(const std::string& path) {
  Bmp bmp;
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
  auto fail = [&](const std::string& why) {
    bmp.error = path + ": " + why;
    return bmp;
  };
  if (b.size() < 54) return fail("shorter than the two headers");
  if (b[0] != 'B' || b[1] != 'M') return fail("no BM signature");
  if (le(b, 2, 4) != b.size()) return fail("bfSize is not the file size");
  if (le(b, 6, 4) != 0) return fail("reserved fields not zero");
  if (le(b, 14, 4) != 40) return fail("not a BITMAPINFOHEADER");
  const auto height = static_cast<int32_t>(le(b, 22, 4));
  bmp.width = static_cast<int>(le(b, 18, 4));
  bmp.height = height;
  if (bmp.width <= 0 || height <= 0) return fail("not a bottom-up bitmap with a size");
  if (le(b, 26, 2) != 1 || le(b, 28, 2) != 4) return fail("not one plane of 4 bits");
  if (le(b, 30, 4) != 0) return fail("compressed");
  const size_t colours = le(b, 46, 4);
  if (colours < 1 || colours > 16 || le(b, 50, 4) != 0) return fail("palette counts");
  const size_t offset = 54 + colours * 4;
  if (le(b, 10, 4) != offset) return fail("pixels do not follow the palette");
  const size_t stride = (static_cast<size_t>(bmp.width) * 4 + 31) / 32 * 4;
  const size_t imageSize = stride * static_cast<size_t>(bmp.height);
  if (le(b, 34, 4) != imageSize) return fail("biSizeImage");
  if (le(b, 38, 4) != 2835 || le(b, 42, 4) != 2835) return fail("resolution");
  if (b.size() != offset + imageSize) return fail("pixel data size");
  std::vector<uint32_t> palette;
  for (size_t i = 0; i < colours; ++i) palette.push_back(le(b, 54 + i * 4, 4));
  for (size_t i = 0; i < colours; ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (palette[i] == palette[j]) return fail("a colour twice in the palette");
    }
  }
  bmp.pixels.resize(static_cast<size_t>(bmp.width * bmp.height));
  for (int y = 0; y < bmp.height; ++y) {
    const size_t row = offset + stride * static_cast<size_t>(bmp.height - 1 - y);
    for (size_t x = 0; x < stride * 2; ++x) {
      const uint32_t index = (b[row + x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF;
      if (x >= static_cast<size_t>(bmp.width)) {
        if (index != 0) return fail("padding not zero");
        continue;
      }
      if (index >= colours) return fail("a pixel outside the palette");
      bmp.pixels[static_cast<size_t>(y * bmp.width) + x] = palette[index];
    }
  }
  bmp.ok = true;
  return bmp;
}

using Dots = std::array<std::array<bool, 6>, 8>;  // [row][column]

class GlyphFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (int code = 0; code < 256; ++code) {
      char name[32];
      std::snprintf(name, sizeof name, "/res/bmp/%03d.bmp", code);
      files_[code] = readBmp(std::string(BRELVOXAN_SOURCE_DIR) + name);
    }
  }

  // Reads a cell back as dots; fails when a 5 by 6 tile is neither dot picture.
  static ::testing::AssertionResult cellDots(int code, Dots& dots) {
    const Bmp& cell = files_[code];
    const Bmp& clear = files_[0];
    const Bmp& set = files_[1];
    if (!cell.ok || !clear.ok || !set.ok) return ::testing::AssertionFailure() << "unreadable";
    if (cell.width != 30 || cell.height != 48) {
      return ::testing::AssertionFailure()
             << "code " << code << " is " << cell.width << "x" << cell.height;
    }
    for (int row = 0; row < 8; ++row) {
      for (int column = 0; column < 6; ++column) {
        bool isClear = true;
        bool isSet = true;
        for (int y = 0; y < 6; ++y) {
          for (int x = 0; x < 5; ++x) {
            const uint32_t p = cell.at(column * 5 + x, row * 6 + y);
            isClear = isClear && p == clear.at(x, y);
            isSet = isSet && p == set.at(x, y);
          }
        }
        if (!isClear && !isSet) {
          return ::testing::AssertionFailure()
                 << "code " << code << ": dot (" << column << ", " << row << ") is no dot picture";
        }
        dots[row][column] = isSet;
      }
    }
    return ::testing::AssertionSuccess();
  }

  static std::array<Bmp, 256> files_;
};

std::array<Bmp, 256> GlyphFiles::files_;

double luminance(uint32_t rgb) {
  return 0.299 * ((rgb >> 16) & 0xFF) + 0.587 * ((rgb >> 8) & 0xFF) + 0.114 * (rgb & 0xFF);
}

TEST_F(GlyphFiles, AllAre4BitPaletteBitmapsWithThePixelsTheGameHasAlwaysShown) {
  // FNV-1a over every pixel (0x00RRGGBB, little-endian) of the 256 glyphs in code order. The
  // files may change form, never picture: every front end must keep showing the same pixels.
  uint64_t hash = 0xCBF29CE484222325u;
  for (int code = 0; code < 256; ++code) {
    ASSERT_TRUE(files_[code].ok) << files_[code].error;
    for (const uint32_t pixel : files_[code].pixels) {
      for (int shift = 0; shift < 32; shift += 8) {
        hash = (hash ^ ((pixel >> shift) & 0xFF)) * 0x100000001B3u;
      }
    }
  }
  EXPECT_EQ(hash, 0x3D6C847B02AF15B5u);
}

TEST_F(GlyphFiles, DotsTileAtTheDotPitchAndLookLikeAnLcd) {
  const Bmp& clear = files_[0];
  const Bmp& set = files_[1];
  ASSERT_TRUE(clear.ok && set.ok);
  ASSERT_EQ(clear.width, 5);
  ASSERT_EQ(clear.height, 6);
  ASSERT_EQ(set.width, 5);
  ASSERT_EQ(set.height, 6);
  // The dot areas: the set dot is far darker than the clear one, which stays close to the panel.
  const double clearArea = luminance(clear.at(1, 1));
  const double setArea = luminance(set.at(1, 1));
  const double panel = luminance(clear.at(4, 5));
  EXPECT_GT(clearArea - setArea, 100.0);
  EXPECT_LT(std::abs(panel - clearArea), 20.0);
  // The gap column and row are the same in both dots, so the grid runs on through set dots.
  for (int y = 0; y < 6; ++y) EXPECT_EQ(clear.at(4, y), set.at(4, y)) << "gap row " << y;
  for (int x = 0; x < 5; ++x) EXPECT_EQ(clear.at(x, 5), set.at(x, 5)) << "gap column " << x;
}

TEST_F(GlyphFiles, EveryCellIsMadeOfDotPictures) {
  for (int code = 2; code < 256; ++code) {
    Dots dots{};
    ASSERT_TRUE(cellDots(code, dots));
    int setDots = 0;
    for (const auto& row : dots) {
      for (bool on : row) setDots += on ? 1 : 0;
    }
    if (code == 32) {
      EXPECT_EQ(setDots, 0) << "the blank cell must be all clear dots";
      continue;
    }
    EXPECT_GT(setDots, 0) << "code " << code << " draws nothing";
    if (code > 32 && code < 127) {
      // Characters keep the last column and row clear so that neighbours never touch.
      for (int row = 0; row < 8; ++row) EXPECT_FALSE(dots[row][5]) << "code " << code;
      for (int column = 0; column < 6; ++column) EXPECT_FALSE(dots[7][column]) << "code " << code;
    }
  }
}

TEST_F(GlyphFiles, PrintableCharactersAreDistinctAndOtherCodesDifferFromThem) {
  std::map<Dots, int> printable;
  for (int code = 32; code < 127; ++code) {
    Dots dots{};
    ASSERT_TRUE(cellDots(code, dots));
    const auto [it, fresh] = printable.emplace(dots, code);
    EXPECT_TRUE(fresh) << "codes " << it->second << " and " << code << " look the same";
  }
  for (int code = 2; code < 256; ++code) {
    if (code >= 32 && code < 127) continue;
    Dots dots{};
    ASSERT_TRUE(cellDots(code, dots));
    const auto it = printable.find(dots);
    EXPECT_TRUE(it == printable.end()) << "code " << code << " looks like code " << it->second;
  }
}

}  // namespace
