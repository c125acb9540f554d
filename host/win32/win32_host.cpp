// The Win32 backend's window host, drawing, time and keys: a window thread with its own message
// loop owns the window and a screen-sized back buffer; the game thread draws onto the window and
// into the back buffer, and every paint is one copy of the back buffer.
#include <algorithm>
#include <atomic>
#include <cstdint>

#include "host/display_size.h"
#include "host/key_rules.h"
#include "host/pause_cadence.h"
#include "host/platform.h"
#include "host/win32/win32_bitmaps.h"
#include "host/win32/win32_handles.h"
#include "host/win32/win32_trace.h"
#include "host/window_host.h"

#include <mmsystem.h>  // after windows.h, which win32_handles.h brings in

namespace host {

namespace {

// Nothing is shown when the window cannot be made; the exit code tells which step failed.
constexpr UINT kExitNoThread = 1;
constexpr UINT kExitNoClass = 2;
constexpr UINT kExitNoWindow = 3;

// The longest pause between two looks at the key slot; a stored key ends it at once.
constexpr DWORD kKeyPauseLimitMs = 50;

// Everything this backend keeps. The window thread makes the window and the back buffer; the
// lock keeps a paint or the release from meeting a mirror copy of the game thread halfway, and
// the flag tells copies made after the release (the images keep the handle) to leave it alone.
struct State {
  std::atomic<HWND> window{nullptr};
  int32_t backBufferWidth = 0;
  int32_t backBufferHeight = 0;
  HDC backBufferDc = nullptr;
  HBITMAP backBufferBitmap = nullptr;
  HGDIOBJ backBufferInitialBitmap = nullptr;
  SRWLOCK backBufferLock = SRWLOCK_INIT;
  bool backBufferAlive = false;
  // --scale: every display pixel becomes displayScale x displayScale window pixels; the back
  // buffer keeps the display's own size and is enlarged on the way to the window.
  int32_t displayScale = 1;
  // Set by the window thread whenever it stores a key (auto-reset); the key wait sleeps on it.
  HANDLE keyEvent = nullptr;
  // Keeps a run of pauses on pace (host/pause_cadence.h); only the game thread sleeps.
  PauseCadence pauseCadence;
  win32::DrawTrace drawTrace;  // the traced program's count and time of image draws
};

State& state() {
  static State instance;
  return instance;
}

class BackBufferGuard {
 public:
  BackBufferGuard() { AcquireSRWLockExclusive(&state().backBufferLock); }
  ~BackBufferGuard() { ReleaseSRWLockExclusive(&state().backBufferLock); }
  BackBufferGuard(const BackBufferGuard&) = delete;
  BackBufferGuard& operator=(const BackBufferGuard&) = delete;
};

// A black bitmap as large as the primary screen, in a memory DC compatible with the window's.
bool createBackBuffer(HWND window) {
  State& s = state();
  HDC windowDc = GetDC(window);
  if (windowDc == nullptr) return false;
  const int32_t width = s.backBufferWidth;
  const int32_t height = s.backBufferHeight;
  HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
  HDC memoryDc = CreateCompatibleDC(windowDc);
  const bool made = bitmap != nullptr && memoryDc != nullptr;
  if (made) {
    s.backBufferInitialBitmap = SelectObject(memoryDc, bitmap);
    HGDIOBJ previousBrush = SelectObject(memoryDc, GetStockObject(BLACK_BRUSH));
    PatBlt(memoryDc, 0, 0, width, height, PATCOPY);
    SelectObject(memoryDc, previousBrush);
  }
  ReleaseDC(window, windowDc);
  if (!made) {
    if (memoryDc != nullptr) DeleteDC(memoryDc);
    if (bitmap != nullptr) DeleteObject(bitmap);
    return false;
  }

  BackBufferGuard guard;
  s.backBufferBitmap = bitmap;
  s.backBufferDc = memoryDc;
  s.backBufferAlive = true;
  return true;
}

void releaseBackBuffer() {
  State& s = state();
  BackBufferGuard guard;
  if (!s.backBufferAlive) return;
  SelectObject(s.backBufferDc, s.backBufferInitialBitmap);
  DeleteDC(s.backBufferDc);
  DeleteObject(s.backBufferBitmap);
  s.backBufferBitmap = nullptr;
  s.backBufferAlive = false;
}

LRESULT CALLBACK promptWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // -1 makes CreateWindowExA fail, so a window without a back buffer never appears.
      return createBackBuffer(window) ? 0 : -1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC windowDc = BeginPaint(window, &paint);
      {
        // The whole back buffer every time; the system clips it to the region being painted.
        const State& s = state();
        BackBufferGuard guard;
        if (s.backBufferAlive && s.displayScale == 1) {
          BitBlt(windowDc, 0, 0, s.backBufferWidth, s.backBufferHeight, s.backBufferDc, 0, 0,
                 SRCCOPY);
        } else if (s.backBufferAlive) {
          SetStretchBltMode(windowDc, COLORONCOLOR);
          StretchBlt(windowDc, 0, 0, s.backBufferWidth * s.displayScale,
                     s.backBufferHeight * s.displayScale, s.backBufferDc, 0, 0, s.backBufferWidth,
                     s.backBufferHeight, SRCCOPY);
        }
      }
      EndPaint(window, &paint);
      reportPainted();
      return 0;
    }
    case WM_KEYDOWN:
      // Ctrl+Q closes the window as its close box does; its Q never reaches the key slot.
      // Ctrl with Alt is AltGr, which types characters on many layouts.
      if (wParam == 'Q' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
        trace("quit");
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
      }
      {
        // Ctrl+Z reaches the game as a code of its own (host/key_rules.h).
        const uint8_t code =
            keys::withModifiers(static_cast<uint8_t>(wParam & 0xFF), GetKeyState(VK_CONTROL) < 0,
                                GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_MENU) < 0);
        trace("key", code);
        reportKeyDown(code);
      }
      return 0;
    case WM_DESTROY:
      releaseBackBuffer();
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

