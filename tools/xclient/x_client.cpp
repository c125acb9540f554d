// brelvoxan-xclient: the X client commands that no existing tool does well, because they need
// precise timing or a window manager's request: it waits until a window's picture settles, times
// a program's first paint and the way from a key press to the screen, covers a window for a
// while and asks it to close. Finding windows and sending keys is left to xdotool and comparing
// or making pictures to ImageMagick (tools/xclient/xclient.sh wraps all of them).
//
//   brelvoxan-xclient settle WINDOW OUT.png [--quiet MS] [--timeout MS]  capture once unchanged
//   brelvoxan-xclient changed WINDOW FROM.png [--timeout MS]       wait until it differs from FROM
//   brelvoxan-xclient shows WINDOW EXPECTED.png [--at X,Y] [--timeout MS]  wait until it shows it
//   brelvoxan-xclient firstpaint --expect FILE.png [--timeout MS] [--hold MS] -- COMMAND...
//   brelvoxan-xclient latency WINDOW [--count N] [--region X,Y,W,H] KEYSYM...
//   brelvoxan-xclient cover WINDOW [--ms MS]            covers the window with another for a while
//   brelvoxan-xclient close WINDOW                                       WM_DELETE_WINDOW request
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tools/reader/screen_reader.h"

namespace {

using brelvoxan::reader::Pixels;

Display* display = nullptr;
int xErrors = 0;

int countError(Display*, XErrorEvent*) {
  ++xErrors;
  return 0;
}

double nowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void sleepMs(double ms) {
  if (ms <= 0) return;
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(ms / 1e3);
  ts.tv_nsec = static_cast<long>((ms - static_cast<double>(ts.tv_sec) * 1e3) * 1e6);
  nanosleep(&ts, nullptr);
}

bool samePixels(const Pixels& a, const Pixels& b) {
  return a.width == b.width && a.height == b.height && a.data == b.data;
}

int usage() {
  std::fprintf(stderr, "usage: see the comment at the top of tools/xclient/x_client.cpp\n");
  return 2;
}

int shiftOf(unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

// The window's pixels in a rectangle, or nothing when the window cannot be read.
std::optional<Pixels> grab(Window window, int x, int y, int width, int height) {
  XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return std::nullopt;
  Pixels picture;
  picture.width = width;
  picture.height = height;
  picture.data.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  const int rs = shiftOf(image->red_mask);
  const int gs = shiftOf(image->green_mask);
  const int bs = shiftOf(image->blue_mask);
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      // The common 32-bit layout read directly: the latency command grabs as fast as it can.
      const unsigned long pixel = image->bits_per_pixel == 32
                                      ? *reinterpret_cast<const uint32_t*>(
                                            image->data + row * image->bytes_per_line + col * 4)
                                      : XGetPixel(image, col, row);
      const auto red = static_cast<uint32_t>((pixel & image->red_mask) >> rs) & 0xFF;
      const auto green = static_cast<uint32_t>((pixel & image->green_mask) >> gs) & 0xFF;
      const auto blue = static_cast<uint32_t>((pixel & image->blue_mask) >> bs) & 0xFF;
      picture.data[static_cast<size_t>(row) * static_cast<size_t>(width) + col] =
          (red << 16) | (green << 8) | blue;
    }
  }
  XDestroyImage(image);
  return picture;
}

std::optional<Pixels> grabWhole(Window window) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, window, &attributes) == 0) return std::nullopt;
  return grab(window, 0, 0, attributes.width, attributes.height);
}

bool writePicture(const std::string& path, const Pixels& picture) {
  return brelvoxan::reader::writePng(picture, 0, 0, picture.width, picture.height, path);
}

long pidOf(Window window) {
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  long pid = -1;
  if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr) {
    if (count == 1 && format == 32) pid = *reinterpret_cast<long*>(data);
    XFree(data);
  }
  return pid;
}

