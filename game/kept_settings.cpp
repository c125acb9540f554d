#include "game/kept_settings.h"

#include <charconv>
#include <vector>

#include "host/platform.h"

namespace brelvoxan {

namespace {

constexpr std::string_view kFirstLine = "brelvoxan-settings 1";
constexpr std::string_view kLastLine = "end";
constexpr const char* kProgramName = "brelvoxan";

// The whitespace-separated words of a line; a line of more than a few is malformed anyway.
std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> found;
  size_t at = 0;
  while (at < line.size() && found.size() <= 6) {
    while (at < line.size() && line[at] == ' ') ++at;
    const size_t end = line.find(' ', at);
    const size_t stop = end == std::string_view::npos ? line.size() : end;
    if (stop > at) found.push_back(line.substr(at, stop - at));
    at = stop;
  }
  return found;
}

std::optional<uint32_t> count(std::string_view word, uint32_t low, uint32_t high) {
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc{} || end != word.data() + word.size() || word.size() > 6 || value < low ||
      value > high) {
    return std::nullopt;
  }
  return value;
}

bool fail(std::string* why, size_t lineNumber, const std::string& what) {
  if (why != nullptr) *why = "line " + std::to_string(lineNumber) + ": " + what;
  return false;
}

// Applies one line of the body to `settings`; false (and why) when it is not a setting.
bool readLine(std::string_view line, size_t lineNumber, KeptSettings* settings, std::string* why) {
  const std::vector<std::string_view> w = words(line);
  if (w.size() == 2 && w[0] == "level") {
    const auto level = count(w[1], engine::kMinLevel, engine::kMaxLevel);
    if (!level) return fail(why, lineNumber, "not a level");
    settings->level = static_cast<int>(*level);
    return true;
  }
  if (w.size() == 2 && w[0] == "show-moves" && (w[1] == "on" || w[1] == "off")) {
    settings->showMoves = w[1] == "on";
    return true;
  }
  if (w.size() == 5 && w[0] == "results") {
    const auto level = count(w[1], engine::kMinLevel, engine::kMaxLevel);
    const auto wins = count(w[2], 0, kMaxResultCount);
    const auto losses = count(w[3], 0, kMaxResultCount);
    const auto draws = count(w[4], 0, kMaxResultCount);
    if (!level || !wins || !losses || !draws) return fail(why, lineNumber, "bad results");
    settings->results[*level - 1] = {*wins, *losses, *draws};
    return true;
  }
  return fail(why, lineNumber, "not a setting");
}

}  // namespace

std::string formatKeptSettings(const KeptSettings& settings) {
  std::string text = std::string(kFirstLine) + "\n";
  text += "level " + std::to_string(settings.level) + "\n";
  text += std::string("show-moves ") + (settings.showMoves ? "on" : "off") + "\n";
  for (int level = engine::kMinLevel; level <= engine::kMaxLevel; ++level) {
    const LevelResults& r = settings.results[static_cast<size_t>(level - 1)];
    if (!r.any()) continue;
    text += "results " + std::to_string(level) + " " + std::to_string(r.wins) + " " +
            std::to_string(r.losses) + " " + std::to_string(r.draws) + "\n";
  }
  return text + std::string(kLastLine) + "\n";
}

