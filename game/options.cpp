#include "game/options.h"

#include "build_info.h"
#include "game/opponent.h"
#include "host/display_size.h"

namespace brelvoxan {

namespace {

constexpr const char* kProgramName = "brelvoxan";
// An argument is echoed back at most this long, so a refusal stays one readable line.
constexpr size_t kMaxEchoLength = 40;

// The argument as it may be printed: control bytes and bytes beyond ASCII become '?'.
std::string printable(const std::string& argument) {
  std::string shown;
  for (const char c : argument.substr(0, kMaxEchoLength)) {
    const auto byte = static_cast<unsigned char>(c);
    shown += (byte >= 0x20 && byte < 0x7F) ? c : '?';
  }
  if (argument.size() > kMaxEchoLength) shown += "...";
  return shown;
}

StartOptions refuse(const std::string& why) {
  StartOptions options;
  options.run = false;
  options.exitCode = 2;
  options.message = std::string(kProgramName) + ": " + why + " (try '" + kProgramName + " --help')";
  return options;
}

StartOptions finish(std::string text) {
  StartOptions options;
  options.run = false;
  options.message = std::move(text);
  return options;
}

// A tab separates a term from its description; the platform lines the descriptions up for a
// console or a message box (host/message_layout.h).
std::string helpText(const std::vector<std::string>& glyphFolders) {
  std::string text =
      "Usage: brelvoxan [--level N] [--seed N] [--scale N]\n"
      "Reversi against the computer on the imitated screen of an old handheld computer.\n"
      "\n"
      "Keys:\n"
      "  1 or 2\ton the title screen: play Black (you move first) or White\n"
      "  arrow keys\tmove the cursor box\n"
      "  Enter\tplace a stone\n"
      "  any key\tgo on after a pass or after the result\n"
      "  Ctrl+Q\tquit, as closing the window does\n"
      "\n"
      "The glyphs are read from the one of these folders that holds the most readable ones\n"
      "(the earlier among equals):\n";
  for (const std::string& folder : glyphFolders) {
    const bool relative = !folder.empty() && folder[0] != '/' && folder[0] != '\\' &&
                          (folder.size() < 2 || folder[1] != ':');
    text += "  " + folder + (relative ? " (below the current folder)\n" : "\n");
  }
  text +=
      "\n"
      "Options:\n"
      "  --level N\tthe computer's strength, 1 (default) to 5; 5 is perfect from 18 empties\n"
      "  --seed N\trepeat the choices of levels 2 to 5 among equally good moves\n"
      "  --scale N\tshow each pixel as N x N pixels, N = 1 (default) to 4 if it fits\n"
      "  --help\tshow this text and exit\n"
      "  --version\tshow the version and exit\n";
  return text;
}

// A whole number 1..4 written as one digit; anything else is refused.
bool parseScale(const std::string& value, int32_t* scale) {
  if (value.size() != 1 || value[0] < '0' + kMinScale || value[0] > '0' + kMaxScale) return false;
  *scale = value[0] - '0';
  return true;
}

}  // namespace

std::optional<uint64_t> parseWholeNumber(const std::string& value, uint64_t low, uint64_t high) {
  if (value.empty() || value.size() > 20) return std::nullopt;
  uint64_t n = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<uint64_t>(c - '0');
    if (n > (UINT64_MAX - digit) / 10) return std::nullopt;
    n = n * 10 + digit;
  }
  if (n < low || n > high) return std::nullopt;
  return n;
}

ScaleFit fitScale(int32_t wanted, int32_t usableWidth, int32_t usableHeight) {
  ScaleFit fit{wanted, {}};
  while (fit.scale > kMinScale && (host::kClientWidth * fit.scale > usableWidth ||
                                   host::kClientHeight * fit.scale > usableHeight)) {
    --fit.scale;
  }
  if (fit.scale < wanted) {
    fit.note = std::string(kProgramName) + ": --scale " + std::to_string(wanted) + " needs a " +
               std::to_string(host::kClientWidth * wanted) + " x " +
               std::to_string(host::kClientHeight * wanted) + " window, the screen has room for " +
               std::to_string(usableWidth) + " x " + std::to_string(usableHeight) +
               "; using --scale " + std::to_string(fit.scale);
  }
  return fit;
}

StartOptions parseOptions(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& glyphFolders) {
  StartOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") return finish(helpText(glyphFolders));
    if (argument == "--version") {
      return finish(std::string(kProgramName) + " " + kVersion + "\n");
    }
    // Each option with a value takes it as the next argument or after '='.
    struct ValueOption {
      const char* name;
      const char* wants;
    };
    static constexpr ValueOption kValueOptions[] = {
        {"--scale", "a number from 1 to 4"},
        {"--level", "a level from 1 to 5"},
        {"--seed", "a whole number from 0 to 18446744073709551615"},
    };
    const ValueOption* option = nullptr;
    std::string value;
    for (const ValueOption& candidate : kValueOptions) {
      const std::string name = candidate.name;
      if (argument == name) {
        if (i + 1 == arguments.size()) return refuse(name + " needs " + candidate.wants);
        option = &candidate;
        value = arguments[++i];
      } else if (argument.rfind(name + "=", 0) == 0) {
        option = &candidate;
        value = argument.substr(name.size() + 1);
      }
    }
    if (option == nullptr) {
      if (!argument.empty() && argument[0] == '-') {
        return refuse("unknown option '" + printable(argument) + "'");
      }
      return refuse("unexpected argument '" + printable(argument) + "'");
    }
    const std::string name = option->name;
    bool valid = false;
    if (name == "--scale") {
      valid = parseScale(value, &options.scale);
    } else if (name == "--level") {
      const std::optional<uint64_t> level = parseWholeNumber(value, kMinLevel, kMaxLevel);
      if (level) options.level = static_cast<int>(*level);
      valid = level.has_value();
    } else {
      options.seed = parseWholeNumber(value, 0, UINT64_MAX);
      valid = options.seed.has_value();
    }
    if (!valid) {
      return refuse(name + " takes " + option->wants + ", not '" + printable(value) + "'");
    }
  }
  return options;
}

}  // namespace brelvoxan
