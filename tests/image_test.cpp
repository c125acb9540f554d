// Image file reading and image drawing against the headless backend.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "host/headless/headless.h"
#include "host/window_host.h"
#include "screen/image.h"
#include "screen/image_file.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

namespace brelvoxan {
namespace {

namespace fs = std::filesystem;
namespace headless = host::headless;

// 2 x 2 pixels, red blue / blue red, one clear code before every pixel.
const std::vector<uint8_t> kTinyGif = {
    'G',  'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x80, 0, 0,    0xFF, 0,    0,    0, 0,   0xFF,
    0x2C, 0,   0,   0,   0,   2,   0, 2, 0, 0, 2,    4, 0x04, 0xC3, 0x10, 0x05, 0, 0x3B};
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;

// A pattern with no black pixel, so covered pixels are told from untouched ones.
uint32_t patternAt(int32_t x, int32_t y) {
  return 0x400000u | static_cast<uint32_t>(x) << 8 | static_cast<uint32_t>(y + 1);
}

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::reset(1024, 768);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / (std::string("brelvoxan_image_") + info->name() + "_" +
                                        std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  std::string writeBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path(name).c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path(name);
  }

  // Writes the pattern of the given size as BMP, PNG or JPEG.
  std::string writePicture(const std::string& name, int w, int h, char format) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint32_t p = patternAt(x, y);
        rgb.insert(rgb.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                               static_cast<uint8_t>(p)});
      }
    }
    const std::string file = path(name);
    int ok = 0;
    if (format == 'b') ok = stbi_write_bmp(file.c_str(), w, h, 3, rgb.data());
    if (format == 'p') ok = stbi_write_png(file.c_str(), w, h, 3, rgb.data(), w * 3);
    if (format == 'j') ok = stbi_write_jpg(file.c_str(), w, h, 3, rgb.data(), 100);
    EXPECT_NE(ok, 0);
    return file;
  }

  // The rectangle of `pixels` that is not black, as left, top, right, bottom (inclusive).
  static std::vector<int32_t> coveredRect(const headless::Pixels& pixels) {
    std::vector<int32_t> rect = {pixels.width, pixels.height, -1, -1};
    for (int32_t y = 0; y < pixels.height; ++y) {
      for (int32_t x = 0; x < pixels.width; ++x) {
        if (pixels.at(x, y) == 0) continue;
        rect = {std::min(rect[0], x), std::min(rect[1], y), std::max(rect[2], x),
                std::max(rect[3], y)};
      }
    }
    return rect;
  }

  static size_t coveredCount(const headless::Pixels& pixels) {
    size_t count = 0;
    for (uint32_t p : pixels.data) count += p != 0;
    return count;
  }

  fs::path dir_;
};

TEST(DetectKindTest, SignaturesInOrder) {
  const uint8_t bmp[8] = {'B', 'M'};
  const uint8_t gif[8] = {'G', 'I', 'F', '8', '7', 'a'};
  const uint8_t jpeg[8] = {0xFF, 0xD8, 0xFF};
  const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  const uint8_t brokenPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x00};
  const uint8_t gi[8] = {'G', 'I'};
  const uint8_t empty[8] = {};
  EXPECT_EQ(detectKind(bmp), ImageFileKind::kFileBmp);
  EXPECT_EQ(detectKind(gif), ImageFileKind::kFileGif);
  EXPECT_EQ(detectKind(jpeg), ImageFileKind::kFileJpeg);
  EXPECT_EQ(detectKind(png), ImageFileKind::kFilePng);
  EXPECT_EQ(detectKind(brokenPng), ImageFileKind::kFileNone);
  EXPECT_EQ(detectKind(gi), ImageFileKind::kFileNone);
  EXPECT_EQ(detectKind(empty), ImageFileKind::kFileNone);
}

