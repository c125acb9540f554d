// Bounded reads of regular files for the Win32 backend.
#include <new>

#include "host/common/owned_handle.h"
#include "host/platform.h"
#include "host/win32/win32_handles.h"  // <windows.h> without its min/max and rarely used parts

namespace host {

namespace {

struct FileHandleTraits {
  using Handle = HANDLE;
  static HANDLE none() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE handle) { CloseHandle(handle); }
};
using FileHandle = OwnedHandle<FileHandleTraits>;

}  // namespace

FileRead readRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes) {
  if (path == nullptr || bytes == nullptr) return FileRead::kNotOpened;
  bytes->clear();
  // No sharing while it is read; a directory does not open without backup semantics.
  const FileHandle file(
      CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return FileRead::kNotOpened;
  // Pipes and character devices could block a read: only files on disk are read.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return FileRead::kNotOpened;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return FileRead::kFailed;
  if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) return FileRead::kTooLarge;

  try {
    // One byte more than the size said, to notice a file that grew meanwhile.
    bytes->resize(static_cast<size_t>(size.QuadPart) + 1);
    size_t filled = 0;
    while (filled < bytes->size()) {
      DWORD got = 0;
      const size_t want = bytes->size() - filled;
      if (!ReadFile(file.get(), bytes->data() + filled,
                    want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want), &got, nullptr)) {
        bytes->clear();
        return FileRead::kFailed;
      }
      if (got == 0) break;
      filled += got;
    }
    if (filled > maxBytes) {
      bytes->clear();
      return FileRead::kTooLarge;
    }
    bytes->resize(filled);
  } catch (const std::bad_alloc&) {
    bytes->clear();
    return FileRead::kFailed;
  }
  return FileRead::kRead;
}

}  // namespace host
