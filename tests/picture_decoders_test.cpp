// The picture decoders and the reader's checks, on the fuzzer's committed seeds: every valid
// variant decodes to the same glyph, and hostile files fail cleanly and cheaply.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "host/common/picture_decoders.h"
#include "host/headless/headless.h"
#include "screen/image_file.h"

namespace brelvoxan {
namespace {

namespace fs = std::filesystem;
using host::pictures::Picture;

std::string seedPath(const std::string& name) {
  return std::string(BRELVOXAN_SOURCE_DIR) + "/fuzz/corpus/" + name;
}

std::vector<uint8_t> seed(const std::string& name) {
  std::ifstream in(seedPath(name), std::ios::binary);
  EXPECT_TRUE(in) << name;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool decode(const std::string& name, Picture* picture) {
  const std::vector<uint8_t> bytes = seed(name);
  return host::pictures::decodeAny(bytes.data(), bytes.size(), picture);
}

// Largest difference of any colour channel between two pictures of the same size.
int channelDistance(const Picture& a, const Picture& b) {
  int worst = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      const int d = std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xFF) -
                             static_cast<int>((b.pixels[i] >> shift) & 0xFF));
      worst = std::max(worst, d);
    }
  }
  return worst;
}

TEST(PictureDecoders, EveryVariantOfTheGlyphDecodesToTheSamePixels) {
  Picture glyph;
  ASSERT_TRUE(decode("bmp24.bmp", &glyph));
  ASSERT_EQ(glyph.width, 30);
  ASSERT_EQ(glyph.height, 48);

  // Exact: palettes, bit fields, the old header, top-down rows, run lengths, GIF.
  for (const char* name :
       {"bmp4.bmp", "bmp8.bmp", "bmp-core8.bmp", "bmp32-v5.bmp", "bmp24-top-down.bmp", "rle8.bmp",
        "rle4.bmp", "glyph.gif", "interlaced.gif"}) {
    Picture picture;
    ASSERT_TRUE(decode(name, &picture)) << name;
    EXPECT_EQ(picture.width, 30) << name;
    EXPECT_EQ(picture.height, 48) << name;
    EXPECT_EQ(picture.pixels, glyph.pixels) << name;
  }
  // Close: 5 and 6 bits per channel, and lossy JPEG.
  for (const char* name : {"bmp16-565.bmp", "baseline.jpg", "progressive.jpg"}) {
    Picture picture;
    ASSERT_TRUE(decode(name, &picture)) << name;
    ASSERT_EQ(picture.pixels.size(), glyph.pixels.size()) << name;
    EXPECT_LE(channelDistance(picture, glyph), 40) << name;
  }

  // One bit: the glyph's third colour becomes one of the other two, everything else stays.
  Picture bits;
  ASSERT_TRUE(decode("bmp1.bmp", &bits));
  ASSERT_EQ(bits.pixels.size(), glyph.pixels.size());
  std::set<std::pair<uint32_t, uint32_t>> changes;
  for (size_t i = 0; i < glyph.pixels.size(); ++i) {
    if (bits.pixels[i] != glyph.pixels[i]) changes.emplace(glyph.pixels[i], bits.pixels[i]);
  }
  EXPECT_EQ(changes.size(), 1u);

  // The transparent colour of a GIF leaves its pixels black; the others stay.
  Picture transparent;
  ASSERT_TRUE(decode("transparent.gif", &transparent));
  size_t black = 0;
  for (size_t i = 0; i < glyph.pixels.size(); ++i) {
    if (transparent.pixels[i] == 0) {
      ++black;
    } else {
      EXPECT_EQ(transparent.pixels[i], glyph.pixels[i]) << i;
    }
  }
  EXPECT_GT(black, 0u);
  EXPECT_LT(black, glyph.pixels.size());
}

TEST(PictureDecoders, RunLengthsThatLeaveThePictureAreClipped) {
  // Row 0 (the bottom): 255 pixels of colour 1, then a jump of 200 columns and rows; nothing
  // else lands and nothing is written outside.
  Picture picture;
  ASSERT_TRUE(decode("rle8-wild.bmp", &picture));
  for (int32_t y = 0; y < picture.height; ++y) {
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint32_t got = picture.pixels[static_cast<size_t>(y * picture.width + x)];
      if (y == picture.height - 1) {
        EXPECT_NE(got, 0u) << x;
      } else {
        ASSERT_EQ(got, 0u) << x << "," << y;
      }
    }
  }
}

