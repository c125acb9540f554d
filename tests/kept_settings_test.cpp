// What the game keeps between runs: the file's text, the faults of a file that is not whole or
// not ours, writes that never leave part of a file, two copies writing at once, and what the
// title screen and the level make of it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "game/game.h"
#include "game/kept_settings.h"
#include "host/headless/headless.h"
#include "host/platform.h"
#include "tests/board_text.h"
#include "tests/game_harness.h"

namespace brelvoxan::testing {
namespace {

namespace fs = std::filesystem;
namespace headless = host::headless;

// A fresh folder of the test's own, removed afterwards.
class KeptFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() /
              ("brelvoxan-kept-" + std::to_string(::getpid()) + "-" + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    headless::reset();
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string folder() const { return folder_.string(); }
  fs::path file() const { return folder_ / kKeptFileName; }
  void writeFile(const std::string& text) const { std::ofstream(file(), std::ios::binary) << text; }
  std::string readFile() const {
    std::ifstream in(file(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Names in the folder other than the settings file (a temporary left behind).
  std::vector<std::string> strayFiles() const {
    std::vector<std::string> stray;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      if (entry.path().filename() != kKeptFileName) stray.push_back(entry.path().string());
    }
    return stray;
  }

  fs::path folder_;
};

KeptSettings sample() {
  KeptSettings s;
  s.level = 4;
  s.showMoves = true;
  s.results[0] = {12, 30, 2};
  s.results[4] = {0, kMaxResultCount, 1};
  return s;
}

TEST(KeptText, ReadsBackWhatIsWrittenAndRefusesEveryPartOfIt) {
  const std::string text = formatKeptSettings(sample());
  std::string why;
  ASSERT_EQ(parseKeptSettings(text, &why), sample()) << why;
  EXPECT_EQ(parseKeptSettings(formatKeptSettings({}), &why), KeptSettings{});
  // A file cut short anywhere, even just before its last newline, is not a file.
  for (size_t length = 0; length < text.size(); ++length) {
    EXPECT_FALSE(parseKeptSettings(text.substr(0, length), &why)) << length;
    EXPECT_FALSE(why.empty());
  }
}

TEST(KeptText, RefusesWhatIsNotAWholeFileOfOurs) {
  const std::string head = "brelvoxan-settings 1\n";
  const char* const bad[] = {
      "",
      "\n\n",
      "brelvoxan-settings 2\nend\n",
      "level 3\nend\n",
      "brelvoxan-settings 1\nlevel 3\n",       // no end
      "brelvoxan-settings 1\nlevel 9\nend\n",  // out of range
      "brelvoxan-settings 1\nlevel -1\nend\n",
      "brelvoxan-settings 1\nlevel 3 3\nend\n",
      "brelvoxan-settings 1\nshow-moves yes\nend\n",
      "brelvoxan-settings 1\nresults 6 1 1 1\nend\n",
      "brelvoxan-settings 1\nresults 1 1 1\nend\n",
      "brelvoxan-settings 1\nresults 1 1 1 100000\nend\n",  // beyond the largest count
      "brelvoxan-settings 1\nresults 1 1 1 99999999999999999999\nend\n",
      "brelvoxan-settings 1\ncolour red\nend\n",
      "brelvoxan-settings 1\nend\nlevel 2\n",  // after the end
      "brelvoxan-settings 1\nlevel\t3\nend\n",
  };
  for (const char* text : bad) {
    std::string why;
    EXPECT_FALSE(parseKeptSettings(text, &why)) << text;
    EXPECT_FALSE(why.empty()) << text;
  }
  std::string withNul = head + "level 3\nend\n";
  withNul[25] = '\0';
  EXPECT_FALSE(parseKeptSettings(withNul, nullptr));
  // Blank lines and Windows line ends are still the same file.
  EXPECT_EQ(parseKeptSettings("brelvoxan-settings 1\r\n\r\nlevel 2\r\nend\r\n\n", nullptr)->level,
            2);
}

TEST_F(KeptFolder, AFaultyFileGivesTheDefaultsAndOneLineAndAPlainTitle) {
  const std::string whole = formatKeptSettings(sample());
  const std::string faulty[] = {
      "",
      whole.substr(0, whole.size() / 2),
      std::string(kMaxKeptFileBytes + 1, '\n'),
      std::string("\x89PNG\r\n\x1a\n\0\0\0", 12),
      "brelvoxan-settings 1\nresults 1 99999999999 0 0\nend\n",
  };
  for (const std::string& text : faulty) {
    writeFile(text);
    headless::reset();
    Game game;
    startFromKept(game, folder(), std::nullopt, false);
    EXPECT_EQ(game.kept->settings(), KeptSettings{});
    EXPECT_EQ(game.level, engine::kDefaultGameLevel);
    ASSERT_EQ(headless::messages().size(), 1u) << text.size();
    const std::string& line = headless::messages()[0];
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_NE(line.find(file().string()), std::string::npos) << line;

    // The title is today's: a results row only appears once there is a result.
    ScriptedGame title;
    title.state.kept = game.kept;
    title.runFromStart();
    EXPECT_EQ(readDisplay().textRow(1), std::string(24, ' '));
    EXPECT_EQ(readDisplay().textRow(4), std::string(24, ' '));
  }
}

TEST_F(KeptFolder, TheFirstRunWritesTheDefaultsQuietlyAndLaterRunsKeepChanges) {
  fs::remove_all(folder_);
  Game first;
  startFromKept(first, (folder_ / "made" / "here").string(), std::nullopt, false);
  EXPECT_TRUE(headless::messages().empty());
  const fs::path here = folder_ / "made" / "here";
  ASSERT_TRUE(fs::exists(here / kKeptFileName));
  first.kept->setLevel(3);
  first.kept->setShowMoves(true);
  first.kept->addResult(3, GameOutcome::kWin);
  first.kept->addResult(3, GameOutcome::kDraw);
  Game second;
  startFromKept(second, here.string(), std::nullopt, false);
  EXPECT_EQ(second.level, 3);
  EXPECT_TRUE(second.showMoves);
  EXPECT_EQ(second.kept->settings().results[2], (LevelResults{1, 0, 1}));
  // Asked to, the results go and the rest stays.
  Game third;
  startFromKept(third, here.string(), std::nullopt, true);
  EXPECT_EQ(third.level, 3);
  EXPECT_FALSE(third.kept->settings().results[2].any());
  Game fourth;
  startFromKept(fourth, here.string(), std::nullopt, false);
  EXPECT_FALSE(fourth.kept->settings().results[2].any());
  EXPECT_TRUE(headless::messages().empty());
}

TEST_F(KeptFolder, TheLevelGivenOnTheCommandLineWinsForThatRun) {
  KeptSettings kept;
  kept.level = 2;
  writeFile(formatKeptSettings(kept));
  Game given;
  startFromKept(given, folder(), 5, false);
  EXPECT_EQ(given.level, 5);
  // The kept level stays for the runs without one.
  Game next;
  startFromKept(next, folder(), std::nullopt, false);
  EXPECT_EQ(next.level, 2);
}

TEST_F(KeptFolder, AWriteThatFailsLeavesTheOldFileWholeAndNothingBeside) {
  const std::string old = formatKeptSettings(sample());
  writeFile(old);
  std::string why;
  // The file size limit makes the disk "full" after a few bytes of the new file.
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string text = formatKeptSettings({});
  const bool written = host::replaceFile(file().string().c_str(),
                                         std::vector<uint8_t>(text.begin(), text.end()), &why);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(written);
  EXPECT_NE(why.find(file().string()), std::string::npos) << why;
  EXPECT_EQ(readFile(), old);
  EXPECT_TRUE(strayFiles().empty());

  // The game goes on, saying once that nothing is kept, however often it tries.
  const fs::path notAFolder = folder_ / "plain";
  std::ofstream(notAFolder) << "x";
  Game game;
  startFromKept(game, (notAFolder / "brelvoxan").string(), std::nullopt, false);
  game.kept->addResult(1, GameOutcome::kWin);
  game.kept->setLevel(2);
  ASSERT_EQ(headless::messages().size(), 1u);
  EXPECT_NE(headless::messages()[0].find("not kept"), std::string::npos);
  EXPECT_EQ(game.kept->settings().level, 2);
}

TEST_F(KeptFolder, TwoCopiesWritingAtOnceAlwaysLeaveAWholeFile) {
  SettingsStore a(folder());
  SettingsStore b(folder());
  a.load();
  b.load();
  std::atomic<bool> done{false};
  std::atomic<int> reads{0};
  std::thread reader([&] {
    while (!done.load()) {
      std::vector<uint8_t> bytes;
      if (host::readRegularFile(file().string().c_str(), kMaxKeptFileBytes, &bytes) ==
          host::FileRead::kRead) {
        std::string why;
        EXPECT_TRUE(parseKeptSettings(std::string(bytes.begin(), bytes.end()), &why)) << why;
        reads.fetch_add(1);
      }
    }
  });
  constexpr int kGames = 200;
  std::thread other([&] {
    for (int i = 0; i < kGames; ++i) b.addResult(2, GameOutcome::kLoss);
  });
  for (int i = 0; i < kGames; ++i) a.addResult(2, GameOutcome::kWin);
  other.join();
  done.store(true);
  reader.join();
  EXPECT_GT(reads.load(), 0);
  std::string why;
  const auto last = parseKeptSettings(readFile(), &why);
  ASSERT_TRUE(last) << why;
  // The last writer wins: a result the other added between its reading and its writing may be
  // lost, but the counts are still counts of these games.
  const uint32_t counted = last->results[1].wins + last->results[1].losses;
  EXPECT_GT(counted, 0u);
  EXPECT_LE(counted, static_cast<uint32_t>(2 * kGames));
  EXPECT_TRUE(strayFiles().empty());
  EXPECT_TRUE(headless::messages().empty());
}

TEST_F(KeptFolder, TheTitleShowsTheResultsOfTheLevelOnDisplay) {
  KeptSettings kept;
  kept.level = 1;
  kept.results[1] = {12, 30, 2};
  writeFile(formatKeptSettings(kept));
  struct Case {
    std::deque<int> keys;
    std::string row1;
  };
  const Case cases[] = {
      {{}, std::string(24, ' ')},
      {{kRight}, "      W 12 L 30 D 2     "},
      {{kRight, kRight}, std::string(24, ' ')},
      {{kRight, kRight, kLeft}, "      W 12 L 30 D 2     "},
  };
  for (const Case& c : cases) {
    writeFile(formatKeptSettings(kept));
    ScriptedGame game;
    startFromKept(game.state, folder(), std::nullopt, false);
    game.keys = c.keys;
    game.runFromStart();
    EXPECT_EQ(readDisplay().textRow(1), c.row1) << c.keys.size();
  }
  // The largest counts still fit the row; the level chosen last is kept.
  kept.results[1] = {kMaxResultCount, kMaxResultCount, kMaxResultCount};
  writeFile(formatKeptSettings(kept));
  ScriptedGame game;
  startFromKept(game.state, folder(), std::nullopt, false);
  game.keys = {kRight};
  game.runFromStart();
  EXPECT_EQ(readDisplay().textRow(1), " W 99999 L 99999 D 99999");
  EXPECT_EQ(parseKeptSettings(readFile(), nullptr)->level, 2);
}

// Plays the last legal square at every turn, to the result and back to the title.
void playToTheTitle(ScriptedGame& game) {
  game.keys = {kKey1};
  bool ended = false;
  game.refill = [&ended](ScriptedGame& g) {
    if (ended) return;
    const reader::Screen s = readDisplay();
    const std::string message = s.textRow(1).substr(9);
    if (s.textRow(2).substr(9).starts_with("HIT ANY KEY")) {
      g.keys.push_back(kSpace);
    } else if (message.starts_with("YOU") || message.starts_with("DRAW")) {
      ended = true;
      g.keys.push_back(kSpace);
    } else {
      const auto [x, y] = lastLegalSquare(g.state.board, g.state.humanSide);
      g.playSquare(g.state.drawnCursorX, g.state.drawnCursorY, x, y);
    }
  };
  game.runFromStart();
}

TEST_F(KeptFolder, AFinishedGameCountsAtItsLevelAndShowsOnTheTitle) {
  ScriptedGame game;
  startFromKept(game.state, folder(), 2, false);
  playToTheTitle(game);
  const LevelResults r = parseKeptSettings(readFile(), nullptr)->results[1];
  EXPECT_EQ(r.wins + r.losses + r.draws, 1u);
  EXPECT_EQ(game.state.kept->settings().results[0], LevelResults{});
  EXPECT_TRUE(readDisplay().textRow(1).starts_with("      W ")) << readDisplay().textRow(1);
  // Kept nowhere (the simulator without a folder): the title stays as it was.
  ScriptedGame unkept;
  startFromKept(unkept.state, "", 2, false);
  playToTheTitle(unkept);
  EXPECT_EQ(readDisplay().textRow(0), "  BRELVOXAN V1.0        ");
  EXPECT_EQ(readDisplay().textRow(1), std::string(24, ' '));
}

}  // namespace
}  // namespace brelvoxan::testing
