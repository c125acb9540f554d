// libFuzzer target: the input is written to a file, loaded as a glyph image and drawn onto the
// window and into the back buffer, as the game draws a glyph. Any crash, sanitizer report,
// leak, oversized allocation or slow input is a finding; so is a loaded bitmap of a size no
// reader may accept, or one that cannot be drawn.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/headless/headless.h"
#include "host/platform.h"
#include "host/window_host.h"
#include "screen/image.h"

namespace {

std::string& inputPath() {
  static std::string path;
  return path;
}

void removeInput() {
  ::unlink(inputPath().c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  host::headless::reset(64, 64);
  host::startPromptWindow();  // the headless window, onto which loaded glyphs are drawn
  // A name nobody can guess or take first, made by mkstemp; the sticky temporary folder keeps
  // others from replacing it before it is written by name. Removed at exit.
  std::string path = (std::filesystem::temp_directory_path() / "brelvoxan-fuzz-XXXXXX").string();
  const int fd = ::mkstemp(path.data());
  if (fd < 0) {
    std::perror("brelvoxan fuzz: mkstemp");
    std::exit(1);
  }
  ::close(fd);
  inputPath() = path;
  std::atexit(removeInput);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = inputPath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) return 0;

  brelvoxan::Image image;
  if (image.loadFromFile(path.c_str()) == 1) {
    image.attachToWindow();
    const int32_t width = image.bitmapWidth();
    const int32_t height = image.bitmapHeight();
    if (width < 1 || height < 1 || width > host::kMaxPictureSide ||
        height > host::kMaxPictureSide || image.drawAt(0, 0) != 1) {
      __builtin_trap();
    }
  }
  return 0;
}
