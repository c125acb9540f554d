// The game program: reads the command line, then everything happens in the game's main
// procedure; the process ends when the window is closed.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/options.h"
#include "host/platform.h"
#include "screen/character_screen.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const brelvoxan::StartOptions options =
      brelvoxan::parseOptions(arguments, brelvoxan::glyphFolders(), host::settingsFolder());
  if (!options.run) {
    host::showMessage(options.message.c_str(), options.exitCode != 0);
    // Help or version text that did not reach standard output (a full disk, a closed pipe) is
    // a failure. Where there is no console nothing is buffered, and this finds nothing.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
      std::fputs("brelvoxan: cannot write to standard output\n", stderr);
      return 1;
    }
    return options.exitCode;
  }
  int32_t scale = options.scale;
  int32_t usableWidth = 0;
  int32_t usableHeight = 0;
  if (scale > 1 && host::usableClientArea(&usableWidth, &usableHeight)) {
    const brelvoxan::ScaleFit fit = brelvoxan::fitScale(scale, usableWidth, usableHeight);
    if (!fit.note.empty()) host::showMessage(fit.note.c_str(), true);
    scale = fit.scale;
  }
  host::setDisplayScale(scale);
  brelvoxan::Game game;
  brelvoxan::startFromKept(game, options.settingsFolder.value_or(host::settingsFolder()),
                           options.level, options.resetResults);
  // Without --seed, every run meets other choices among equally good moves.
  game.seed = options.seed.value_or(
      (static_cast<uint64_t>(std::random_device{}()) << 32) ^
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  brelvoxan::CharacterScreen screen;
  brelvoxan::gameMain(game, screen);
  return 0;
}
