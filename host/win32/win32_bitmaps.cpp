// The Win32 backend's bitmaps and picture readers: BMP files through the system's DIB drawing
// and JPEG or GIF files through the OLE picture loader, both from the file's bytes in memory
// and both as DIB sections (copying from those to the window is much cheaper than from
// device-dependent bitmaps), and the memory DC that each drawn bitmap keeps.
#include "host/win32/win32_bitmaps.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "host/platform.h"
#include "host/win32/win32_handles.h"

// After windows.h: the OLE picture interfaces and the stream on global memory.
#include <ole2.h>
#include <olectl.h>

namespace host {

namespace {

// OLE hands bitmap handles over as 32-bit values; GDI handles are sign-extended on 64 bits.
HANDLE fromOleHandle(OLE_HANDLE handle) {
  return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}

// The picture loader wants the whole file as a stream on global memory; the stream frees the
// memory when it is released.
IStream* streamOnCopy(const uint8_t* bytes, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
  if (block == nullptr) return nullptr;
  void* memory = GlobalLock(block);
  if (memory == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(memory, bytes, size);
  GlobalUnlock(block);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || stream == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  return stream;
}

// The decoded bitmap's own size decides, not what the file's header said: a bitmap larger than
// any accepted picture is refused (and deleted), and one larger than the part to be kept is
// replaced by a DIB section holding just its top-left corner. Null when the copy fails.
HBITMAP keepCorner(HBITMAP bitmap, PictureCrop keep) {
  if (bitmap == nullptr) return nullptr;
  BITMAP size{};
  if (GetObjectA(bitmap, sizeof size, &size) == 0 || size.bmWidth < 1 || size.bmHeight < 1 ||
      size.bmWidth > kMaxPictureSide || size.bmHeight > kMaxPictureSide || keep.width < 1 ||
      keep.height < 1) {
    DeleteObject(bitmap);
    return nullptr;
  }
  if (size.bmWidth <= keep.width && size.bmHeight <= keep.height) return bitmap;
  const int width = size.bmWidth < keep.width ? size.bmWidth : keep.width;
  const int height = size.bmHeight < keep.height ? size.bmHeight : keep.height;
  BITMAPINFO info = win32::pixelLayout(width, height);
  void* bits = nullptr;
  HBITMAP corner = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC source = CreateCompatibleDC(nullptr);
  HDC target = CreateCompatibleDC(nullptr);
  bool copied = false;
  if (corner != nullptr && source != nullptr && target != nullptr) {
    HGDIOBJ sourceBefore = SelectObject(source, bitmap);
    HGDIOBJ targetBefore = SelectObject(target, corner);
    copied = sourceBefore != nullptr && targetBefore != nullptr &&
             BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY) != 0;
    if (sourceBefore != nullptr) SelectObject(source, sourceBefore);
    if (targetBefore != nullptr) SelectObject(target, targetBefore);
  }
  if (source != nullptr) DeleteDC(source);
  if (target != nullptr) DeleteDC(target);
  DeleteObject(bitmap);
  if (!copied && corner != nullptr) {
    DeleteObject(corner);
    corner = nullptr;
  }
  return corner;
}

uint32_t littleEndian16(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8;
}

uint32_t littleEndian32(const uint8_t* bytes) {
  return littleEndian16(bytes) | littleEndian16(bytes + 2) << 16;
}

// A BMP file in memory, drawn by the system's DIB drawing (which reads every variant of the
// format, run-length encoded ones included) into a DIB section of just the kept corner, black
// where the file draws nothing. GDI reads a DIB by what its header says, not by the bytes there
// are, so it gets only what has been checked: rows that are all present, run-length data whose
// stated size is what the file holds, and the header with its colour table in a block large
// enough for the most entries any header can ask for. Null for anything else.
HBITMAP bmpCorner(const uint8_t* bytes, size_t size, PictureCrop keep) {
  constexpr size_t kFileHeader = 14;
  constexpr uint32_t kMostColourBytes = 12 + 256 * 4;  // bit field masks, then the entries
  if (size < kFileHeader + 4 || bytes[0] != 'B' || bytes[1] != 'M') return nullptr;
  const uint32_t infoSize = littleEndian32(bytes + kFileHeader);
  const bool core = infoSize == 12;
  const size_t offset = littleEndian32(bytes + 10);
  if ((!core && infoSize < 40) || infoSize > 124 || size < kFileHeader + infoSize ||
      offset < kFileHeader + infoSize || offset >= size) {
    return nullptr;
  }
  const uint8_t* header = bytes + kFileHeader;
  const int32_t width = core ? static_cast<int32_t>(littleEndian16(header + 4))
                             : static_cast<int32_t>(littleEndian32(header + 4));
  const int32_t rows = core ? static_cast<int32_t>(littleEndian16(header + 6))
                            : static_cast<int32_t>(littleEndian32(header + 8));
  const int32_t height = rows == INT32_MIN ? 0 : (rows < 0 ? -rows : rows);
  const uint32_t bits = littleEndian16(header + (core ? 10 : 14));
  const uint32_t compression = core ? BI_RGB : littleEndian32(header + 16);
  if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide ||
      keep.width < 1 || keep.height < 1) {
    return nullptr;
  }
  std::vector<uint8_t> info(infoSize + kMostColourBytes, 0);
  std::memcpy(info.data(), header, std::min(offset - kFileHeader, info.size()));
  const size_t data = size - offset;
  if (compression == BI_RLE8 || compression == BI_RLE4) {
    const auto stated = static_cast<uint32_t>(data);
    std::memcpy(info.data() + 20, &stated, sizeof stated);  // biSizeImage
  } else if (compression == BI_RGB || compression == BI_BITFIELDS) {
    const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    if (bits == 0 || stride * static_cast<uint64_t>(height) > data) return nullptr;
  } else {
    return nullptr;  // a JPEG or PNG inside, for printers only
  }

