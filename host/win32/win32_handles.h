// The seam's opaque handles are the Win32 handles themselves; these casts are the only place
// where the two meet, so no other file needs to know.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "host/platform.h"

namespace host::win32 {

inline HBITMAP toHbitmap(BitmapHandle bitmap) {
  return reinterpret_cast<HBITMAP>(bitmap);
}
inline BitmapHandle fromHbitmap(HBITMAP bitmap) {
  return reinterpret_cast<BitmapHandle>(bitmap);
}
inline HWND toHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}
inline WindowHandle fromHwnd(HWND window) {
  return reinterpret_cast<WindowHandle>(window);
}
inline HDC toHdc(SurfaceHandle surface) {
  return reinterpret_cast<HDC>(surface);
}
inline SurfaceHandle fromHdc(HDC surface) {
  return reinterpret_cast<SurfaceHandle>(surface);
}

}  // namespace host::win32
