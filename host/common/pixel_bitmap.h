// The in-memory bitmap shared by the backends that draw into pixel arrays of their own
// (headless, SDL): the seam's createBitmap, bitmapSize and deleteBitmap, a check for handles
// still alive, and the clipped copy every draw makes.
#pragma once

#include <cstdint>
#include <vector>

#include "host/platform.h"

namespace host {

struct BitmapObject {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
};

// Whether the handle was made by createBitmap and not yet deleted; false for null.
bool isLiveBitmap(BitmapHandle bitmap);

// Number of bitmaps made and not yet deleted.
int64_t liveBitmapCount();

// Copies the bitmap one to one with its top-left corner at (x, y) into a target of
// targetWidth x targetHeight pixels (rows top to bottom, no padding), clipped to the target.
void blitClipped(const BitmapObject& bitmap, uint32_t* target, int32_t targetWidth,
                 int32_t targetHeight, int32_t x, int32_t y);

}  // namespace host
