// The Win32 backend's bitmaps as the drawing code uses them: each bitmap that has been drawn
// keeps a memory DC of its own with the bitmap selected, made at its first draw and deleted with
// the bitmap (deleteBitmap), instead of a new DC and a new selection for every draw. Game thread
// only, like all image operations.
#pragma once

#include "host/win32/win32_handles.h"

namespace host::win32 {

struct SelectedBitmap {
  HDC dc = nullptr;  // holds the bitmap; a copy from it is a copy of the bitmap
  int width = 0;
  int height = 0;
};

// The bitmap's own DC and size; null when the handle is not a bitmap or no DC can be made.
const SelectedBitmap* selectedBitmap(HBITMAP bitmap);

// The layout of the pixels the backend hands over: 32-bit rows top to bottom, 0x00RRGGBB (in
// memory blue, green, red, unused).
BITMAPINFO pixelLayout(int width, int height);

}  // namespace host::win32