  const int keptWidth = std::min(width, keep.width);
  const int keptHeight = std::min(height, keep.height);
  BITMAPINFO layout = win32::pixelLayout(keptWidth, keptHeight);
  void* pixels = nullptr;
  HBITMAP corner = CreateDIBSection(nullptr, &layout, DIB_RGB_COLORS, &pixels, nullptr, 0);
  HDC target = CreateCompatibleDC(nullptr);
  bool drawn = false;
  if (corner != nullptr && target != nullptr) {
    HGDIOBJ before = SelectObject(target, corner);
    // The whole picture one to one at the section's top-left corner: the section clips it.
    drawn = before != nullptr &&
            StretchDIBits(target, 0, 0, width, height, 0, 0, width, height, bytes + offset,
                          reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                          SRCCOPY) > 0;
    if (before != nullptr) SelectObject(target, before);
  }
  if (target != nullptr) DeleteDC(target);
  if (!drawn && corner != nullptr) {
    DeleteObject(corner);
    corner = nullptr;
  }
  return corner;
}

struct SelectedEntry {
  win32::SelectedBitmap selected;
  HGDIOBJ previous = nullptr;  // the DC's own bitmap, selected back before the DC goes
};

std::unordered_map<HBITMAP, SelectedEntry>& selectedBitmaps() {
  static std::unordered_map<HBITMAP, SelectedEntry> map;
  return map;
}

// A bitmap cannot be deleted while a DC holds it: its DC goes first.
void releaseSelected(HBITMAP bitmap) {
  auto& map = selectedBitmaps();
  const auto found = map.find(bitmap);
  if (found == map.end()) return;
  SelectObject(found->second.selected.dc, found->second.previous);
  DeleteDC(found->second.selected.dc);
  map.erase(found);
}

}  // namespace