DWORD WINAPI promptWindowThread(LPVOID /*unused*/) {
  State& s = state();
  s.backBufferWidth = GetSystemMetrics(SM_CXSCREEN);
  s.backBufferHeight = GetSystemMetrics(SM_CYSCREEN);

  HINSTANCE module = GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = promptWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = module;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = kWindowClassName;
  windowClass.hIconSm = LoadIconA(nullptr, IDI_WINLOGO);
  // The game thread waits for a first paint; without a window it would wait for ever.
  if (RegisterClassExA(&windowClass) == 0) ExitProcess(kExitNoClass);

  HWND window = CreateWindowExA(WS_EX_CLIENTEDGE, kWindowClassName, kInitialTitle,
                                WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, module, nullptr);
  if (window == nullptr) ExitProcess(kExitNoWindow);
  s.window.store(window, std::memory_order_release);
  reportWindowCreated(win32::fromWin32<WindowHandle>(window),
                      win32::fromWin32<SurfaceHandle>(s.backBufferDc), s.backBufferWidth,
                      s.backBufferHeight);
  ShowWindow(window, SW_SHOW);

  MSG message;
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // Closing the window is the program's only way out, wherever the game thread stands.
  ExitProcess(0);
}

}  // namespace

// --- Drawing -------------------------------------------------------------------------------

int32_t drawBitmap(BitmapHandle bitmap, WindowHandle owner, SurfaceHandle mirror, int32_t x,
                   int32_t y) {
  const int64_t traceStart = win32::DrawTrace::start();
  const win32::SelectedBitmap* source = win32::selectedBitmap(win32::toWin32(bitmap));
  if (source == nullptr) return 0;
  const int width = source->width;
  const int height = source->height;

  State& s = state();
  // Only the game window is drawn on: a null owner would give the screen's DC and draw over the
  // desktop. A window that is gone gives no DC; the mirror copy is made all the same.
  HWND window = s.window.load(std::memory_order_acquire);
  HDC windowDc = owner != nullptr && win32::toWin32(owner) == window ? GetDC(window) : nullptr;
  BOOL copied = FALSE;
  if (windowDc != nullptr) {
    SetStretchBltMode(windowDc, COLORONCOLOR);
    const int32_t n = s.displayScale;
    copied = StretchBlt(windowDc, x * n, y * n, width * n, height * n, source->dc, 0, 0, width,
                        height, SRCCOPY);
  }
  if (mirror != nullptr) {
    BackBufferGuard guard;
    HDC mirrorDc = win32::toWin32(mirror);
    if (s.backBufferAlive || mirrorDc != s.backBufferDc) {
      SetStretchBltMode(mirrorDc, COLORONCOLOR);
      StretchBlt(mirrorDc, x, y, width, height, source->dc, 0, 0, width, height, SRCCOPY);
    }
  }
  if (windowDc != nullptr) ReleaseDC(window, windowDc);
  state().drawTrace.done(traceStart);
  return copied ? 1 : 0;
}