TEST(PictureDecoders, BrokenAndHostileFilesFail) {
  // Cut JPEGs and one without scan data only make libjpeg warn: refused all the same.
  for (const char* name :
       {"bmp24-truncated.bmp", "bmp-bad-offset.bmp", "bmp-two-bytes.bmp", "glyph.png",
        "regress-huffman-overflow.jpg", "regress-huffman-23.jpg", "regress-huge-screen.gif",
        "regress-huge-header.bmp", "regress-huge-frame.jpg", "cut-baseline.jpg",
        "cut-progressive.jpg", "regress-no-scan.jpg", "regress-huge-frame.gif"}) {
    Picture picture;
    EXPECT_FALSE(decode(name, &picture)) << name;
    EXPECT_TRUE(picture.pixels.empty()) << name;
  }
}

TEST(PictureHeaders, DeclaredSizesAreReadWithoutDecoding) {
  struct Case {
    const char* name;
    ImageFileKind kind;
    int32_t width, height;
  };
  for (const Case& c : {Case{"bmp24.bmp", ImageFileKind::kFileBmp, 30, 48},
                        Case{"bmp24-top-down.bmp", ImageFileKind::kFileBmp, 30, 48},
                        Case{"bmp-core8.bmp", ImageFileKind::kFileBmp, 30, 48},
                        Case{"progressive.jpg", ImageFileKind::kFileJpeg, 30, 48},
                        Case{"glyph.gif", ImageFileKind::kFileGif, 30, 48},
                        Case{"regress-huge-screen.gif", ImageFileKind::kFileGif, 20000, 20000},
                        Case{"regress-huge-header.bmp", ImageFileKind::kFileBmp, 20000, 20000},
                        Case{"regress-huge-frame.jpg", ImageFileKind::kFileJpeg, 20000, 20000}}) {
    const std::vector<uint8_t> bytes = seed(c.name);
    int32_t width = 0;
    int32_t height = 0;
    ASSERT_TRUE(declaredSize(c.kind, bytes.data(), bytes.size(), &width, &height)) << c.name;
    EXPECT_EQ(width, c.width) << c.name;
    EXPECT_EQ(height, c.height) << c.name;
    EXPECT_EQ(acceptedSize(width, height), c.width == 30) << c.name;
  }
  // No frame header before the scan, or none at all: no size.
  int32_t width = 0;
  int32_t height = 0;
  const std::vector<uint8_t> huffman = seed("regress-huffman-23.jpg");
  EXPECT_FALSE(
      declaredSize(ImageFileKind::kFileJpeg, huffman.data(), huffman.size(), &width, &height));
  const uint8_t scanFirst[] = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xC0, 0x00, 0x0B,
                               0x08, 0x00, 0x30, 0x00, 0x1E, 0x01, 0x01, 0x11, 0x00};
  EXPECT_FALSE(
      declaredSize(ImageFileKind::kFileJpeg, scanFirst, sizeof scanFirst, &width, &height));
  // A BMP whose rows are not all there never reaches a reader that maps the file.
  for (const char* name : {"bmp24.bmp", "bmp1.bmp", "bmp-core8.bmp", "bmp32-v5.bmp"}) {
    const std::vector<uint8_t> bytes = seed(name);
    EXPECT_TRUE(worthDecoding(ImageFileKind::kFileBmp, bytes.data(), bytes.size())) << name;
    EXPECT_FALSE(worthDecoding(ImageFileKind::kFileBmp, bytes.data(), bytes.size() - 4)) << name;
  }
  EXPECT_TRUE(acceptedSize(host::kMaxPictureSide, 1));
  EXPECT_FALSE(acceptedSize(host::kMaxPictureSide + 1, 1));
  EXPECT_FALSE(acceptedSize(1, 0));
}

