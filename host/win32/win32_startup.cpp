// The Win32 backend's start-up services: the program's own folder and messages to the person
// who started it. A windowed program has no console, so messages go into a message box.
#include <string>
#include <vector>

#include "host/platform.h"
#include "host/win32/win32_handles.h"

namespace host {

std::string programFolder() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      std::string folder(path.data(), length);
      const size_t slash = folder.find_last_of("\\/");
      return slash == std::string::npos ? std::string() : folder.substr(0, slash);
    }
    if (path.size() >= 32768) return {};  // longer than any path Windows allows
    path.resize(path.size() * 2);
  }
}

void showMessage(const char* text, bool problem) {
  MessageBoxA(nullptr, text, "Brelvoxan",
              MB_OK | MB_SETFOREGROUND | (problem ? MB_ICONWARNING : MB_ICONINFORMATION));
}

}  // namespace host
