// brelvoxan-geometry sh|js: writes the display's geometry, the window title and the computer's
// levels, as the game itself has them, for the scripts (shell variables) or the page (a
// JavaScript constant). The build runs it to make geometry.sh and geometry.js, so no script or
// page file repeats a size or a level.
#include <cstdio>
#include <cstring>

#include "engine/levels.h"
#include "host/display_size.h"
#include "host/window_host.h"

namespace {

struct Value {
  const char* shellName;
  const char* scriptName;
  int value;
};

constexpr Value kValues[] = {
    {"TEXT_COLUMNS", "textColumns", host::kTextColumns},
    {"TEXT_ROWS", "textRows", host::kTextRows},
    {"CELL_WIDTH", "cellWidth", host::kCellWidth},
    {"CELL_HEIGHT", "cellHeight", host::kCellHeight},
    {"DOT_WIDTH", "dotWidth", host::kDotWidth},
    {"DOT_HEIGHT", "dotHeight", host::kDotHeight},
    {"CLIENT_WIDTH", "clientWidth", host::kClientWidth},
    {"CLIENT_HEIGHT", "clientHeight", host::kClientHeight},
    {"WINDOW_WIDTH", "windowWidth", host::kWindowWidth},
    {"WINDOW_HEIGHT", "windowHeight", host::kWindowHeight},
    {"BOARD_WIDTH", "boardWidth", host::kBoardWidth},
    {"MIN_LEVEL", "minLevel", brelvoxan::engine::kMinLevel},
    {"MAX_LEVEL", "maxLevel", brelvoxan::engine::kMaxLevel},
    {"DEFAULT_LEVEL", "defaultLevel", brelvoxan::engine::kDefaultGameLevel},
};

}  // namespace

int main(int argc, char** argv) {
  const bool shell = argc == 2 && std::strcmp(argv[1], "sh") == 0;
  const bool script = argc == 2 && std::strcmp(argv[1], "js") == 0;
  if (!shell && !script) {
    std::fputs("usage: brelvoxan-geometry sh|js\n", stderr);
    return 2;
  }
  if (shell) {
    std::puts("# The display's geometry, the window title and the levels; written by the build.");
    std::printf("BRELVOXAN_TITLE='%s'\n", host::kGameTitle);
    for (const Value& v : kValues) std::printf("BRELVOXAN_%s=%d\n", v.shellName, v.value);
  } else {
    std::puts("// The display's geometry, the window title and the levels; written by the build.");
    std::printf("var brelvoxanGeometry = Object.freeze({\n  title: \"%s\",\n", host::kGameTitle);
    for (const Value& v : kValues) std::printf("  %s: %d,\n", v.scriptName, v.value);
    std::puts("});");
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