// Searches the top-level windows and their children (a window manager reparents them).
Window searchByPid(Window parent, int depth, long pid) {
  Window root = 0;
  Window up = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, parent, &root, &up, &children, &count) == 0) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && found == 0; ++i) {
    if (pidOf(children[i]) == pid) found = children[i];
    if (found == 0 && depth > 0) found = searchByPid(children[i], depth - 1, pid);
  }
  if (children != nullptr) XFree(children);
  return found;
}

// Looked for every millisecond: the first paint is timed from the moment the window exists.
Window waitForWindowOf(long pid, double timeoutMs) {
  const double end = nowMs() + timeoutMs;
  for (;;) {
    const Window window = searchByPid(DefaultRootWindow(display), 2, pid);
    if (window != 0) return window;
    if (nowMs() >= end) return 0;
    sleepMs(1);
  }
}

void sendKeyEvent(Window window, KeyCode keycode, int type) {
  XKeyEvent event{};
  event.display = display;
  event.window = window;
  event.root = DefaultRootWindow(display);
  event.subwindow = None;
  event.time = CurrentTime;
  event.x = event.y = event.x_root = event.y_root = 1;
  event.same_screen = True;
  event.keycode = keycode;
  event.type = type;
  XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask,
             reinterpret_cast<XEvent*>(&event));
}

// Presses and releases one key, timed to the millisecond (the latency command's own key).
bool sendKey(Window window, const char* name) {
  const KeySym keysym = XStringToKeysym(name);
  const KeyCode keycode = keysym == NoSymbol ? 0 : XKeysymToKeycode(display, keysym);
  if (keycode == 0) {
    std::fprintf(stderr, "xclient: unknown key %s\n", name);
    return false;
  }
  sendKeyEvent(window, keycode, KeyPress);
  sendKeyEvent(window, keycode, KeyRelease);
  XFlush(display);
  return true;
}

void requestClose(Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
}

long peakRssKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

Window parseWindow(const char* text) {
  return static_cast<Window>(std::strtoul(text, nullptr, 0));
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

// settle WINDOW OUT.png [--quiet MS] [--timeout MS]: looks every 10 ms and saves the picture once
// it has stayed the same for the quiet time.
int runSettle(int argc, char** argv) {
  if (argc < 4) return usage();
  const Window window = parseWindow(argv[2]);
  const std::string out = argv[3];
  double quietMs = 1500;
  double timeoutMs = 20000;
  for (int i = 4; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--quiet") {
      quietMs = std::strtod(argv[i + 1], nullptr);
    } else if (option == "--timeout") {
      timeoutMs = std::strtod(argv[i + 1], nullptr);
    } else {
      return usage();
    }
  }
  const double end = nowMs() + timeoutMs;
  std::optional<Pixels> last = grabWhole(window);
  double sameSince = nowMs();
  while (nowMs() < end) {
    sleepMs(10);
    std::optional<Pixels> current = grabWhole(window);
    if (!current) return 1;
    if (!last || !samePixels(*current, *last)) {
      last = std::move(current);
      sameSince = nowMs();
    } else if (nowMs() - sameSince >= quietMs) {
      return writePicture(out, *last) ? 0 : 1;
    }
  }
  std::fprintf(stderr, "xclient: the window kept changing for %.0f ms\n", timeoutMs);
  return 1;
}

// changed WINDOW FROM.png [--timeout MS]: looks every 10 ms until the window's picture is no longer
// FROM (a picture settle saved), so that a test acts once the window shows a key was taken.
int runChanged(int argc, char** argv) {
  if (argc != 4 && argc != 6) return usage();
  const Window window = parseWindow(argv[2]);
  const std::optional<Pixels> from = brelvoxan::reader::readPictureFile(argv[3]);
  if (!from) return usage();
  double timeoutMs = 60000;
  if (argc == 6) {
    if (std::string(argv[4]) != "--timeout") return usage();
    timeoutMs = std::strtod(argv[5], nullptr);
  }
  const double end = nowMs() + timeoutMs;
  while (nowMs() < end) {
    const std::optional<Pixels> current = grabWhole(window);
    if (!current) return 1;
    if (!samePixels(*current, *from)) return 0;
    sleepMs(10);
  }
  std::fprintf(stderr, "xclient: the window did not change in %.0f ms\n", timeoutMs);
  return 1;
}

