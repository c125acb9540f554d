// The command lines of the game, the simulator and brelvoxan-engine, read by one reader: an
// option's value follows it as the next argument or after '='; an option given again replaces what
// it gave before (the last one holds); anything unknown is refused in one line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brelvoxan::cli {

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

// An option of one whole number in [low, high]; `what` as refusals name it ("a level").
OptionRule wholeNumberOption(std::string name, const std::string& what, uint64_t low,
                             uint64_t high);

// The options every program with a computer opponent takes: --level and --seed.
OptionRule levelOption();
OptionRule seedOption();
// The options of the programs that keep settings and results (the game and the simulator):
// --settings DIR, the folder they are kept in, and --reset-results.
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

// A whole number of at most 20 decimal digits within [low, high]; anything else (a sign, a space,
// an overflow) is refused.
std::optional<uint64_t> parseWholeNumber(const std::string& value, uint64_t low, uint64_t high);

}  // namespace brelvoxan::cli
