#include "game/options.h"

#include "build_info.h"
#include "cli/command_line.h"
#include "engine/search.h"
#include "host/display_size.h"

namespace brelvoxan {

namespace {

constexpr const char* kProgramName = "brelvoxan";

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
std::string helpText(const std::vector<std::string>& glyphFolders,
                     const std::string& settingsFolder) {
  std::string text =
      "Usage: brelvoxan [--level N] [--seed N] [--scale N] [--settings DIR] [--reset-results]\n"
      "Reversi against the computer on the imitated screen of an old handheld computer.\n"
      "\n"
      "Keys:\n"
      "  1 or 2\ton the title screen: play Black (you move first) or White\n"
      "  Left/Right\ton the title screen: the computer's level (--level below)\n"
      "  arrow keys\tmove the cursor box\n"
      "  Enter\tplace a stone\n"
      "  H\thint: the cursor box moves to the strongest level's square\n"
      "  M\tmark the squares where you may move, or no longer\n"
      "  Ctrl+Z\ttake back your last move and the computer's reply\n"
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
      "\nThe level chosen on the title screen, the marks' setting and your wins, losses and\n"
      "draws at each level are kept between runs in " +
      (settingsFolder.empty() ? std::string("the folder given with --settings") : settingsFolder) +
      ".\n";
  const std::string top = std::to_string(engine::kMaxLevel);
  text += "\nOptions:\n  --level N\tthe computer's strength, " + std::to_string(engine::kMinLevel) +
          " to " + top + " (default: the level kept, else " +
          std::to_string(engine::kDefaultGameLevel) + "); " + top + " plays perfectly from about " +
          std::to_string(engine::levelSettings(engine::kMaxLevel).exactEmpties) +
          " empties\n  --seed N\trepeat the choices of levels " +
          std::to_string(engine::kMinSearchLevel) + " to " + top +
          " among equally good moves\n  --scale N\tshow each pixel as N x N pixels, N = " +
          std::to_string(kMinScale) + " (default) to " + std::to_string(kMaxScale) +
          " if it fits\n"
          "  --settings DIR\tkeep the level, the marks' setting and the results in DIR\n"
          "  --reset-results\tclear the results kept for every level\n"
          "  --help\tshow this text and exit\n"
          "  --version\tshow the version and exit\n";
  return text;
}

}  // namespace

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
                          const std::vector<std::string>& glyphFolders,
                          const std::string& settingsFolder) {
  const std::vector<cli::OptionRule> rules = {
      {"--help", 0, "", true, 0, 0, true},
      {"-h", 0, "", true, 0, 0, true},
      {"--version", 0, "", true, 0, 0, true},
      cli::wholeNumberOption("--scale", "a number", kMinScale, kMaxScale),
      cli::levelOption(),
      cli::seedOption(),
      cli::settingsOption(),
      cli::resetResultsOption()};
  const cli::CommandLine line = cli::readCommandLine(arguments, rules);
  if (!line.refusal.empty()) return refuse(line.refusal);
  if (line.has("--help") || line.has("-h")) {
    return finish(helpText(glyphFolders, line.has("--settings") ? line.find("--settings")->values[0]
                                                                : settingsFolder));
  }
  if (line.has("--version")) return finish(std::string(kProgramName) + " " + kVersion + "\n");
  StartOptions options;
  if (line.has("--scale")) options.scale = static_cast<int32_t>(*line.number("--scale"));
  if (line.has("--level")) options.level = static_cast<int>(*line.number("--level"));
  if (line.has("--settings")) options.settingsFolder = line.find("--settings")->values[0];
  options.resetResults = line.has("--reset-results");
  options.seed = line.number("--seed");
  return options;
}

}  // namespace brelvoxan