// shows WINDOW EXPECTED.png [--at X,Y] [--timeout MS]: looks every 10 ms until the window's
// rectangle at X,Y (default 0,0) of the picture's size is that picture, so that a test compares
// once the program has drawn what it should, however slowly a busy machine lets it draw.
int runShows(int argc, char** argv) {
  if (argc < 4) return usage();
  const Window window = parseWindow(argv[2]);
  const std::optional<Pixels> expected = brelvoxan::reader::readPictureFile(argv[3]);
  if (!expected) return usage();
  int x = 0;
  int y = 0;
  double timeoutMs = 60000;
  for (int i = 4; i < argc; i += 2) {
    if (i + 1 >= argc) return usage();
    const std::string option = argv[i];
    if (option == "--at") {
      if (std::sscanf(argv[i + 1], "%d,%d", &x, &y) != 2 || x < 0 || y < 0) return usage();
    } else if (option == "--timeout") {
      timeoutMs = std::strtod(argv[i + 1], nullptr);
    } else {
      return usage();
    }
  }
  const double end = nowMs() + timeoutMs;
  while (nowMs() < end) {
    const std::optional<Pixels> current = grab(window, x, y, expected->width, expected->height);
    if (current && samePixels(*current, *expected)) return 0;
    sleepMs(10);
  }
  std::fprintf(stderr, "xclient: the window did not show the picture in %.0f ms\n", timeoutMs);
  return 1;
}

// firstpaint --expect FILE.png [--timeout MS] [--hold MS] -- COMMAND...: starts the command and
// prints the milliseconds until its window's top-left shows the expected picture, then its peak
// memory after the hold, and closes it.
int runFirstPaint(int argc, char** argv) {
  std::string expectPath;
  double timeout = 10000;
  double hold = 500;
  int i = 2;
  for (; i < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--") break;
    if (i + 1 >= argc) return usage();
    if (option == "--expect") {
      expectPath = argv[i + 1];
    } else if (option == "--timeout") {
      timeout = std::strtod(argv[i + 1], nullptr);
    } else if (option == "--hold") {
      hold = std::strtod(argv[i + 1], nullptr);
    } else {
      return usage();
    }
  }
  if (i >= argc - 1 || expectPath.empty()) return usage();
  const std::optional<Pixels> expected = brelvoxan::reader::readPictureFile(expectPath);
  if (!expected) return usage();

  const double start = nowMs();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[i + 1], argv + i + 1);
    _exit(127);
  }
  const double end = start + timeout;
  const Window window = waitForWindowOf(child, timeout);
  double painted = -1;
  while (window != 0 && nowMs() < end) {
    const auto current = grab(window, 0, 0, expected->width, expected->height);
    if (current && samePixels(*current, *expected)) {
      painted = nowMs() - start;
      break;
    }
    sleepMs(0.5);
  }
  if (painted >= 0) {
    sleepMs(hold);
    std::printf("first_paint_ms %.1f\npeak_rss_kib %ld\nlaunched_at_us %.0f\n", painted,
                peakRssKib(child), start * 1e3);
  } else {
    std::printf("first_paint_ms timeout\n");
  }
  if (window != 0) requestClose(window);
  int status = 0;
  for (int tries = 0; tries < 1000 && waitpid(child, &status, WNOHANG) == 0; ++tries) sleepMs(1);
  if (waitpid(child, &status, WNOHANG) == 0) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  std::printf("exit %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
  std::fflush(stdout);
  return painted >= 0 ? 0 : 1;
}