TEST(PictureDecoders, OnlyTheKeptCornerIsDecoded) {
  const host::PictureCrop keep{7, 20};
  for (const char* name : {"bmp24.bmp", "bmp24-top-down.bmp", "bmp4.bmp", "rle8.bmp", "rle4.bmp",
                           "glyph.gif", "interlaced.gif", "baseline.jpg", "progressive.jpg"}) {
    Picture whole;
    ASSERT_TRUE(decode(name, &whole)) << name;
    const std::vector<uint8_t> bytes = seed(name);
    Picture corner;
    ASSERT_TRUE(host::pictures::decodeAny(bytes.data(), bytes.size(), &corner, keep)) << name;
    ASSERT_EQ(corner.width, 7) << name;
    ASSERT_EQ(corner.height, 20) << name;
    ASSERT_EQ(corner.pixels.size(), 140u) << name;
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 7; ++x) {
        ASSERT_EQ(corner.pixels[static_cast<size_t>(y * 7 + x)],
                  whole.pixels[static_cast<size_t>(y * whole.width + x)])
            << name << " " << x << "," << y;
      }
    }
  }
  // A picture smaller than the corner stays whole; the big one is cut however large it is.
  Picture small;
  const std::vector<uint8_t> glyph = seed("glyph.gif");
  ASSERT_TRUE(host::pictures::decodeAny(glyph.data(), glyph.size(), &small, {100, 100}));
  EXPECT_EQ(small.width, 30);
  EXPECT_EQ(small.height, 48);
  Picture cut;
  const std::vector<uint8_t> oversized = seed("regress-oversized.bmp");
  ASSERT_TRUE(host::pictures::decodeAny(oversized.data(), oversized.size(), &cut, {30, 48}));
  EXPECT_EQ(cut.pixels, std::vector<uint32_t>(30 * 48, 0x00FFFFFF));
}

// A GIF of the given screen and frame sizes with a 2-entry colour table and the LZW bytes.
std::vector<uint8_t> gifWith(uint16_t side, uint16_t frame, uint8_t minimum,
                             const std::vector<uint8_t>& data) {
  std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
  auto put16 = [&gif](uint16_t v) {
    gif.push_back(static_cast<uint8_t>(v));
    gif.push_back(static_cast<uint8_t>(v >> 8));
  };
  put16(side);
  put16(side);
  gif.insert(gif.end(), {0x80, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x2C, 0, 0, 0, 0});
  put16(frame);
  put16(frame);
  gif.push_back(0);
  gif.push_back(minimum);
  for (size_t at = 0; at < data.size(); at += 255) {
    const size_t block = std::min<size_t>(255, data.size() - at);
    gif.push_back(static_cast<uint8_t>(block));
    gif.insert(gif.end(), data.begin() + static_cast<ptrdiff_t>(at),
               data.begin() + static_cast<ptrdiff_t>(at + block));
  }
  gif.insert(gif.end(), {0, ';'});
  return gif;
}

// LZW codes packed lowest bit first, each `width` bits wide.
std::vector<uint8_t> packCodes(const std::vector<uint32_t>& codes, uint32_t width) {
  std::vector<uint8_t> out;
  uint32_t pending = 0;
  uint32_t count = 0;
  for (const uint32_t code : codes) {
    pending |= code << count;
    for (count += width; count >= 8; count -= 8, pending >>= 8) {
      out.push_back(static_cast<uint8_t>(pending));
    }
  }
  if (count > 0) out.push_back(static_cast<uint8_t>(pending));
  return out;
}

