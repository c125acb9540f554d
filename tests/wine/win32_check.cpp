// A console check of the Win32 backend's bitmaps, picture readers and mirror drawing, for a
// Windows machine or Wine (the cross build cannot run it). Prints one line per failed check and
// the count of passed and failed checks; exits 1 when any check failed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/platform.h"
#include "host/win32/win32_bitmaps.h"
#include "host/win32/win32_handles.h"
#include "screen/image.h"
#include "screen/image_file.h"

namespace {

int passed = 0;
int failed = 0;
int skipped = 0;

void check(bool ok, const char* what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAILED: %s\n", what);
  }
}

// A 4 by 3 GIF of one colour, 0xCC3322.
const unsigned char kRedGif[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x03, 0x00, 0xF0, 0x00, 0x00, 0xCC, 0x33,
    0x22, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00,
    0x00, 0x00, 0x04, 0x00, 0x03, 0x00, 0x00, 0x02, 0x03, 0x84, 0x8F, 0x56, 0x00, 0x3B,
};

// A 5 by 4 JPEG of one colour, about 0x3366CC.
const unsigned char kBlueJpeg[] = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
    0x00, 0x01, 0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x02, 0x01, 0x01, 0x01, 0x01, 0x01, 0x02,
    0x01, 0x01, 0x01, 0x02, 0x02, 0x02, 0x02, 0x02, 0x04, 0x03, 0x02, 0x02, 0x02, 0x02, 0x05, 0x04,
    0x04, 0x03, 0x04, 0x06, 0x05, 0x06, 0x06, 0x06, 0x05, 0x06, 0x06, 0x06, 0x07, 0x09, 0x08, 0x06,
    0x07, 0x09, 0x07, 0x06, 0x06, 0x08, 0x0B, 0x08, 0x09, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x06, 0x08,
    0x0B, 0x0C, 0x0B, 0x0A, 0x0C, 0x09, 0x0A, 0x0A, 0x0A, 0xFF, 0xDB, 0x00, 0x43, 0x01, 0x02, 0x02,
    0x02, 0x02, 0x02, 0x02, 0x05, 0x03, 0x03, 0x05, 0x0A, 0x07, 0x06, 0x07, 0x0A, 0x0A, 0x0A, 0x0A,
    0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A,
    0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A,
    0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0xFF, 0xC0,
    0x00, 0x11, 0x08, 0x00, 0x04, 0x00, 0x05, 0x03, 0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11,
    0x01, 0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xC4, 0x00,
    0x14, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x08, 0xFF, 0xC4, 0x00, 0x14, 0x11, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00,
    0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00, 0x07, 0x3C, 0x07, 0x77, 0xFF, 0xD9,
};

// The bitmap's pixels as 0x00RRGGBB, rows top to bottom; empty when they cannot be read.
std::vector<uint32_t> readPixels(host::BitmapHandle bitmap) {
  int32_t width = 0;
  int32_t height = 0;
  if (!host::bitmapSize(bitmap, &width, &height)) return {};
  BITMAPINFO info = host::win32::pixelLayout(width, height);
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, host::win32::toWin32(bitmap), 0, static_cast<UINT>(height),
                             pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != height) return {};
  for (uint32_t& pixel : pixels) pixel &= 0x00FFFFFF;
  return pixels;
}

bool closeTo(uint32_t colour, uint32_t expected, int tolerance) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int a = static_cast<int>((colour >> shift) & 0xFF);
    const int b = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(a - b) > tolerance) return false;
  }
  return true;
}

