#include "host/common/pixel_bitmap.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <mutex>
#include <unordered_set>

namespace host {

namespace {

// Every bitmap made and not yet deleted, so that stale handles are refused. Never destroyed:
// images still held when the process exits (by a game thread that was never stopped, or by an
// object kept beyond main) still delete their bitmaps at exit.
struct LiveBitmaps {
  std::mutex mutex;
  std::unordered_set<const BitmapObject*> set;
};

LiveBitmaps& liveBitmaps() {
  static auto* instance = new LiveBitmaps;
  return *instance;
}

}  // namespace

bool isLiveBitmap(BitmapHandle bitmap) {
  if (bitmap == nullptr) return false;
  LiveBitmaps& live = liveBitmaps();
  std::lock_guard lock(live.mutex);
  return live.set.count(bitmap) != 0;
}

int64_t liveBitmapCount() {
  LiveBitmaps& live = liveBitmaps();
  std::lock_guard lock(live.mutex);
  return static_cast<int64_t>(live.set.size());
}

void blitClipped(const BitmapObject& bitmap, uint32_t* target, int32_t targetWidth,
                 int32_t targetHeight, int32_t x, int32_t y) {
  if (target == nullptr) return;
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + bitmap.width, targetWidth);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + bitmap.height, targetHeight);
  if (left >= right || top >= bottom) return;
  const auto span = static_cast<size_t>(right - left);
  for (int64_t row = top; row < bottom; ++row) {
    const auto source = static_cast<size_t>((row - y) * bitmap.width + (left - x));
    const auto destination = static_cast<size_t>(row * targetWidth + left);
    std::copy_n(bitmap.pixels.data() + source, span, target + destination);
  }
}

// --- The seam's bitmap calls -------------------------------------------------------------------

BitmapHandle createBitmap(int32_t width, int32_t height, const uint32_t* pixels) {
  if (width <= 0 || height <= 0) return nullptr;
  // Owned here until it is registered, so refused memory on the way leaks nothing.
  auto bitmap = std::make_unique<BitmapObject>();
  bitmap->width = width;
  bitmap->height = height;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (pixels != nullptr) {
    bitmap->pixels.assign(pixels, pixels + count);
    for (uint32_t& pixel : bitmap->pixels) pixel &= 0x00FFFFFF;
  } else {
    bitmap->pixels.assign(count, 0);
  }
  LiveBitmaps& live = liveBitmaps();
  std::lock_guard lock(live.mutex);
  live.set.insert(bitmap.get());
  return bitmap.release();
}

bool bitmapSize(BitmapHandle bitmap, int32_t* width, int32_t* height) {
  if (!isLiveBitmap(bitmap)) return false;
  if (width != nullptr) *width = bitmap->width;
  if (height != nullptr) *height = bitmap->height;
  return true;
}

void deleteBitmap(BitmapHandle bitmap) {
  if (bitmap == nullptr) return;
  {
    LiveBitmaps& live = liveBitmaps();
    std::lock_guard lock(live.mutex);
    if (live.set.erase(bitmap) == 0) return;
  }
  delete bitmap;
}

}  // namespace host
