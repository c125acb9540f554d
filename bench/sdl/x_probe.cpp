// A small X client that drives the game's window from outside, for the end-to-end test and the
// benchmark: it finds a window, captures it to PNG, sends keys and the window manager's close
// request, compares pictures, and times a program's first paint and the way from a key press to
// the screen.
//
//   brelvoxan-xprobe find (--name TITLE | --pid PID) [--timeout MS]     prints the window id
//   brelvoxan-xprobe title WINDOW                                        prints the window title
//   brelvoxan-xprobe geometry WINDOW                       prints X Y WIDTH HEIGHT on the screen
//   brelvoxan-xprobe cover WINDOW [--ms MS]          covers the window with another for a while
//   brelvoxan-xprobe capture WINDOW OUT.png
//   brelvoxan-xprobe settle WINDOW OUT.png [--quiet MS] [--timeout MS]  capture once unchanged
//   brelvoxan-xprobe keys WINDOW [--gap MS] KEYSYM...          e.g. 1 Right Return Alt_L+1
//   brelvoxan-xprobe close WINDOW                                        WM_DELETE_WINDOW request
//   brelvoxan-xprobe compare A.png B.png DIFF.png                        exit 0 equal, 1 differ
//   brelvoxan-xprobe crop IN.png X,Y,W,H OUT.png               a rectangle of IN.png
//   brelvoxan-xprobe solid WIDTH HEIGHT RRGGBB OUT.png                  a picture in one colour
//   brelvoxan-xprobe firstpaint --expect FILE.png [--timeout MS] [--hold MS] -- COMMAND...
//   brelvoxan-xprobe latency WINDOW [--count N] [--region X,Y,W,H] KEYSYM...
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
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace {

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

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  bool operator==(const Picture&) const = default;
};

std::optional<Picture> readPng(const std::string& path) {
  int w = 0, h = 0, channels = 0;
  stbi_uc* data = stbi_load(path.c_str(), &w, &h, &channels, 3);
  if (data == nullptr) return std::nullopt;
  Picture picture{w, h, std::vector<uint8_t>(data, data + static_cast<size_t>(w) * h * 3)};
  stbi_image_free(data);
  return picture;
}

bool writePng(const std::string& path, const Picture& picture) {
  return stbi_write_png(path.c_str(), picture.width, picture.height, 3, picture.rgb.data(),
                        picture.width * 3) != 0;
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
std::optional<Picture> grab(Window window, int x, int y, int width, int height) {
  XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return std::nullopt;
  Picture picture{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
  const int rs = shiftOf(image->red_mask), gs = shiftOf(image->green_mask),
            bs = shiftOf(image->blue_mask);
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      unsigned long pixel = 0;
      if (image->bits_per_pixel == 32) {
        pixel =
            *reinterpret_cast<const uint32_t*>(image->data + row * image->bytes_per_line + col * 4);
      } else {
        pixel = XGetPixel(image, col, row);
      }
      uint8_t* out = &picture.rgb[(static_cast<size_t>(row) * width + col) * 3];
      out[0] = static_cast<uint8_t>((pixel & image->red_mask) >> rs);
      out[1] = static_cast<uint8_t>((pixel & image->green_mask) >> gs);
      out[2] = static_cast<uint8_t>((pixel & image->blue_mask) >> bs);
    }
  }
  XDestroyImage(image);
  return picture;
}

std::optional<Picture> grabWhole(Window window) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, window, &attributes) == 0) return std::nullopt;
  return grab(window, 0, 0, attributes.width, attributes.height);
}

std::string titleOf(Window window) {
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr) {
    std::string title(reinterpret_cast<char*>(data), count);
    XFree(data);
    if (!title.empty()) return title;
  }
  char* name = nullptr;
  std::string title;
  if (XFetchName(display, window, &name) != 0 && name != nullptr) {
    title = name;
    XFree(name);
  }
  return title;
}

long pidOf(Window window) {
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
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
Window search(Window parent, int depth, const std::string& name, long pid) {
  Window root = 0, up = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, parent, &root, &up, &children, &count) == 0) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && found == 0; ++i) {
    if (!name.empty() && titleOf(children[i]) == name) found = children[i];
    if (pid > 0 && pidOf(children[i]) == pid) found = children[i];
    if (found == 0 && depth > 0) found = search(children[i], depth - 1, name, pid);
  }
  if (children != nullptr) XFree(children);
  return found;
}