TEST_F(ImageTest, ReaderTellsKindsByContentNotName) {
  ImageFile file;
  EXPECT_EQ(file.load(writeBytes("two.bmp", {'B', 'M'}).c_str()), 0);
  EXPECT_EQ(file.kind(), ImageFileKind::kFileBmp);
  EXPECT_EQ(file.handle(), nullptr);

  EXPECT_EQ(file.load(writeBytes("empty.bmp", {}).c_str()), 0);
  EXPECT_EQ(file.kind(), ImageFileKind::kFileNone);

  EXPECT_EQ(file.load(writeBytes("000.bmp", kTinyGif).c_str()), 1);
  EXPECT_EQ(file.kind(), ImageFileKind::kFileGif);
  EXPECT_EQ(file.width(), 2);
  EXPECT_EQ(file.height(), 2);
  EXPECT_NE(file.handle(), nullptr);

  EXPECT_EQ(file.load(writePicture("glyph.png", 30, 48, 'p').c_str()), 0);
  EXPECT_EQ(file.kind(), ImageFileKind::kFilePng);
  EXPECT_EQ(file.width(), 30);
  EXPECT_EQ(file.height(), 48);
  EXPECT_EQ(file.handle(), nullptr);

  EXPECT_EQ(file.load(writePicture("photo.bmp", 16, 8, 'j').c_str()), 1);
  EXPECT_EQ(file.kind(), ImageFileKind::kFileJpeg);
  EXPECT_EQ(file.width(), 16);
  EXPECT_EQ(file.height(), 8);
  EXPECT_NE(file.handle(), nullptr);

  // A directory is not a file to read: the picture stays.
  EXPECT_EQ(file.load(dir_.string().c_str()), 0);
  EXPECT_EQ(file.kind(), ImageFileKind::kFileJpeg);
}

TEST_F(ImageTest, MissingFileKeepsPreviousPictureAndReleaseEmptiesHandle) {
  ImageFile file;
  ASSERT_EQ(file.load(writeBytes("a.gif", kTinyGif).c_str()), 1);
  const host::BitmapHandle gif = file.handle();
  EXPECT_EQ(file.load(path("missing.bmp").c_str()), 0);
  EXPECT_EQ(file.kind(), ImageFileKind::kFileGif);
  EXPECT_EQ(file.handle(), gif);

  const host::BitmapHandle released = file.releaseBitmap();
  EXPECT_EQ(released, gif);
  EXPECT_EQ(file.handle(), nullptr);
  EXPECT_EQ(file.kind(), ImageFileKind::kFileGif);
  EXPECT_EQ(file.width(), 2);
  host::deleteBitmap(released);
}

TEST_F(ImageTest, DecodedPixelsReachTheWindow) {
  host::startPromptWindow();
  Image gif;
  ASSERT_EQ(gif.loadFromFile(writeBytes("000.bmp", kTinyGif).c_str()), 1);
  gif.attachToWindow();
  EXPECT_EQ(gif.drawAt(10, 20), 1);
  const headless::Pixels& window = headless::window();
  EXPECT_EQ(window.at(10, 20), kRed);
  EXPECT_EQ(window.at(11, 20), kBlue);
  EXPECT_EQ(window.at(10, 21), kBlue);
  EXPECT_EQ(window.at(11, 21), kRed);

  Image jpeg;
  ASSERT_EQ(jpeg.loadFromFile(writePicture("j.jpg", 16, 8, 'j').c_str()), 1);
  jpeg.attachToWindow();
  ASSERT_EQ(jpeg.drawAt(0, 0), 1);
  // Lossy, but close to the pattern.
  for (int32_t x : {0, 7, 15}) {
    const uint32_t got = window.at(x, 4);
    const uint32_t want = patternAt(x, 4);
    for (int shift : {0, 8, 16}) {
      EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), static_cast<int>((want >> shift) & 0xFF),
                  12)
          << "x " << x;
    }
  }
}

