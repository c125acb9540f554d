// The game's command line, read by the programs' shared reader (cli/command_line.h): --help,
// --version, --scale N, --level N, --seed N, --settings DIR and --reset-results. The help text
// separates terms from their descriptions with tabs (host/message_layout.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/levels.h"

namespace brelvoxan {

inline constexpr int32_t kMinScale = 1;
inline constexpr int32_t kMaxScale = 4;

struct StartOptions {
  bool run = true;            // false: show `message` and end with `exitCode`
  int exitCode = 0;           // 0 after --help or --version, 2 for a refused command line
  std::string message;        // the help or version text, or the one line of a refusal
  int32_t scale = kMinScale;  // window pixels per display pixel in each direction
  std::optional<int> level;   // the computer's level given (engine/levels.h)
  // The folder given with --settings instead of the platform's usual place, and whether
  // --reset-results asked to clear the kept results.
  std::optional<std::string> settingsFolder;
  bool resetResults = false;
  std::optional<uint64_t> seed;  // the seed of the computer's choices; none: a new one each run
};

// The scale that is used: the wanted one, or the largest below it whose window fits a client
// area of usableWidth x usableHeight pixels (never below 1); `note` is one line saying so when
// the scale was lowered, empty otherwise.
struct ScaleFit {
  int32_t scale = 1;
  std::string note;
};
ScaleFit fitScale(int32_t wanted, int32_t usableWidth, int32_t usableHeight);

// Reads the game's arguments after the program name. The help text lists `glyphFolders`, the
// folders the glyphs are looked for in, and names `settingsFolder`, where settings are kept.
StartOptions parseOptions(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& glyphFolders,
                          const std::string& settingsFolder = {});

}  // namespace brelvoxan
