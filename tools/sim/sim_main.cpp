// brelvoxan-sim [--png FILE]: runs the real game on the headless backend with keys read from
// standard input, then prints the display as read back from the back buffer.
//
// Keys are whitespace-separated tokens ('#' starts a comment to the end of the line): Up, Down,
// Left, Right, Enter, Space, Esc, one digit or capital letter, or vkN with N in 1..254. Each
// token answers one key wait; when they are used up the game is stopped at its next key wait.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "host/headless/headless.h"
#include "host/key_codes.h"
#include "host/platform.h"
#include "tools/reader/screen_reader.h"

namespace {

constexpr const char* kProgram = "brelvoxan-sim";
constexpr const char* kGlyphDir = "res/bmp";

std::optional<uint8_t> keyCodeOf(const std::string& token) {
  struct Named {
    const char* name;
    uint8_t code;
  };
  static constexpr Named kNamed[] = {{"Up", host::kVkUp},        {"Down", host::kVkDown},
                                     {"Left", host::kVkLeft},    {"Right", host::kVkRight},
                                     {"Enter", host::kVkReturn}, {"Space", host::kVkSpace},
                                     {"Esc", host::kVkEscape}};
  for (const Named& named : kNamed) {
    if (token == named.name) return named.code;
  }
  if (token.size() == 1 &&
      ((token[0] >= '0' && token[0] <= '9') || (token[0] >= 'A' && token[0] <= 'Z'))) {
    return static_cast<uint8_t>(token[0]);  // the virtual-key code of a digit or letter
  }
  // vkN: at most three decimal digits, so no overflow before the range check.
  if (token.size() >= 3 && token.size() <= 5 && token.compare(0, 2, "vk") == 0) {
    int value = 0;
    for (size_t i = 2; i < token.size(); ++i) {
      if (token[i] < '0' || token[i] > '9') return std::nullopt;
      value = value * 10 + (token[i] - '0');
    }
    if (value >= 1 && value <= 254) return static_cast<uint8_t>(value);
  }
  return std::nullopt;
}

// Parses the whole input; on an unknown token names it in *bad and returns nothing.
std::optional<std::vector<uint8_t>> parseKeys(std::istream& in, std::string* bad) {
  std::vector<uint8_t> keys;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string token;
    while (words >> token) {
      const std::optional<uint8_t> code = keyCodeOf(token);
      if (!code) {
        *bad = token;
        return std::nullopt;
      }
      keys.push_back(*code);
    }
  }
  return keys;
}

int fail(int status, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  namespace reader = brelvoxan::reader;
  namespace headless = host::headless;

  std::optional<std::string> pngPath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--png" && i + 1 < argc && !pngPath) {
      pngPath = argv[++i];
    } else if (arg == "--png") {
      return fail(2, pngPath ? "--png given twice" : "--png needs a file name");
    } else {
      return fail(2,
                  "unknown argument '" + arg + "' (usage: " + kProgram + " [--png FILE] < keys)");
    }
  }

  std::string bad;
  const std::optional<std::vector<uint8_t>> keys = parseKeys(std::cin, &bad);
  if (!keys) return fail(2, "unknown key token '" + bad + "'");

  const reader::GlyphSet glyphs = reader::GlyphSet::loadFromDirectory(kGlyphDir);
  if (!glyphs.hasDotPictures()) {
    return fail(1, std::string("cannot read the glyph pictures in ") + kGlyphDir +
                       " (run from the folder that holds res/)");
  }

  headless::reset();
  size_t next = 0;
  headless::setKeyFeeder([&keys, &next]() -> std::optional<uint8_t> {
    if (next < keys->size()) return (*keys)[next++];
    headless::requestStop();
    return std::nullopt;
  });
  brelvoxan::gameMain();  // returns when the feeder has stopped it at a key wait
  headless::setKeyFeeder(nullptr);

  const headless::Pixels& backBuffer = headless::backBuffer();
  if (pngPath && !reader::writePng(backBuffer, 0, 0, reader::kDisplayWidth, reader::kDisplayHeight,
                                   *pngPath)) {
    return fail(1, "cannot write " + *pngPath);
  }
  const std::string report = reader::formatScreen(reader::readScreen(backBuffer, glyphs)) +
                             "clock: " + std::to_string(headless::clockMs()) + "\n";
  std::fwrite(report.data(), 1, report.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