Window findWindow(const std::string& name, long pid, double timeoutMs) {
  const double end = nowMs() + timeoutMs;
  for (;;) {
    const Window window = search(DefaultRootWindow(display), 2, name, pid);
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

// Presses and releases one key, or a chord such as Alt_L+1: the keys go down in order and come
// up in reverse.
bool sendKey(Window window, const char* chord) {
  std::vector<KeyCode> keycodes;
  std::string rest = chord;
  for (;;) {
    const size_t plus = rest.find('+', 1);
    const std::string name = rest.substr(0, plus);
    const KeySym keysym = XStringToKeysym(name.c_str());
    const KeyCode keycode = keysym == NoSymbol ? 0 : XKeysymToKeycode(display, keysym);
    if (keycode == 0) {
      std::fprintf(stderr, "xprobe: unknown key %s\n", name.c_str());
      return false;
    }
    keycodes.push_back(keycode);
    if (plus == std::string::npos) break;
    rest = rest.substr(plus + 1);
  }
  for (KeyCode keycode : keycodes) sendKeyEvent(window, keycode, KeyPress);
  for (auto it = keycodes.rbegin(); it != keycodes.rend(); ++it) {
    sendKeyEvent(window, *it, KeyRelease);
  }
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

int usage() {
  std::fprintf(stderr, "usage: see the comment at the top of x_probe.cpp\n");
  return 2;
}

int runFind(int argc, char** argv) {
  std::string name;
  long pid = -1;
  double timeout = 10000;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--name")
      name = argv[i + 1];
    else if (option == "--pid")
      pid = std::strtol(argv[i + 1], nullptr, 10);
    else if (option == "--timeout")
      timeout = std::strtod(argv[i + 1], nullptr);
    else
      return usage();
  }
  const Window window = findWindow(name, pid, timeout);
  if (window == 0) return 1;
  std::printf("%lu\n", window);
  return 0;
}

int runSettle(Window window, const std::string& out, double quietMs, double timeoutMs) {
  const double end = nowMs() + timeoutMs;
  std::optional<Picture> last = grabWhole(window);
  double sameSince = nowMs();
  while (nowMs() < end) {
    sleepMs(10);
    std::optional<Picture> current = grabWhole(window);
    if (!current) return 1;
    if (!last || !(*current == *last)) {
      last = std::move(current);
      sameSince = nowMs();
    } else if (nowMs() - sameSince >= quietMs) {
      return writePng(out, *last) ? 0 : 1;
    }
  }
  std::fprintf(stderr, "xprobe: the window kept changing for %.0f ms\n", timeoutMs);
  return 1;
}

int runCompare(const std::string& a, const std::string& b, const std::string& diffPath) {
  const auto first = readPng(a);
  const auto second = readPng(b);
  if (!first || !second) {
    std::fprintf(stderr, "xprobe: cannot read %s or %s\n", a.c_str(), b.c_str());
    return 2;
  }
  if (first->width != second->width || first->height != second->height) {
    std::printf("size differs: %dx%d vs %dx%d\n", first->width, first->height, second->width,
                second->height);
    return 1;
  }
  // The difference picture: matching pixels dimmed, differing pixels pure red.
  Picture diff = *first;
  long differing = 0;
  for (size_t i = 0; i < diff.rgb.size(); i += 3) {
    const bool same = std::equal(first->rgb.begin() + static_cast<long>(i),
                                 first->rgb.begin() + static_cast<long>(i) + 3,
                                 second->rgb.begin() + static_cast<long>(i));
    if (same) {
      for (size_t c = 0; c < 3; ++c) diff.rgb[i + c] = static_cast<uint8_t>(diff.rgb[i + c] / 4);
    } else {
      ++differing;
      diff.rgb[i] = 255;
      diff.rgb[i + 1] = 0;
      diff.rgb[i + 2] = 0;
    }
  }
  writePng(diffPath, diff);
  std::printf("%ld differing pixels\n", differing);
  return differing == 0 ? 0 : 1;
}

// Maps a white window over the whole of `window` for a while and takes it away again, so that
// the covered window has to repaint itself.
int runCover(Window window, double ms) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, window, &attributes) == 0) return 1;
  int x = 0, y = 0;
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