// latency WINDOW [--count N] [--region X,Y,W,H] KEYSYM...: sends the keys in turn and prints the
// milliseconds from each press to the first change of the region.
int runLatency(int argc, char** argv) {
  if (argc < 3) return usage();
  const Window window = parseWindow(argv[2]);
  int count = 50;
  int rx = 0;
  int ry = 0;
  int rw = 0;
  int rh = 0;
  std::vector<const char*> keys;
  for (int i = 3; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--count" && i + 1 < argc) {
      count = std::atoi(argv[++i]);
    } else if (option == "--region" && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%d,%d,%d,%d", &rx, &ry, &rw, &rh) != 4) return usage();
    } else {
      keys.push_back(argv[i]);
    }
  }
  if (keys.empty()) return usage();
  if (rw <= 0 || rh <= 0) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    rw = attributes.width;
    rh = attributes.height;
  }
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> jitter(0.0, 17.0);
  std::vector<double> delays;
  int missed = 0;
  for (int n = 0; n < count; ++n) {
    const auto before = grab(window, rx, ry, rw, rh);
    if (!before) return 1;
    const double sent = nowMs();
    if (!sendKey(window, keys[static_cast<size_t>(n) % keys.size()])) return 2;
    bool changed = false;
    while (nowMs() - sent < 1000) {
      const auto current = grab(window, rx, ry, rw, rh);
      if (current && !samePixels(*current, *before)) {
        changed = true;
        break;
      }
    }
    if (changed) {
      delays.push_back(nowMs() - sent);
    } else {
      ++missed;
    }
    // Let the picture settle, then wait a random part of a frame so presses meet every phase.
    sleepMs(40 + jitter(random));
  }
  std::printf("key_latency_ms");
  for (double d : delays) std::printf(" %.2f", d);
  std::printf("\nkey_latency_p50_ms %.2f\nkey_latency_p95_ms %.2f\nkey_latency_max_ms %.2f\n",
              percentile(delays, 0.5), percentile(delays, 0.95), percentile(delays, 1.0));
  std::printf("key_presses_unseen %d\n", missed);
  return missed == 0 ? 0 : 1;
}

// cover WINDOW [--ms MS]: maps a white window over the whole of the window for a while and takes
// it away again, so that the covered window has to repaint itself.
int runCover(int argc, char** argv) {
  if (argc < 3) return usage();
  const Window window = parseWindow(argv[2]);
  const double ms =
      argc >= 5 && std::string(argv[3]) == "--ms" ? std::strtod(argv[4], nullptr) : 300;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, window, &attributes) == 0) return 1;
  int x = 0;
  int y = 0;
  Window child = 0;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
  XSetWindowAttributes cover{};
  cover.override_redirect = True;
  cover.background_pixel = WhitePixel(display, DefaultScreen(display));
  const Window sheet = XCreateWindow(
      display, DefaultRootWindow(display), x, y, static_cast<unsigned>(attributes.width),
      static_cast<unsigned>(attributes.height), 0, CopyFromParent, InputOutput, CopyFromParent,
      CWOverrideRedirect | CWBackPixel, &cover);
  XMapRaised(display, sheet);
  XSync(display, False);
  sleepMs(ms);
  XDestroyWindow(display, sheet);
  XSync(display, False);
  return xErrors == 0 ? 0 : 1;
}

// close WINDOW: the request a window manager's close button sends.
int runClose(int argc, char** argv) {
  if (argc != 3) return usage();
  requestClose(parseWindow(argv[2]));
  XSync(display, False);
  return xErrors == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  using Command = int (*)(int, char**);
  const std::pair<const char*, Command> commands[] = {
      {"settle", runSettle},         {"changed", runChanged}, {"shows", runShows},
      {"firstpaint", runFirstPaint}, {"latency", runLatency}, {"cover", runCover},
      {"close", runClose},
  };
  for (const auto& [name, run] : commands) {
    if (command != name) continue;
    display = XOpenDisplay(nullptr);
    if (display == nullptr) {
      std::fprintf(stderr, "xclient: cannot open the X display\n");
      return 2;
    }
    XSetErrorHandler(countError);
    return run(argc, argv);
  }
  return usage();
}