TEST(PictureHeaders, GifsThatOnlyCostTimeAreNotWorthDecoding) {
  auto worth = [](const std::vector<uint8_t>& bytes) {
    return worthDecoding(ImageFileKind::kFileGif, bytes.data(), bytes.size());
  };
  for (const char* name : {"glyph.gif", "interlaced.gif", "transparent.gif", "cut-glyph.gif"}) {
    EXPECT_TRUE(worth(seed(name))) << name;
  }
  for (const char* name : {"regress-clear-codes.gif", "regress-clear-glyph.gif",
                           "regress-huge-frame.gif", "regress-huge-screen.gif"}) {
    EXPECT_FALSE(worth(seed(name))) << name;
  }
  // Minimum code size 2: clear 4, end 5, 3-bit codes. A clear after every pixel, as the
  // plainest encoders write, is sound; two clears in a row beyond the first few are not.
  std::vector<uint32_t> plain;
  for (int i = 0; i < 100; ++i) plain.insert(plain.end(), {4, static_cast<uint32_t>(i % 2)});
  plain.push_back(5);
  EXPECT_TRUE(worth(gifWith(10, 10, 2, packCodes(plain, 3))));
  std::vector<uint32_t> clears(20, 4);
  clears.insert(clears.end(), {0, 1, 5});
  EXPECT_FALSE(worth(gifWith(10, 10, 2, packCodes(clears, 3))));
  EXPECT_TRUE(worth(gifWith(10, 10, 2, packCodes({4, 4, 0, 1, 5}, 3))));
  // Past the bound on clear codes in all, even one between pixels is too many.
  std::vector<uint32_t> many;
  for (int i = 0; i < 17000; ++i) many.insert(many.end(), {4, 0});
  EXPECT_FALSE(worth(gifWith(1000, 1000, 2, packCodes(many, 3))));
  // Minimum code sizes GIF does not have, and a frame larger than any picture.
  EXPECT_FALSE(worth(gifWith(10, 10, 0, {0x00})));
  EXPECT_FALSE(worth(gifWith(10, 10, 9, {0x00})));
  EXPECT_FALSE(worth(gifWith(10, host::kMaxPictureSide + 1, 2, packCodes({4, 0, 5}, 3))));
  EXPECT_TRUE(worth(gifWith(10, host::kMaxPictureSide, 2, packCodes({4, 0, 5}, 3))));
}

class HostileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    host::headless::reset();
    dir_ =
        fs::temp_directory_path() / ("brelvoxan_hostile_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(HostileFiles, OnlyRegularFilesOfBoundedSizeAreRead) {
  ImageFile file;
  ASSERT_EQ(file.load(seedPath("glyph.gif").c_str()), 1);
  const host::BitmapHandle gif = file.handle();

  // A FIFO with no writer, a link to it and a directory are not opened: nothing waits, and the
  // picture stays.
  const fs::path fifo = dir_ / "000.bmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink(fifo, dir_ / "001.bmp");
  for (const fs::path& path : {fifo, dir_ / "001.bmp", dir_}) {
    EXPECT_EQ(file.load(path.c_str()), 0) << path;
    EXPECT_EQ(file.kind(), ImageFileKind::kFileGif) << path;
    EXPECT_EQ(file.handle(), gif) << path;
  }

  // A regular file over the bound is unreadable without being read.
  const fs::path large = dir_ / "large.bmp";
  std::ofstream(large, std::ios::binary) << "BM";
  fs::resize_file(large, host::kMaxPictureFileBytes + 1);
  std::vector<uint8_t> bytes;
  EXPECT_EQ(host::readRegularFile(large.c_str(), host::kMaxPictureFileBytes, &bytes),
            host::FileRead::kTooLarge);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(file.load(large.c_str()), 0);
  EXPECT_EQ(file.kind(), ImageFileKind::kFileNone);
  EXPECT_EQ(file.handle(), nullptr);
}

TEST_F(HostileFiles, RefusedPicturesLeaveNoBitmap) {
  const int64_t live = host::headless::liveBitmaps();
  ImageFile file;
  for (const char* name :
       {"regress-huffman-overflow.jpg", "regress-huffman-23.jpg", "regress-huge-screen.gif",
        "regress-huge-header.bmp", "regress-huge-frame.jpg", "regress-clear-codes.gif",
        "regress-huge-frame.gif", "regress-no-scan.jpg"}) {
    EXPECT_EQ(file.load(seedPath(name).c_str()), 0) << name;
    EXPECT_EQ(file.handle(), nullptr) << name;
    EXPECT_EQ(file.width(), 0) << name;
    EXPECT_EQ(host::headless::liveBitmaps(), live) << name;
  }
  ASSERT_EQ(file.load(seedPath("rle4.bmp").c_str()), 1);
  EXPECT_EQ(file.width(), 30);
  EXPECT_EQ(file.height(), 48);
  // The bitmap made is the kept corner, whatever the header said.
  ASSERT_EQ(file.load(seedPath("regress-oversized.bmp").c_str(), {30, 48}), 1);
  EXPECT_EQ(file.width(), 30);
  EXPECT_EQ(file.height(), 48);
  int32_t width = 0;
  int32_t height = 0;
  ASSERT_TRUE(host::bitmapSize(file.handle(), &width, &height));
  EXPECT_EQ(width, 30);
  EXPECT_EQ(height, 48);
}

}  // namespace
}  // namespace brelvoxan
