// What the game keeps between runs: the level chosen on the title screen, whether the possible
// moves are marked, and the person's wins, losses and draws at each level. One small text file
// in a folder (host::settingsFolder or one given), read with a bound and replaced whole on every
// change. The file is untrusted: anything but a whole, well-formed file gives the defaults and
// one line saying so, and a file that cannot be written leaves the game playable with one line
// saying that nothing is kept.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/levels.h"

namespace brelvoxan {

// The file's name in its folder, and the most bytes read from it: a whole file is some 150.
inline constexpr const char* kKeptFileName = "settings.txt";
inline constexpr size_t kMaxKeptFileBytes = 4096;
// A count stops here, so that a line of results always fits the title screen.
inline constexpr uint32_t kMaxResultCount = 99999;

struct LevelResults {
  uint32_t wins = 0, losses = 0, draws = 0;
  bool any() const { return wins + losses + draws > 0; }
  bool operator==(const LevelResults&) const = default;
};

struct KeptSettings {
  int level = engine::kDefaultGameLevel;
  bool showMoves = false;
  std::array<LevelResults, engine::kMaxLevel> results{};  // level 1 first
  bool operator==(const KeptSettings&) const = default;
};

// The file's text: a first line naming it, one line a setting, one line a level with results,
// and a last line "end", so that a file cut short anywhere is told from a whole one.
std::string formatKeptSettings(const KeptSettings& settings);
// Nothing, with why in *why, for any text that is not a whole file as formatKeptSettings writes
// it (blank lines aside).
std::optional<KeptSettings> parseKeptSettings(std::string_view text, std::string* why);

enum class GameOutcome { kWin, kLoss, kDraw };

// The settings of one folder. Every change re-reads the file and changes it, so that two copies
// of the game running at once each add their own results; the last writer wins a setting.
class SettingsStore {
 public:
  // `folder` empty: nothing is read or kept, the settings are the defaults.
  explicit SettingsStore(std::string folder);

  // Reads the file. An empty, over-long, unreadable or malformed file gives the defaults and one
  // line (host::showMessage) naming the file and what is wrong. A missing one is a first run: it
  // gives the defaults without a word and is written at once, so that a folder that cannot be
  // written is told now.
  void load();

  const KeptSettings& settings() const { return settings_; }
  bool keeping() const { return !path_.empty(); }
  const std::string& path() const { return path_; }

  void setLevel(int level);
  void setShowMoves(bool on);
  void addResult(int level, GameOutcome outcome);
  void resetResults();

 private:
  template <typename Change>
  void change(const Change& apply);
  std::optional<KeptSettings> readFile(std::string* why) const;
  void write();

  std::string path_;
  KeptSettings settings_;
  bool toldNotKept_ = false;
};

}  // namespace brelvoxan
