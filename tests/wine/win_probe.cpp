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
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int bit(LONG value, LONG mask) {
  return (value & mask) == mask ? 1 : 0;
}

int info(const char* title, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  HWND window = nullptr;
  while ((window = FindWindowA(nullptr, title)) == nullptr) {
    if (GetTickCount() - start >= timeoutMs) {
      std::printf("no window titled \"%s\"\n", title);
      return 1;
    }
    Sleep(10);
  }
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
        argc >= 4 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 10000;
    return info(argv[2], timeout);
  }
  std::fprintf(stderr, "usage: brelvoxan-winprobe info TITLE [TIMEOUT_MS]\n");
  return 2;
}