std::string tempPath(const char* name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

bool writeFile(const std::string& path, const unsigned char* bytes, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(bytes, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

void checkCreatedBitmaps() {
  const uint32_t pixels[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};
  host::BitmapHandle bitmap = host::createBitmap(3, 2, pixels);
  int32_t width = 0;
  int32_t height = 0;
  check(host::bitmapSize(bitmap, &width, &height) && width == 3 && height == 2,
        "a created bitmap has its size");
  check(readPixels(bitmap) == std::vector<uint32_t>(pixels, pixels + 6),
        "a created bitmap has its pixels, rows top to bottom");
  host::deleteBitmap(bitmap);
  check(!host::bitmapSize(bitmap, &width, &height), "a deleted bitmap has no size");
  check(host::drawBitmap(bitmap, nullptr, nullptr, 0, 0) == 0, "a deleted bitmap draws nothing");
  host::deleteBitmap(bitmap);  // ignored
  host::deleteBitmap(nullptr);
  check(host::createBitmap(0, 2, pixels) == nullptr, "no bitmap without a width");
  check(!host::bitmapSize(nullptr, &width, &height), "a null bitmap has no size");

  host::BitmapHandle blank = host::createBitmap(2, 3, nullptr);
  check(readPixels(blank) == std::vector<uint32_t>(6, 0), "a bitmap made without pixels is black");
  host::deleteBitmap(blank);
}

void checkDecodedPictures() {
  int32_t width = 0;
  int32_t height = 0;
  host::BitmapHandle gif = host::decodePicture(kRedGif, sizeof kRedGif, &width, &height);
  check(gif != nullptr && width == 4 && height == 3, "a GIF decodes at its own size");
  // The picture object is gone by now; the bitmap must be a copy of our own.
  const std::vector<uint32_t> red = readPixels(gif);
  check(red.size() == 12 && red[5] == 0xCC3322, "a decoded GIF keeps its pixels");
  host::deleteBitmap(gif);

  host::BitmapHandle jpeg = host::decodePicture(kBlueJpeg, sizeof kBlueJpeg, &width, &height);
  check(jpeg != nullptr && width == 5 && height == 4, "a JPEG decodes at its own size");
  const std::vector<uint32_t> blue = readPixels(jpeg);
  check(blue.size() == 20 && closeTo(blue[7], 0x3366CC, 12), "a decoded JPEG keeps its pixels");
  host::deleteBitmap(jpeg);

  const unsigned char garbage[] = {0xFF, 0xD8, 0x00, 0x01, 0x02};
  check(host::decodePicture(garbage, sizeof garbage, &width, &height) == nullptr,
        "a broken JPEG gives no bitmap");
  check(host::decodePicture(kRedGif, 0, &width, &height) == nullptr, "no bytes, no bitmap");
  const unsigned char signature[] = {'B', 'M'};
  check(host::decodePicture(signature, sizeof signature, &width, &height) == nullptr,
        "a BMP without its headers gives no bitmap");
}

// The reader and the image hand bitmaps over through this backend: a GIF named .bmp is read as
// GIF, a later load replaces it, and unloading leaves nothing behind.
void checkImageLoads() {
  const std::string gifPath = tempPath("brelvoxan-check-gif.bmp");
  const std::string jpegPath = tempPath("brelvoxan-check-jpeg.bmp");
  if (!writeFile(gifPath, kRedGif, sizeof kRedGif) ||
      !writeFile(jpegPath, kBlueJpeg, sizeof kBlueJpeg)) {
    check(false, "writing the pictures to the temporary folder");
    return;
  }
  const DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  {
    brelvoxan::Image image;
    for (int round = 0; round < 20; ++round) {
      check(image.loadFromFile(gifPath.c_str()) == 1 && image.bitmapWidth() == 4 &&
                image.bitmapHeight() == 3,
            "an image loads a GIF named .bmp");
      check(image.loadFromFile(jpegPath.c_str()) == 1 && image.bitmapWidth() == 5,
            "an image replaces its GIF with a JPEG");
    }
    image.unload();
    check(image.drawAt(0, 0) == 0, "an unloaded image draws nothing");
  }
  // Windows counts a process's GDI objects and then every bitmap must be gone; Wine counts none.
  const DWORD objectsAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (objectsBefore == 0) {
    ++skipped;
  } else {
    check(objectsAfter <= objectsBefore, "loading and unloading leaves no GDI object behind");
  }
  DeleteFileA(gifPath.c_str());
  DeleteFileA(jpegPath.c_str());
}

// A draw without the game window shows nowhere (not on the desktop) but still copies the bitmap
// one to one at (x, y) into the mirror and nowhere else in it.
void checkMirrorDraw() {
  const uint32_t pixels[6] = {0xB4C3A0, 0x28301E, 0xB4C3A0, 0x28301E, 0xB4C3A0, 0x28301E};
  host::BitmapHandle glyph = host::createBitmap(3, 2, pixels);
  host::BitmapHandle target = host::createBitmap(8, 5, nullptr);
  HDC mirror = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(mirror, host::win32::toWin32(target));
  const int32_t result =
      host::drawBitmap(glyph, nullptr, host::win32::fromWin32<host::SurfaceHandle>(mirror), 2, 1);
  SelectObject(mirror, previous);
  DeleteDC(mirror);
  check(result == 0, "a draw without a window reports no copy onto it");
  const std::vector<uint32_t> drawn = readPixels(target);
  bool exact = drawn.size() == 40;
  for (int y = 0; exact && y < 5; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
      const uint32_t expected = inside ? pixels[(y - 1) * 3 + (x - 2)] : 0;
      exact = exact && drawn[static_cast<size_t>(y * 8 + x)] == expected;
    }
  }
  check(exact, "the mirror holds the bitmap at (2, 1) and nothing else");
  host::deleteBitmap(glyph);
  // A drawn bitmap stays selected in a DC of its own, which must let go of it first.
  check(GetObjectType(host::win32::toWin32(glyph)) == 0, "a drawn bitmap is really deleted");
  host::deleteBitmap(target);
  check(host::drawBitmap(nullptr, nullptr, nullptr, 0, 0) == 0, "a null bitmap draws nothing");
}

}  // namespace

// Pictures larger than what is kept are cut to it, whatever their kind, and a GIF whose first
// frame is far larger than its screen never reaches the picture loader.
void checkKeptCorners() {
  int32_t width = 0;
  int32_t height = 0;
  host::BitmapHandle gif =
      host::decodePicture(kRedGif, sizeof kRedGif, &width, &height, host::PictureCrop{2, 1});
  check(gif != nullptr && width == 2 && height == 1 &&
            readPixels(gif) == std::vector<uint32_t>(2, 0xCC3322),
        "a GIF larger than the part kept is cut to it");
  host::deleteBitmap(gif);

  // A 3 by 2 BMP of 24 bits: red green blue over white black grey, stored bottom row first.
  unsigned char bmp[54 + 24] = {'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                                0,   0,   0,  3, 0, 0, 0, 2, 0, 0, 0,  1, 0, 24, 0};
  const unsigned char rows[24] = {0xFF, 0xFF, 0xFF, 0, 0,    0, 0x80, 0x80, 0x80, 0, 0, 0,
                                  0,    0,    0xFF, 0, 0xFF, 0, 0xFF, 0,    0,    0, 0, 0};
  std::copy(rows, rows + 24, bmp + 54);
  host::BitmapHandle corner =
      host::decodePicture(bmp, sizeof bmp, &width, &height, host::PictureCrop{2, 1});
  check(
      width == 2 && height == 1 && readPixels(corner) == std::vector<uint32_t>{0xFF0000, 0x00FF00},
      "a BMP larger than the part kept is cut to its top-left corner");
  host::deleteBitmap(corner);
  host::BitmapHandle whole = host::decodePicture(bmp, sizeof bmp, &width, &height);
  check(host::bitmapSize(whole, &width, &height) && width == 3 && height == 2,
        "a BMP within the part kept stays whole");
  host::deleteBitmap(whole);
  check(host::decodePicture(bmp, sizeof bmp - 1, &width, &height) == nullptr,
        "a BMP missing part of its last row gives no bitmap");

  // A 3 by 2 run-length encoded BMP whose header claims 1000 bytes of runs where there are 8:
  // three red pixels in the bottom row, one in the top row, then the end; what no run reaches
  // is black.
  const unsigned char runs[14 + 40 + 8 + 8] = {
      'B', 'M', 70,   0, 0, 0, 0,    0, 0, 0, 62, 0, 0, 0,  // file header
      40,  0,   0,    0, 3, 0, 0,    0, 2, 0, 0,  0, 1, 0, 8, 0, 1, 0,
      0,   0,   0xE8, 3,                                                // to biSizeImage
      0,   0,   0,    0, 0, 0, 0,    0, 0, 0, 2,  0, 0, 0, 0, 0, 0, 0,  // to the colours
      0,   0,   0,    0, 0, 0, 0xFF, 0,                                 // black, red
      3,   1,   0,    0, 1, 1, 0,    1};
  host::BitmapHandle rle = host::decodePicture(runs, sizeof runs, &width, &height);
  check(readPixels(rle) == std::vector<uint32_t>{0xFF0000, 0, 0, 0xFF0000, 0xFF0000, 0xFF0000},
        "a run-length encoded BMP is drawn from its own bytes, black where no run reaches");
  host::deleteBitmap(rle);

  // The 4 by 3 GIF again, its frame now claiming 16000 x 16000.
  unsigned char hugeFrame[sizeof kRedGif];
  std::copy(kRedGif, kRedGif + sizeof kRedGif, hugeFrame);
  const unsigned char frameSize[4] = {0x80, 0x3E, 0x80, 0x3E};
  std::copy(frameSize, frameSize + 4, hugeFrame + 32);
  const std::string gifPath = tempPath("brelvoxan-check-frame.bmp");
  if (!writeFile(gifPath, hugeFrame, sizeof hugeFrame)) {
    check(false, "writing the GIF to the temporary folder");
    return;
  }
  brelvoxan::ImageFile reader;
  check(reader.load(gifPath.c_str()) == 0 && reader.handle() == nullptr,
        "a GIF whose first frame is too large is refused before it is decoded");
  DeleteFileA(gifPath.c_str());

  // A 64 x 64 BMP of 24 bits whose 12 kB of rows are cut after 100 bytes: the system's reader
  // maps the file and would read past its end.
  unsigned char cut[54 + 100] = {'B', 'M', 54, 48, 0, 0, 0, 0,  0, 0, 54, 0, 0, 0, 40,
                                 0,   0,   0,  64, 0, 0, 0, 64, 0, 0, 0,  1, 0, 24};
  const std::string cutPath = tempPath("brelvoxan-check-cut.bmp");
  if (!writeFile(cutPath, cut, sizeof cut)) {
    check(false, "writing the cut BMP to the temporary folder");
    return;
  }
  check(reader.load(cutPath.c_str()) == 0 && reader.handle() == nullptr,
        "a BMP cut short is refused before the system reads it");
  DeleteFileA(cutPath.c_str());
}

int main() {
  checkCreatedBitmaps();
  checkDecodedPictures();
  checkKeptCorners();
  checkImageLoads();
  checkMirrorDraw();
  std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
  return failed == 0 ? 0 : 1;
}
