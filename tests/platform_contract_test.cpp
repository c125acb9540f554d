// The seam's contract for bitmaps and draws (host/platform.h), through the seam alone, so the
// same cases run against every backend built for this machine.
#include <gtest/gtest.h>

#include <cstdint>

#include "host/platform.h"

namespace {

TEST(PlatformContract, BitmapsAreMadeOnlyWithAPositiveSizeAndBlackWithoutPixels) {
  const uint32_t pixels[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(host::createBitmap(0, 2, pixels), nullptr);
  EXPECT_EQ(host::createBitmap(3, -1, pixels), nullptr);
  EXPECT_EQ(host::createBitmap(0, 0, nullptr), nullptr);

  host::BitmapHandle blank = host::createBitmap(3, 2, nullptr);
  ASSERT_NE(blank, nullptr);
  int32_t width = 0;
  int32_t height = 0;
  EXPECT_TRUE(host::bitmapSize(blank, &width, &height));
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  host::deleteBitmap(blank);
}

TEST(PlatformContract, NullAndDeletedHandlesAreRefused) {
  const uint32_t pixels[4] = {0xFFFFFF, 0, 0, 0xFFFFFF};
  host::BitmapHandle bitmap = host::createBitmap(2, 2, pixels);
  ASSERT_NE(bitmap, nullptr);
  host::deleteBitmap(bitmap);

  for (host::BitmapHandle refused : {static_cast<host::BitmapHandle>(nullptr), bitmap}) {
    int32_t width = -7;
    int32_t height = -7;
    EXPECT_FALSE(host::bitmapSize(refused, &width, &height));
    EXPECT_EQ(width, -7);
    EXPECT_EQ(height, -7);
    EXPECT_EQ(host::drawBitmap(refused, nullptr, nullptr, 0, 0), 0);
    host::deleteBitmap(refused);  // ignored, not freed a second time
  }
}

TEST(PlatformContract, ADrawWithoutItsWindowShowsNowhere) {
  const uint32_t pixels[1] = {0x123456};
  host::BitmapHandle bitmap = host::createBitmap(1, 1, pixels);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(host::drawBitmap(bitmap, nullptr, nullptr, 0, 0), 0);
  host::deleteBitmap(bitmap);
}

// Pictures are decoded from the bytes the file reader read, BMP included: no reader opens a
// file again by name.
TEST(PlatformContract, ABmpIsDecodedFromItsBytes) {
  // 2 x 1 pixels of 24 bits, blue then red, in one row padded to four bytes.
  const uint8_t bmp[54 + 8] = {'B', 'M', 62, 0, 0, 0, 0,    0, 0, 0, 54, 0,    0,  0, 40, 0,
                               0,   0,   2,  0, 0, 0, 1,    0, 0, 0, 1,  0,    24, 0, 0,  0,
                               0,   0,   8,  0, 0, 0, 0,    0, 0, 0, 0,  0,    0,  0, 0,  0,
                               0,   0,   0,  0, 0, 0, 0xFF, 0, 0, 0, 0,  0xFF, 0,  0};
  int32_t width = 0;
  int32_t height = 0;
  host::BitmapHandle bitmap = host::decodePicture(bmp, sizeof bmp, &width, &height);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(width, 2);
  EXPECT_EQ(height, 1);
  host::deleteBitmap(bitmap);
}

TEST(PlatformContract, PictureReadersRefuseNothingToRead) {
  int32_t width = -7;
  int32_t height = -7;
  EXPECT_EQ(host::decodePicture(nullptr, 10, &width, &height), nullptr);
  const uint8_t gif[6] = {'G', 'I', 'F', '8', '9', 'a'};
  EXPECT_EQ(host::decodePicture(gif, 0, &width, &height), nullptr);
  EXPECT_EQ(width, -7);
  const uint8_t bmp[2] = {'B', 'M'};
  EXPECT_EQ(host::decodePicture(bmp, sizeof bmp, &width, &height), nullptr);
  EXPECT_EQ(width, -7);
}

}  // namespace