TEST_F(ImageTest, AttachedDrawCoversExactCellInWindowAndBackBuffer) {
  host::startPromptWindow();
  Image glyph;
  ASSERT_EQ(glyph.loadFromFile(writePicture("030.bmp", 30, 48, 'b').c_str()), 1);
  EXPECT_EQ(glyph.bitmapWidth(), 30);
  EXPECT_EQ(glyph.bitmapHeight(), 48);
  glyph.attachToWindow();
  EXPECT_TRUE(glyph.mirrorEnabled());
  EXPECT_EQ(glyph.drawAt(60, 96), 1);

  for (const headless::Pixels* pixels : {&headless::window(), &headless::backBuffer()}) {
    EXPECT_EQ(coveredRect(*pixels), (std::vector<int32_t>{60, 96, 89, 143}));
    EXPECT_EQ(coveredCount(*pixels), 30u * 48u);
    EXPECT_EQ(pixels->at(60, 96), patternAt(0, 0));
    EXPECT_EQ(pixels->at(89, 143), patternAt(29, 47));
  }

  // Past the client area the back buffer still keeps the drawing; past the back buffer it is
  // lost without harm.
  EXPECT_EQ(glyph.drawAt(700, 270), 1);
  EXPECT_EQ(headless::window().at(719, 287), patternAt(19, 17));
  EXPECT_EQ(headless::backBuffer().at(729, 317), patternAt(29, 47));
  EXPECT_EQ(glyph.drawAt(1010, -40), 1);
  EXPECT_EQ(headless::backBuffer().at(1023, 0), patternAt(13, 40));
}

TEST_F(ImageTest, UnattachedDrawShowsNowhere) {
  host::startPromptWindow();
  Image glyph;
  ASSERT_EQ(glyph.loadFromFile(writePicture("g.bmp", 30, 48, 'b').c_str()), 1);
  EXPECT_FALSE(glyph.mirrorEnabled());
  EXPECT_EQ(glyph.drawAt(60, 96), 0);
  EXPECT_EQ(coveredCount(headless::window()), 0u);
  EXPECT_EQ(coveredCount(headless::backBuffer()), 0u);
}

TEST_F(ImageTest, EmptyImageDrawsNothing) {
  host::startPromptWindow();
  Image image;
  image.attachToWindow();
  EXPECT_EQ(image.drawAt(0, 0), 0);
  EXPECT_EQ(image.bitmapWidth(), 0);

  ASSERT_EQ(image.loadFromFile(writeBytes("g.gif", kTinyGif).c_str()), 1);
  image.unload();
  EXPECT_EQ(image.bitmap(), nullptr);
  EXPECT_EQ(image.drawAt(0, 0), 0);
  EXPECT_EQ(coveredCount(headless::window()), 0u);
  EXPECT_EQ(coveredCount(headless::backBuffer()), 0u);
}

TEST_F(ImageTest, EveryBitmapIsDeletedExactlyOnce) {
  const int64_t start = headless::liveBitmaps();
  const std::string bmp = writePicture("a.bmp", 30, 48, 'b');
  const std::string gif = writeBytes("b.gif", kTinyGif);
  const std::string twoBytes = writeBytes("c.bmp", {'B', 'M'});
  const std::string png = writePicture("d.png", 30, 48, 'p');
  host::startPromptWindow();
  {
    Image image;
    image.attachToWindow();
    ASSERT_EQ(image.loadFromFile(bmp.c_str()), 1);
    EXPECT_EQ(headless::liveBitmaps(), start + 1);
    ASSERT_EQ(image.loadFromFile(bmp.c_str()), 1);  // reload replaces
    EXPECT_EQ(headless::liveBitmaps(), start + 1);

    // Failed loads of every sort keep the image's bitmap alive and drawable.
    for (const std::string& failing : {path("missing.bmp"), twoBytes, png}) {
      EXPECT_EQ(image.loadFromFile(failing.c_str()), 0) << failing;
      EXPECT_EQ(headless::liveBitmaps(), start + 1) << failing;
      EXPECT_EQ(image.bitmapWidth(), 30) << failing;
      EXPECT_EQ(image.drawAt(0, 0), 1) << failing;
    }
    ASSERT_EQ(image.loadFromFile(gif.c_str()), 1);
    EXPECT_EQ(image.bitmapWidth(), 2);
    EXPECT_EQ(headless::liveBitmaps(), start + 1);

    Image other;
    ASSERT_EQ(other.loadFromFile(gif.c_str()), 1);
    EXPECT_EQ(headless::liveBitmaps(), start + 2);
    other.unload();
    EXPECT_EQ(headless::liveBitmaps(), start + 1);

    ImageFile reader;  // a reader on its own frees what it decoded
    ASSERT_EQ(reader.load(bmp.c_str()), 1);
    EXPECT_EQ(headless::liveBitmaps(), start + 2);
  }
  EXPECT_EQ(headless::liveBitmaps(), start);
}

