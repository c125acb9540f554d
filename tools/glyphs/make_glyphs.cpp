// make-glyphs OUTDIR        writes the 256 glyph files 000.bmp .. 255.bmp into OUTDIR
// make-glyphs --check DIR   exits 0 when DIR holds exactly those bytes, else names the first
//                           missing or differing file and exits 1
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "tools/glyphs/glyph_set.h"

namespace fs = std::filesystem;
using brelvoxan::glyphs::buildGlyphFiles;
using brelvoxan::glyphs::glyphFileName;

namespace {

std::optional<std::vector<uint8_t>> readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

int writeAll(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  const auto files = buildGlyphFiles();
  for (size_t code = 0; code < files.size(); ++code) {
    const fs::path path = dir / glyphFileName(static_cast<int>(code));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(files[code].data()),
              static_cast<std::streamsize>(files[code].size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "make-glyphs: cannot write %s\n", path.string().c_str());
      return 1;
    }
  }
  return 0;
}

int checkAll(const fs::path& dir) {
  const auto files = buildGlyphFiles();
  for (size_t code = 0; code < files.size(); ++code) {
    const fs::path path = dir / glyphFileName(static_cast<int>(code));
    const auto bytes = readFile(path);
    if (!bytes) {
      std::printf("missing: %s\n", path.string().c_str());
      return 1;
    }
    if (*bytes != files[code]) {
      std::printf("differs: %s\n", path.string().c_str());
      return 1;
    }
  }
  std::printf("all %zu glyph files match\n", files.size());
  return 0;
}

int usage() {
  std::fprintf(stderr, "usage: make-glyphs OUTDIR\n       make-glyphs --check DIR\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 2 && std::strcmp(argv[1], "--check") != 0 && argv[1][0] != '-') {
      return writeAll(argv[1]);
    }
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0) return checkAll(argv[2]);
    return usage();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make-glyphs: %s\n", e.what());
    return 1;
  }
}