// --- Window host -----------------------------------------------------------------------------

void startWindowThread() {
  // The default timer tick is about 15.6 ms; the 10 ms steps of the stone sweep need the 1 ms
  // resolution, or every sweep would take a second instead of 640 ms.
  timeBeginPeriod(1);
  state().keyEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (state().keyEvent == nullptr) ExitProcess(kExitNoThread);
  HANDLE thread = CreateThread(nullptr, 0, promptWindowThread, nullptr, 0, nullptr);
  if (thread == nullptr) ExitProcess(kExitNoThread);
  CloseHandle(thread);  // the thread ends only with the process; nobody waits for it
}

void finishWindowSetup() {
  HWND window = state().window.load(std::memory_order_acquire);
  SetWindowTextA(window, kGameTitle);
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kGameIconId));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  // Title bar and close box stay; the frame no longer resizes, minimises or maximises.
  LONG style = GetWindowLongA(window, GWL_STYLE);
  style &= ~static_cast<LONG>(WS_THICKFRAME | WS_MINIMIZEBOX);
  style &= ~static_cast<LONG>(WS_THICKFRAME | WS_MAXIMIZEBOX);
  SetWindowLongA(window, GWL_STYLE, style);
  // The outer size is whatever this style's frame needs around a client area of exactly the
  // display's size, enlarged by the scale: a fixed outer size would cut the display's edges.
  const int32_t n = state().displayScale;
  RECT outer{0, 0, kClientWidth * n, kClientHeight * n};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(style), FALSE,
                     static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_FRAMECHANGED);
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
}

void setDisplayScale(int32_t factor) {
  state().displayScale = factor;  // 1..4: the command line allows no other (game/options.cpp)
}

// --- Time and keys ---------------------------------------------------------------------------

// The game thread waits with MsgWaitForMultipleObjects rather than Sleep: the same on Windows, but
// under Wine a program's window pixels reach the X server only while one of its threads waits
// that way, so what the game drew shows whenever it pauses.
namespace {

int64_t counterNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

int64_t counterFrequency() {
  static const int64_t frequency = [] {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return static_cast<int64_t>(value.QuadPart);
  }();
  return frequency;
}

double counterMs() {
  return static_cast<double>(counterNow()) * 1000.0 / static_cast<double>(counterFrequency());
}

}  // namespace

#ifdef BRELVOXAN_TRACE
// The performance counter, finer than some runtimes' steady clock.
int64_t traceMicros() {
  const int64_t now = counterNow();
  const int64_t frequency = counterFrequency();
  return now / frequency * 1000000 + now % frequency * 1000000 / frequency;
}
#endif

// The window shows nothing but the display.
void showLevel(int32_t /*level*/) {}

// Pauses until a deadline on the performance counter: the timer wakes up to a millisecond late,
// which over the 64 steps of a stone sweep would add tens of milliseconds. The wait ends a
// millisecond early and the rest is spent spinning (yielding could lose the processor for a
// whole time slice on a busy machine); the cadence makes up what a pause still ends late.
void sleepMs(uint32_t milliseconds) {
  State& s = state();
  s.drawTrace.report();
  trace("sleep", milliseconds);
  double now = counterMs();
  const double end = s.pauseCadence.dueAt(now, milliseconds);
  while (now < end) {
    const double leftMs = end - now;
    if (leftMs >= 2) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(leftMs - 1), 0);
    } else {
      YieldProcessor();
    }
    now = counterMs();
  }
  trace("woke", milliseconds);
}

void beginKeyWait() {
  trace("keywait");
}

// Ends at once when a key is stored instead of looking every millisecond, so a long wait for a
// key costs next to nothing; the slot itself is still read by the key wait.
void keyPollPause() {
  MsgWaitForMultipleObjects(1, &state().keyEvent, FALSE, kKeyPauseLimitMs, 0);
}

void keyStored() {
  SetEvent(state().keyEvent);
}

// The game thread is not the window's: the game does such work itself.
bool runJobElsewhere(const std::vector<uint8_t>&, std::vector<uint8_t>*) {
  return false;
}

}  // namespace host
