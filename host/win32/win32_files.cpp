// Bounded reads of regular files, whole files replaced at once, and the settings folder for the
// Win32 backend.
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

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
  // Nobody writes it while it is read, but another copy of the game may read it too (its
  // settings); a directory does not open without backup semantics.
  const FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
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

namespace {

std::string reason(const char* what, const std::string& name, DWORD error) {
  char text[256] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, text, sizeof text, nullptr);
  std::string said(text, length);
  while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == '.')) {
    said.pop_back();
  }
  return std::string("cannot ") + what + " " + name + ": " +
         (said.empty() ? "error " + std::to_string(error) : said);
}

bool makeFolders(const std::string& folder, std::string* why) {
  if (folder.empty() || GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const size_t slash = folder.find_last_of("\\/");
  if (slash != std::string::npos && slash > 2 && !makeFolders(folder.substr(0, slash), why)) {
    return false;
  }
  if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    *why = reason("make", folder, GetLastError());
    return false;
  }
  return true;
}

}  // namespace

bool replaceFile(const char* path, const std::vector<uint8_t>& bytes, std::string* why) {
  std::string ignored;
  if (why == nullptr) why = &ignored;
  if (path == nullptr || *path == '\0') {
    *why = "no file name";
    return false;
  }
  const std::string target(path);
  const size_t slash = target.find_last_of("\\/");
  if (slash != std::string::npos && !makeFolders(target.substr(0, slash), why)) return false;
  // A name no other writer uses, this process's or another copy's.
  static std::atomic<unsigned> serial{0};
  const std::string temporary = target + ".new-" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(serial.fetch_add(1));
  DWORD error = 0;
  {
    const FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
      *why = reason("create", temporary, GetLastError());
      return false;
    }
    size_t written = 0;
    while (error == 0 && written < bytes.size()) {
      DWORD put = 0;
      const size_t want = bytes.size() - written;
      if (!WriteFile(file.get(), bytes.data() + written,
                     want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want), &put, nullptr)) {
        error = GetLastError();
      } else if (put == 0) {
        error = ERROR_DISK_FULL;
      }
      written += put;
    }
    // Only a file whose bytes are on the disk replaces the old one: a crash leaves either.
    if (error == 0 && !FlushFileBuffers(file.get())) error = GetLastError();
  }
  if (error == 0 && !MoveFileExA(temporary.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error != 0) {
    DeleteFileA(temporary.c_str());
    *why = reason("write", target, error);
    return false;
  }
  return true;
}

// Each user's roaming application data, as programs keep their settings on Windows.
std::string settingsFolder() {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = GetEnvironmentVariableA("APPDATA", folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return {};
  return std::string(folder, length) + "\\Brelvoxan";
}

}  // namespace host