// Each picture's decoding work comes out of its table's budget before any reader sees it: every
// byte, and the pixels of a JPEG or GIF (decoded whole by the system's and the browser's
// readers) and of a run-length encoded BMP whatever part is kept, of a plain BMP only the part
// kept. A picture that no longer fits is refused, costs nothing, and leaves room for cheaper
// ones; one whose file alone is larger than what is left is not even read.
TEST_F(ImageTest, DecodingWorkComesOutOfTheBudgetBeforeAnyReaderRuns) {
  const std::string jpeg = writePicture("wide.jpg", 64, 40, 'j');
  const std::string bmp = writePicture("wide.bmp", 64, 40, 'b');
  const std::string gif = writeBytes("tiny.gif", kTinyGif);
  const std::string rle =
      (fs::path(BRELVOXAN_SOURCE_DIR) / "fuzz" / "corpus" / "rle8.bmp").string();
  const uint64_t jpegWork = 64 * 40 + fs::file_size(jpeg);
  const uint64_t bmpWork = 30 * 20 + fs::file_size(bmp);
  const uint64_t gifWork = 2 * 2 + kTinyGif.size();
  const uint64_t rleWork = 30 * 48 + fs::file_size(rle);
  const int64_t bitmaps = headless::liveBitmaps();

  const uint64_t jpegBytes = fs::file_size(jpeg);
  DecodeBudget budget(jpegWork + bmpWork + rleWork + jpegBytes + gifWork);
  ImageFile reader;
  ASSERT_EQ(reader.load(jpeg.c_str(), {30, 20}, &budget), 1);
  EXPECT_EQ(budget.left(), bmpWork + rleWork + jpegBytes + gifWork);
  ASSERT_EQ(reader.load(bmp.c_str(), {30, 20}, &budget), 1);
  EXPECT_EQ(budget.left(), rleWork + jpegBytes + gifWork);
  ASSERT_EQ(reader.load(rle.c_str(), {5, 6}, &budget), 1);
  EXPECT_EQ(budget.left(), jpegBytes + gifWork);

  // Room for the JPEG's bytes, not its pixels: nothing decoded, nothing taken, the kind known.
  EXPECT_EQ(reader.load(jpeg.c_str(), {30, 20}, &budget), 0);
  EXPECT_EQ(reader.handle(), nullptr);
  EXPECT_EQ(reader.kind(), ImageFileKind::kFileJpeg);
  EXPECT_EQ(headless::liveBitmaps(), bitmaps);
  EXPECT_EQ(budget.left(), jpegBytes + gifWork);
  EXPECT_EQ(budget.refused(), 1u);
  // A cheaper picture still fits, to the last unit.
  ASSERT_EQ(reader.load(gif.c_str(), {}, &budget), 1);
  EXPECT_EQ(budget.left(), jpegBytes);
  DecodeBudget exact(gifWork);
  EXPECT_EQ(reader.load(gif.c_str(), {}, &exact), 1);
  EXPECT_EQ(exact.left(), 0u);
  // Less room than the file's bytes: not even read.
  EXPECT_EQ(reader.load(gif.c_str(), {}, &exact), 0);
  EXPECT_EQ(reader.kind(), ImageFileKind::kFileNone);
  EXPECT_EQ(exact.refused(), 1u);
  // Without a budget nothing is counted.
  EXPECT_EQ(reader.load(jpeg.c_str(), {30, 20}), 1);
}

}  // namespace
}  // namespace brelvoxan
