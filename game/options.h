// The command lines of the game and of the simulator, read by one parser: an option's value
// follows it as the next argument or after '='; an option given again replaces what it gave
// before; anything unknown is refused in one line. The game's options: --help, --version,
// --scale N, --level N, --seed N, --settings DIR and --reset-results. The help text separates terms from their descriptions with
// tabs (host/message_layout.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/opponent.h"

namespace brelvoxan {

inline constexpr int32_t kMinScale = 1;
inline constexpr int32_t kMaxScale = 4;

// One option: its name, how many values follow it (0, 1 or 2; a single value may also be
// written after '='), what they must be, as refusals say it, and for numbers their range.
struct OptionRule {
  std::string name;
  int valueCount = 0;
  std::string wants;   // "a level from 1 to 5"
  bool number = true;  // each value a whole number in [low, high]; else any text but ""
  uint64_t low = 0;
  uint64_t high = UINT64_MAX;
  bool endsLine = false;  // what follows it is not read (--help, --version)
};

// The options both programs take, with their texts built from the bounds.
OptionRule levelOption();
OptionRule seedOption();
OptionRule settingsOption();
OptionRule resetResultsOption();

// What a command line gave: each option's values, the last time it was given.
struct CommandLine {
  struct Given {
    std::string name;
    std::vector<std::string> values;
  };
  std::vector<Given> given;
  std::string refusal;  // one line naming what is wrong; empty when the line is accepted

  const Given* find(std::string_view name) const;
  bool has(std::string_view name) const { return find(name) != nullptr; }
  // The value of an option given with numbers: whole numbers already checked against its range.
  std::optional<uint64_t> number(std::string_view name, size_t index = 0) const;
};

// Reads `arguments` (without the program name) against `rules`.
CommandLine readCommandLine(const std::vector<std::string>& arguments,
                            const std::vector<OptionRule>& rules);

// The refusal of `value` for `rule`: "--level takes a level from 1 to 5, not '9'".
std::string refuseValue(const OptionRule& rule, const std::string& value);

// The argument as it may be shown in one line: control bytes and bytes beyond ASCII as '?', and
// at most a few dozen of them.
std::string printable(const std::string& argument);

struct StartOptions {
  bool run = true;               // false: show `message` and end with `exitCode`
  int exitCode = 0;              // 0 after --help or --version, 2 for a refused command line
  std::string message;           // the help or version text, or the one line of a refusal
  int32_t scale = kMinScale;     // window pixels per display pixel in each direction
  std::optional<int> level;      // the computer's level given, kMinLevel..kMaxLevel
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

// A whole number of at most 20 decimal digits within [low, high]; anything else (a sign, a space,
// an overflow) is refused.
std::optional<uint64_t> parseWholeNumber(const std::string& value, uint64_t low, uint64_t high);

// Reads the game's arguments after the program name. The help text lists `glyphFolders`, the
// folders the glyphs are looked for in, and names `settingsFolder`, where settings are kept.
StartOptions parseOptions(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& glyphFolders,
                          const std::string& settingsFolder = {});

}  // namespace brelvoxan