int runFirstPaint(int argc, char** argv) {
  std::string expectPath;
  double timeout = 10000, hold = 500;
  int i = 2;
  for (; i < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--") break;
    if (i + 1 >= argc) return usage();
    if (option == "--expect")
      expectPath = argv[i + 1];
    else if (option == "--timeout")
      timeout = std::strtod(argv[i + 1], nullptr);
    else if (option == "--hold")
      hold = std::strtod(argv[i + 1], nullptr);
    else
      return usage();
  }
  if (i >= argc - 1 || expectPath.empty()) return usage();
  const auto expected = readPng(expectPath);
  if (!expected) return usage();

  const double start = nowMs();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[i + 1], argv + i + 1);
    _exit(127);
  }
  const double end = start + timeout;
  const Window window = findWindow("", child, timeout);
  double painted = -1;
  while (window != 0 && nowMs() < end) {
    const auto current = grab(window, 0, 0, expected->width, expected->height);
    if (current && *current == *expected) {
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

int runLatency(int argc, char** argv) {
  const Window window = parseWindow(argv[2]);
  int count = 50;
  int rx = 0, ry = 0, rw = 0, rh = 0;
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
    sendKey(window, keys[static_cast<size_t>(n) % keys.size()]);
    bool changed = false;
    while (nowMs() - sent < 1000) {
      const auto current = grab(window, rx, ry, rw, rh);
      if (current && !(*current == *before)) {
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  if (command == "compare") return argc == 5 ? runCompare(argv[2], argv[3], argv[4]) : usage();
  if (command == "crop" && argc == 5) {
    const auto in = readPng(argv[2]);
    int x = 0, y = 0, w = 0, h = 0;
    if (!in || std::sscanf(argv[3], "%d,%d,%d,%d", &x, &y, &w, &h) != 4 || x < 0 || y < 0 ||
        w <= 0 || h <= 0 || x + w > in->width || y + h > in->height) {
      std::fprintf(stderr, "xprobe: cannot crop %s to %s\n", argv[2], argv[3]);
      return 2;
    }
    Picture out{w, h, {}};
    for (int row = y; row < y + h; ++row) {
      const auto first = in->rgb.begin() + (static_cast<long>(row) * in->width + x) * 3;
      out.rgb.insert(out.rgb.end(), first, first + static_cast<long>(w) * 3);
    }
    return writePng(argv[4], out) ? 0 : 1;
  }
  if (command == "solid" && argc == 6) {
    const int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    const unsigned long colour = std::strtoul(argv[4], nullptr, 16);
    if (width <= 0 || height <= 0) return usage();
    Picture picture{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
      picture.rgb.push_back(static_cast<uint8_t>(colour >> 16));
      picture.rgb.push_back(static_cast<uint8_t>(colour >> 8));
      picture.rgb.push_back(static_cast<uint8_t>(colour));
    }
    return writePng(argv[5], picture) ? 0 : 1;
  }

  display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "xprobe: cannot open the X display\n");
    return 2;
  }
  XSetErrorHandler(countError);

  if (command == "find") return runFind(argc, argv);
  if (command == "firstpaint") return runFirstPaint(argc, argv);
  if (argc < 3) return usage();
  if (command == "latency") return runLatency(argc, argv);
  const Window window = parseWindow(argv[2]);
  if (command == "title") {
    std::printf("%s\n", titleOf(window).c_str());
    return 0;
  }
  if (command == "geometry") {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0) return 1;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    std::printf("%d %d %d %d\n", x, y, attributes.width, attributes.height);
    return 0;
  }
  if (command == "cover") {
    const double ms =
        argc >= 5 && std::string(argv[3]) == "--ms" ? std::strtod(argv[4], nullptr) : 300;
    return runCover(window, ms);
  }
  if (command == "capture" && argc == 4) {
    const auto picture = grabWhole(window);
    return picture && writePng(argv[3], *picture) ? 0 : 1;
  }
  if (command == "settle" && argc >= 4) {
    double quiet = 1500, timeout = 20000;
    for (int i = 4; i + 1 < argc; i += 2) {
      const std::string option = argv[i];
      if (option == "--quiet")
        quiet = std::strtod(argv[i + 1], nullptr);
      else if (option == "--timeout")
        timeout = std::strtod(argv[i + 1], nullptr);
      else
        return usage();
    }
    return runSettle(window, argv[3], quiet, timeout);
  }
  if (command == "keys") {
    double gap = 100;
    int i = 3;
    if (i + 1 < argc && std::string(argv[i]) == "--gap") {
      gap = std::strtod(argv[i + 1], nullptr);
      i += 2;
    }
    for (; i < argc; ++i) {
      if (!sendKey(window, argv[i])) return 2;
      if (i + 1 < argc) sleepMs(gap);
    }
    XSync(display, False);
    return xErrors == 0 ? 0 : 1;
  }
  if (command == "close") {
    requestClose(window);
    XSync(display, False);
    return xErrors == 0 ? 0 : 1;
  }
  return usage();
}