std::optional<KeptSettings> parseKeptSettings(std::string_view text, std::string* why) {
  if (text.empty()) {
    if (why != nullptr) *why = "the file is empty";
    return std::nullopt;
  }
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\n' && c != '\r') || byte >= 0x7F) {
      if (why != nullptr) *why = "not a text file";
      return std::nullopt;
    }
  }
  KeptSettings settings;
  bool first = true;
  bool ended = false;
  size_t lineNumber = 0;
  size_t at = 0;
  while (at < text.size()) {
    const size_t newline = text.find('\n', at);
    if (newline == std::string_view::npos) {
      if (why != nullptr) *why = "cut short";
      return std::nullopt;
    }
    std::string_view line = text.substr(at, newline - at);
    at = newline + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(' ') == std::string_view::npos) continue;
    if (ended) {
      fail(why, lineNumber, "text after the end");
      return std::nullopt;
    }
    if (first) {
      if (line != kFirstLine) {
        fail(why, lineNumber, "not a Brelvoxan settings file");
        return std::nullopt;
      }
      first = false;
    } else if (line == kLastLine) {
      ended = true;
    } else if (!readLine(line, lineNumber, &settings, why)) {
      return std::nullopt;
    }
  }
  if (!ended) {
    if (why != nullptr) *why = first ? "the file is empty" : "cut short";
    return std::nullopt;
  }
  return settings;
}

SettingsStore::SettingsStore(std::string folder) {
  if (folder.empty()) return;
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == host::kPathSeparator)) {
    folder.pop_back();
  }
  path_ = folder + host::kPathSeparator + kKeptFileName;
}

std::optional<KeptSettings> SettingsStore::readFile(std::string* why) const {
  std::vector<uint8_t> bytes;
  switch (host::readRegularFile(path_.c_str(), kMaxKeptFileBytes, &bytes)) {
    case host::FileRead::kRead:
      return parseKeptSettings(
          std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), why);
    case host::FileRead::kNotOpened:
      *why = "";  // missing: the first run
      return std::nullopt;
    case host::FileRead::kTooLarge:
      *why = "larger than " + std::to_string(kMaxKeptFileBytes) + " bytes";
      return std::nullopt;
    case host::FileRead::kFailed:
      break;
  }
  *why = "cannot be read";
  return std::nullopt;
}

void SettingsStore::load() {
  if (!keeping()) return;
  std::string why;
  const std::optional<KeptSettings> read = readFile(&why);
  if (read) {
    settings_ = *read;
    return;
  }
  settings_ = KeptSettings{};
  if (why.empty()) {
    write();  // the first run: made now, so that a folder that cannot be written is told now
    return;
  }
  const std::string line = std::string(kProgramName) + ": " + path_ + ": " + why +
                           "; starting with the default settings and no results";
  host::showMessage(line.c_str(), true);
}

template <typename Change>
void SettingsStore::change(const Change& apply) {
  if (!keeping()) return;  // the defaults stay, and the title shows no results
  // Another copy of the game may have written since: its results count too.
  std::string why;
  const std::optional<KeptSettings> read = readFile(&why);
  if (read) settings_ = *read;
  apply(settings_);
  write();
}

void SettingsStore::write() {
  const std::string text = formatKeptSettings(settings_);
  std::string why;
  if (host::replaceFile(path_.c_str(), std::vector<uint8_t>(text.begin(), text.end()), &why)) {
    return;
  }
  // Said once: the game goes on, and keeps trying at each change (a disk may have room again).
  if (toldNotKept_) return;
  toldNotKept_ = true;
  const std::string line =
      std::string(kProgramName) + ": settings and results are not kept (" + why + ")";
  host::showMessage(line.c_str(), true);
}

void SettingsStore::setLevel(int level) {
  change([level](KeptSettings& s) { s.level = level; });
}

void SettingsStore::setShowMoves(bool on) {
  change([on](KeptSettings& s) { s.showMoves = on; });
}

void SettingsStore::addResult(int level, GameOutcome outcome) {
  if (level < engine::kMinLevel || level > engine::kMaxLevel) return;
  change([level, outcome](KeptSettings& s) {
    LevelResults& r = s.results[static_cast<size_t>(level - 1)];
    uint32_t& n = outcome == GameOutcome::kWin    ? r.wins
                  : outcome == GameOutcome::kLoss ? r.losses
                                                  : r.draws;
    if (n < kMaxResultCount) ++n;
  });
}

void SettingsStore::resetResults() {
  change([](KeptSettings& s) { s.results = {}; });
}

}  // namespace brelvoxan
