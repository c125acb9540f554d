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

// The Win32 handle behind each seam handle.
template <typename Handle>
struct Win32HandleOf;
template <>
struct Win32HandleOf<BitmapHandle> {
  using Type = HBITMAP;
};
template <>
struct Win32HandleOf<WindowHandle> {
  using Type = HWND;
};
template <>
struct Win32HandleOf<SurfaceHandle> {
  using Type = HDC;
};

// Seam handle to Win32 handle: toWin32(bitmap) is an HBITMAP, toWin32(window) an HWND.
template <typename Handle>
typename Win32HandleOf<Handle>::Type toWin32(Handle handle) {
  return reinterpret_cast<typename Win32HandleOf<Handle>::Type>(handle);
}

// Win32 handle to seam handle: fromWin32<WindowHandle>(hwnd); only the matching Win32 type fits.
template <typename Handle>
Handle fromWin32(typename Win32HandleOf<Handle>::Type handle) {
  return reinterpret_cast<Handle>(handle);
}

}  // namespace host::win32
