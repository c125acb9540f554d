// JPEG and GIF for the page: the browser's own picture decoders, as the desktop uses the
// system's libraries, which cannot be linked into the page. The reader has checked the size the
// file declares before it gets here; the decoded size is checked again. Transparent pixels, and
// those of a GIF's screen outside its first image, are black.
#include <emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <new>

#include "host/common/picture_decoders.h"

// clang-format off
// Decodes the bytes and returns the pixels as 0x00RRGGBB in memory from malloc, or 0.
EM_ASYNC_JS(uint32_t*, jsDecodePicture, (const uint8_t* bytes, int size, int largestSide,
                                         int* width, int* height), {
  try {
    const file = new Blob([HEAPU8.slice(bytes, bytes + size)]);
    const picture = await createImageBitmap(file, {colorSpaceConversion: "none",
                                                   premultiplyAlpha: "none"});
    const w = picture.width;
    const h = picture.height;
    if (w < 1 || h < 1 || w > largestSide || h > largestSide) {
      picture.close();
      return 0;
    }
    const context = new OffscreenCanvas(w, h).getContext("2d");
    context.drawImage(picture, 0, 0);
    picture.close();
    const rgba = context.getImageData(0, 0, w, h).data;
    const pixels = _malloc(w * h * 4);
    if (!pixels) return 0;
    const out = HEAPU32.subarray(pixels >> 2, (pixels >> 2) + w * h);
    for (let i = 0; i < w * h; i++) {
      const p = i * 4;
      out[i] = rgba[p + 3] === 0 ? 0 : (rgba[p] << 16) | (rgba[p + 1] << 8) | rgba[p + 2];
    }
    HEAP32[width >> 2] = w;
    HEAP32[height >> 2] = h;
    return pixels;
  } catch (error) {
    return 0;  // not a picture the browser can read
  }
});
// clang-format on

namespace host::pictures {

namespace {

// The browser decodes the whole picture; only the kept corner is taken from it.
bool decodeInBrowser(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep) {
  if (out == nullptr || size > kMaxPictureFileBytes) return false;
  int width = 0;
  int height = 0;
  uint32_t* pixels =
      jsDecodePicture(bytes, static_cast<int>(size), kMaxPictureSide, &width, &height);
  if (pixels == nullptr) return false;
  bool ok = true;
  try {
    out->pixels.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
    out->width = width;
    out->height = height;
  } catch (const std::bad_alloc&) {
    out->pixels = {};
    ok = false;
  }
  std::free(pixels);
  if (ok) cropPicture(out, keep);
  return ok;
}

}  // namespace

bool decodeJpeg(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep) {
  if (bytes == nullptr || size < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
  return decodeInBrowser(bytes, size, out, keep);
}

bool decodeGif(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep) {
  if (bytes == nullptr || size < 3 || bytes[0] != 'G' || bytes[1] != 'I' || bytes[2] != 'F') {
    return false;
  }
  return decodeInBrowser(bytes, size, out, keep);
}

}  // namespace host::pictures