namespace win32 {

const SelectedBitmap* selectedBitmap(HBITMAP bitmap) {
  if (bitmap == nullptr) return nullptr;
  auto& map = selectedBitmaps();
  const auto found = map.find(bitmap);
  if (found != map.end()) return &found->second.selected;
  BITMAP size{};
  if (GetObjectType(bitmap) != OBJ_BITMAP || GetObjectA(bitmap, sizeof size, &size) == 0) {
    return nullptr;
  }
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return nullptr;
  HGDIOBJ previous = SelectObject(dc, bitmap);
  if (previous == nullptr) {  // already selected elsewhere
    DeleteDC(dc);
    return nullptr;
  }
  SelectedEntry entry;
  entry.selected = SelectedBitmap{dc, size.bmWidth, size.bmHeight};
  entry.previous = previous;
  return &map.emplace(bitmap, entry).first->second.selected;
}

BITMAPINFO pixelLayout(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top to bottom
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace win32

// --- Bitmaps ---------------------------------------------------------------------------------

BitmapHandle createBitmap(int32_t width, int32_t height, const uint32_t* pixels) {
  if (width <= 0 || height <= 0) return nullptr;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return nullptr;
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  if (bitmap != nullptr) {
    BITMAPINFO info = win32::pixelLayout(width, height);
    std::vector<uint32_t> black;
    if (pixels == nullptr) {
      black.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
      pixels = black.data();
    }
    if (SetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels, &info, DIB_RGB_COLORS) !=
        height) {
      DeleteObject(bitmap);
      bitmap = nullptr;
    }
  }
  ReleaseDC(nullptr, screen);
  return win32::fromWin32<BitmapHandle>(bitmap);
}

bool bitmapSize(BitmapHandle bitmap, int32_t* width, int32_t* height) {
  HBITMAP handle = win32::toWin32(bitmap);
  BITMAP size{};
  if (handle == nullptr || GetObjectType(handle) != OBJ_BITMAP ||
      GetObjectA(handle, sizeof size, &size) == 0) {
    return false;
  }
  if (width != nullptr) *width = size.bmWidth;
  if (height != nullptr) *height = size.bmHeight;
  return true;
}

void deleteBitmap(BitmapHandle bitmap) {
  if (bitmap == nullptr) return;
  releaseSelected(win32::toWin32(bitmap));
  DeleteObject(win32::toWin32(bitmap));
}

namespace {

// The size is the bitmap's own, in pixels, after the cut.
BitmapHandle keptBitmap(HBITMAP bitmap, int32_t* width, int32_t* height) {
  BITMAP kept{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof kept, &kept) == 0) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    return nullptr;
  }
  if (width != nullptr) *width = kept.bmWidth;
  if (height != nullptr) *height = kept.bmHeight;
  return win32::fromWin32<BitmapHandle>(bitmap);
}

}  // namespace

// A BMP is drawn from its bytes by GDI (bmpCorner). The decoded bitmap of a JPEG or GIF belongs
// to the IPicture and dies with it, while the image that adopts the result deletes it like any
// other bitmap. So the picture's bitmap is copied into one the caller owns, and the picture is
// released here: one owner, one delete.
BitmapHandle decodePicture(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height,
                           PictureCrop keep) {
  if (bytes == nullptr || size == 0 || size > static_cast<size_t>(LONG_MAX)) return nullptr;
  if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
    return keptBitmap(bmpCorner(bytes, size, keep), width, height);
  IStream* stream = streamOnCopy(bytes, size);
  if (stream == nullptr) return nullptr;
  IPicture* picture = nullptr;
  const HRESULT loaded = OleLoadPicture(stream, static_cast<LONG>(size), TRUE, IID_IPicture,
                                        reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(loaded) || picture == nullptr) return nullptr;

  HBITMAP copy = nullptr;
  SHORT type = PICTYPE_UNINITIALIZED;
  OLE_HANDLE handle = 0;
  if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
      SUCCEEDED(picture->get_Handle(&handle))) {
    // A DIB section, the same kind of bitmap the BMP reader gives.
    copy = static_cast<HBITMAP>(
        CopyImage(fromOleHandle(handle), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  }
  picture->Release();
  return keptBitmap(keepCorner(copy, keep), width, height);
}

}  // namespace host
