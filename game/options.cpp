#include "game/options.h"

#include "build_info.h"

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

std::string helpText(const std::vector<std::string>& glyphFolders) {
  std::string text =
      "Usage: brelvoxan [--scale N]\n"
      "Reversi against the computer on the imitated screen of an old handheld computer.\n"
      "\n"
      "Keys:\n"
      "  1 or 2       on the title screen: play Black (you move first) or White\n"
      "  arrow keys   move the cursor box\n"
      "  Enter        place a stone\n"
      "  any key      go on after a pass or after the result\n"
      "Close the window to quit.\n"
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
      "  --scale N    show every pixel of the display as N x N pixels, N = 1 to 4 (default 1)\n"
      "  --help       show this text and exit\n"
      "  --version    show the version and exit\n";
  return text;
}

// A whole number 1..4 written as one digit; anything else is refused.
bool parseScale(const std::string& value, int32_t* scale) {
  if (value.size() != 1 || value[0] < '0' + kMinScale || value[0] > '0' + kMaxScale) return false;
  *scale = value[0] - '0';
  return true;
}

}  // namespace

StartOptions parseOptions(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& glyphFolders) {
  StartOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") return finish(helpText(glyphFolders));
    if (argument == "--version") {
      return finish(std::string(kProgramName) + " " + kVersion + "\n");
    }
    std::string value;
    if (argument == "--scale") {
      if (i + 1 == arguments.size()) return refuse("--scale needs a number from 1 to 4");
      value = arguments[++i];
    } else if (argument.rfind("--scale=", 0) == 0) {
      value = argument.substr(8);
    } else if (!argument.empty() && argument[0] == '-') {
      return refuse("unknown option '" + printable(argument) + "'");
    } else {
      return refuse("unexpected argument '" + printable(argument) + "'");
    }
    if (!parseScale(value, &options.scale)) {
      return refuse("--scale takes a number from 1 to 4, not '" + printable(value) + "'");
    }
  }
  return options;
}

}  // namespace brelvoxan
