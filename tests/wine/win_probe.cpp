// The Windows side of the Wine end-to-end test: looks at the game's window through the Win32 API
// from another process, as any Windows program could.
//
//   brelvoxan-winprobe info TITLE [TIMEOUT_MS]
//
// waits for a top-level window with that title and prints, one fact a line:
//   class NAME
//   window LEFT TOP RIGHT BOTTOM        outer rectangle on the screen
//   client X Y WIDTH HEIGHT             client area, its origin in window coordinates
//   style HEX sizing 0|1 minimize 0|1 maximize 0|1 caption 0|1 sysmenu 0|1
//   exstyle HEX
// Exit code 0, or 1 when no such window appeared in time.
//
//   brelvoxan-winprobe resources PROGRAM.exe
//
// prints the program file's version information and whether it holds icons 101 and 102:
//   product NAME
//   version TEXT
//   icons 0|1 0|1
//
//   brelvoxan-winprobe activate TITLE
//
// makes that window the foreground window, as a click on it would, so that keys go to it; prints
// whether it already was ("foreground 1", else 0). Exit code 1 when it cannot be made so.
//
//   brelvoxan-winprobe cover TITLE MS
//
// covers that window with a white top-most window of this process for MS milliseconds, then
// takes it away and invalidates the window's client area with its background erased, as a
// system without a compositor does when a window is uncovered: what shows afterwards is what the
// window paints.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// How long a window may take to appear: only a hang takes so long.
constexpr DWORD kWindowHangLimitMs = 60000;

HWND waitForWindow(const char* title, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  HWND window = nullptr;
  while ((window = FindWindowA(nullptr, title)) == nullptr) {
    if (GetTickCount() - start >= timeoutMs) {
      std::printf("no window titled \"%s\"\n", title);
      return nullptr;
    }
    Sleep(10);
  }
  return window;
}

// Runs this thread's messages until the time is up.
void pumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
}

int cover(const char* title, DWORD ms) {
  HWND window = waitForWindow(title, kWindowHangLimitMs);
  if (window == nullptr) return 1;
  RECT outer{};
  GetWindowRect(window, &outer);
  WNDCLASSA sheetClass{};
  sheetClass.lpfnWndProc = DefWindowProcA;
  sheetClass.hInstance = GetModuleHandleA(nullptr);
  sheetClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  sheetClass.lpszClassName = "BrelvoxanProbeSheet";
  RegisterClassA(&sheetClass);
  HWND sheet =
      CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, sheetClass.lpszClassName, "",
                      WS_POPUP | WS_VISIBLE, outer.left, outer.top, outer.right - outer.left,
                      outer.bottom - outer.top, nullptr, nullptr, sheetClass.hInstance, nullptr);
  if (sheet == nullptr) return 1;
  pumpFor(ms);
  DestroyWindow(sheet);
  // A compositor (Wine's, or Windows' own) keeps each window's pixels and would not ask for a
  // paint at all; this does.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  pumpFor(100);
  return 0;
}

// One string of the version information's US English, Unicode block; empty when missing.
std::string versionString(const std::vector<char>& info, const char* name) {
  const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), path.c_str(), &value, &length) || value == nullptr) return {};
  return std::string(static_cast<const char*>(value), length > 0 ? length - 1 : 0);
}

int resources(const char* program) {
  const DWORD size = GetFileVersionInfoSizeA(program, nullptr);
  std::vector<char> info(size);
  const bool haveInfo = size > 0 && GetFileVersionInfoA(program, 0, size, info.data());
  std::printf("product %s\n", haveInfo ? versionString(info, "ProductName").c_str() : "");
  std::printf("version %s\n", haveInfo ? versionString(info, "ProductVersion").c_str() : "");
  HMODULE module = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  int icons[2] = {0, 0};
  if (module != nullptr) {
    for (int i = 0; i < 2; ++i) {
      icons[i] = FindResourceA(module, MAKEINTRESOURCEA(101 + i), MAKEINTRESOURCEA(14)) != nullptr;
    }
    FreeLibrary(module);
  }
  std::printf("icons %d %d\n", icons[0], icons[1]);
  return 0;
}

int activate(const char* title) {
  HWND window = waitForWindow(title, kWindowHangLimitMs);
  if (window == nullptr) return 1;
  std::printf("foreground %d\n", GetForegroundWindow() == window ? 1 : 0);
  for (int attempt = 0; attempt < 50 && GetForegroundWindow() != window; ++attempt) {
    SetForegroundWindow(window);
    Sleep(20);
  }
  return GetForegroundWindow() == window ? 0 : 1;
}

int bit(LONG value, LONG mask) {
  return (value & mask) == mask ? 1 : 0;
}

int info(const char* title, DWORD timeoutMs) {
  HWND window = waitForWindow(title, timeoutMs);
  if (window == nullptr) return 1;
  char className[256] = {};
  GetClassNameA(window, className, sizeof className);
  RECT outer{};
  GetWindowRect(window, &outer);
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);

  std::printf("class %s\n", className);
  std::printf("window %ld %ld %ld %ld\n", outer.left, outer.top, outer.right, outer.bottom);
  std::printf("client %ld %ld %ld %ld\n", origin.x - outer.left, origin.y - outer.top,
              client.right - client.left, client.bottom - client.top);
  std::printf("style 0x%08lX sizing %d minimize %d maximize %d caption %d sysmenu %d\n",
              static_cast<unsigned long>(style), bit(style, WS_THICKFRAME),
              bit(style, WS_MINIMIZEBOX), bit(style, WS_MAXIMIZEBOX), bit(style, WS_CAPTION),
              bit(style, WS_SYSMENU));
  std::printf("exstyle 0x%08lX\n", static_cast<unsigned long>(exStyle));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "info") == 0) {
    const DWORD timeout =
        argc >= 4 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : kWindowHangLimitMs;
    return info(argv[2], timeout);
  }
  if (argc == 3 && std::strcmp(argv[1], "resources") == 0) return resources(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "activate") == 0) return activate(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "cover") == 0) {
    return cover(argv[2], static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
  }
  std::fprintf(stderr,
               "usage: brelvoxan-winprobe info TITLE [TIMEOUT_MS] | resources PROGRAM.exe | "
               "activate TITLE | cover TITLE MS\n");
  return 2;
}
