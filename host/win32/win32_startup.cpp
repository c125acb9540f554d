// The Win32 backend's start-up services: the program's own folder, messages to the person who
// started it, and the room the screen has for the window. A windowed program gets no console of
// its own: its messages go to the console it was started from, else into a message box.
#include <algorithm>
#include <string>
#include <vector>

#include "host/message_layout.h"
#include "host/platform.h"
#include "host/win32/win32_handles.h"

namespace host {

namespace {

// The game window's style once it is set up, for the frame around its client area.
constexpr DWORD kFinalStyle =
    WS_OVERLAPPEDWINDOW & ~(WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
constexpr DWORD kFinalExStyle = WS_EX_CLIENTEDGE;

// Line ends as Windows writes them.
std::string withCrLf(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n' && (out.empty() || out.back() != '\r')) out += '\r';
    out += c;
  }
  if (out.empty() || out.back() != '\n') out += "\r\n";
  return out;
}

bool writeAll(HANDLE handle, const std::string& text) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1 << 16));
    if (!WriteFile(handle, text.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

std::string programFolder() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      std::string folder(path.data(), length);
      const size_t slash = folder.find_last_of("\\/");
      if (slash == std::string::npos) return {};
      folder.resize(slash);
      for (char& c : folder) c = c == '/' ? '\\' : c;
      return folder;
    }
    if (path.size() >= 32768) return {};  // longer than any path Windows allows
    path.resize(path.size() * 2);
  }
}

void showMessage(const char* text, bool problem) {
  const std::string console = withCrLf(layOutMessage(text, MessageLayout::kConsole));
  // Output redirected to a file or pipe by whoever started the game.
  if (writeAll(GetStdHandle(problem ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), console)) return;
  // Started from a console window: write into it.
  if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    HANDLE output =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    const bool written = writeAll(output, console);
    if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
    FreeConsole();
    if (written) return;
  }
  const std::string boxed = layOutMessage(text, MessageLayout::kProportional);
  MessageBoxA(nullptr, boxed.c_str(), "Brelvoxan",
              MB_OK | MB_SETFOREGROUND | (problem ? MB_ICONWARNING : MB_ICONINFORMATION));
}

bool usableClientArea(int32_t* width, int32_t* height) {
  if (width == nullptr || height == nullptr) return false;
  RECT work{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) return false;
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, kFinalStyle, FALSE, kFinalExStyle);
  *width = (work.right - work.left) - (frame.right - frame.left);
  *height = (work.bottom - work.top) - (frame.bottom - frame.top);
  return *width > 0 && *height > 0;
}

}  // namespace host
