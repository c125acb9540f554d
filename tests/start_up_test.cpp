// What happens before the first game: the command line and the search for the glyph files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "build_info.h"
#include "game/options.h"
#include "host/headless/headless.h"
#include "host/window_host.h"
#include "screen/character_screen.h"

namespace brelvoxan {
namespace {

namespace fs = std::filesystem;
namespace headless = host::headless;

StartOptions parse(std::vector<std::string> arguments) {
  return parseOptions(arguments, {"res/bmp", "/opt/game/res/bmp"});
}

TEST(Options, AcceptedCommandLines) {
  const StartOptions none = parse({});
  EXPECT_TRUE(none.run);
  EXPECT_EQ(none.scale, 1);
  EXPECT_EQ(parse({"--scale", "3"}).scale, 3);
  EXPECT_EQ(parse({"--scale=4"}).scale, 4);
  EXPECT_EQ(parse({"--scale", "2", "--scale", "1"}).scale, 1);

  const StartOptions help = parse({"--scale", "2", "--help"});
  EXPECT_FALSE(help.run);
  EXPECT_EQ(help.exitCode, 0);
  for (const char* part : {"--scale N\t", "Enter\t", "Ctrl+Q\tquit",
                           "res/bmp (below the current folder)\n", "/opt/game/res/bmp\n"}) {
    EXPECT_NE(help.message.find(part), std::string::npos) << part;
  }
  const StartOptions version = parse({"--version"});
  EXPECT_FALSE(version.run);
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.message, std::string("brelvoxan ") + kVersion + "\n");
}

TEST(Options, RefusedCommandLinesGiveOneLineAndCodeTwo) {
  const std::vector<std::vector<std::string>> refused = {
      {"--frobnicate"}, {"-x"},           {"game.txt"},          {"--scale"},
      {"--scale", "0"}, {"--scale", "5"}, {"--scale", "2x"},     {"--scale=-1"},
      {"--scale="},     {"--scale", ""},  {"--scale", "1", "x"}, {"--help=1"},
  };
  for (const auto& arguments : refused) {
    const StartOptions options = parse(arguments);
    EXPECT_FALSE(options.run) << arguments.back();
    EXPECT_EQ(options.exitCode, 2) << arguments.back();
    EXPECT_EQ(options.message.find('\n'), std::string::npos) << options.message;
    EXPECT_EQ(options.message.rfind("brelvoxan: ", 0), 0u) << options.message;
  }
  // Whatever comes in, what goes out is one short line of plain characters.
  const std::string shown = parse({"--\x1b[2J\n" + std::string(500, 'a')}).message;
  EXPECT_EQ(shown.find('\x1b'), std::string::npos);
  EXPECT_EQ(shown.find('\n'), std::string::npos);
  EXPECT_LT(shown.size(), 120u);
}

TEST(Options, ScaleIsLoweredToWhatTheScreenHasRoomFor) {
  // Room to spare, and an exact fit: kept, nothing said.
  EXPECT_EQ(fitScale(3, 2560, 1400).scale, 3);
  EXPECT_TRUE(fitScale(3, 2560, 1400).note.empty());
  EXPECT_EQ(fitScale(2, 1440, 576).scale, 2);
  EXPECT_TRUE(fitScale(2, 1440, 576).note.empty());
  // One pixel short in either direction lowers it.
  EXPECT_EQ(fitScale(2, 1439, 576).scale, 1);
  EXPECT_EQ(fitScale(2, 1440, 575).scale, 1);
  // A 1920 x 1040 work area takes --scale 2 at most.
  const ScaleFit fit = fitScale(4, 1920, 1040);
  EXPECT_EQ(fit.scale, 2);
  EXPECT_EQ(fit.note.rfind("brelvoxan: --scale 4 ", 0), 0u) << fit.note;
  EXPECT_NE(fit.note.find("1920 x 1040"), std::string::npos) << fit.note;
  EXPECT_NE(fit.note.find("using --scale 2"), std::string::npos) << fit.note;
  EXPECT_EQ(fit.note.find('\n'), std::string::npos) << fit.note;
  // Never below 1, however small the screen.
  EXPECT_EQ(fitScale(3, 640, 200).scale, 1);
  EXPECT_EQ(fitScale(3, 0, 0).scale, 1);
}

class GlyphSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    // One folder per test: CTest runs the tests of this file side by side.
    root = fs::path(BRELVOXAN_BINARY_DIR) / "glyph_search" /
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(root);
    for (const char* folder : {"empty", "partial/res/bmp", "full/res/bmp", "elsewhere"}) {
      fs::create_directories(root / folder);
    }
    const fs::path glyphs = fs::path(BRELVOXAN_SOURCE_DIR) / "res/bmp";
    for (const char* file : {"032.bmp", "065.bmp"}) {
      fs::copy_file(glyphs / file, root / "partial/res/bmp" / file);
    }
    fs::copy(glyphs, root / "full/res/bmp");
    startDir = fs::current_path();
    headless::reset();
    host::startPromptWindow();
    screen = std::make_unique<CharacterScreen>();
  }
  void TearDown() override {
    fs::current_path(startDir);
    headless::reset();
    fs::remove_all(root);
  }
  int present() const {
    int count = 0;
    for (const uint8_t flag : screen->glyphPresent) count += flag;
    return count;
  }
  std::unique_ptr<CharacterScreen> screen;
  fs::path root;
  fs::path startDir;
};

TEST_F(GlyphSearch, TheFirstFolderWithAnyGlyphIsTheOneUsed) {
  const std::string empty = (root / "empty/res/bmp").string();
  const std::string partial = (root / "partial/res/bmp").string();
  const std::string full = (root / "full/res/bmp").string();
  EXPECT_EQ(screen->loadGlyphsFrom({empty, partial, full}), 1);
  EXPECT_EQ(present(), 2);
  EXPECT_EQ(screen->glyphPresent['A'], 1);
  EXPECT_EQ(screen->loadGlyphsFrom({empty}), -1);
  EXPECT_TRUE(headless::messages().empty());
}

TEST_F(GlyphSearch, AnotherCurrentFolderFallsBackToTheProgramFolder) {
  fs::current_path(root / "elsewhere");
  headless::setProgramFolder((root / "full").string());
  const std::vector<std::string> folders = glyphFolders();
  ASSERT_GE(folders.size(), 2u);
  EXPECT_EQ(folders[0], "res/bmp");
  EXPECT_EQ(folders[1], (root / "full/res/bmp").string());
  EXPECT_EQ(folders.back(), std::string(kInstalledDataFolder) + "/res/bmp");
  screen->loadGlyphs();
  EXPECT_EQ(present(), 256);
  EXPECT_TRUE(headless::messages().empty());

  if (fs::exists(fs::path(kInstalledDataFolder) / "res/bmp/032.bmp")) {
    GTEST_SKIP() << "an installed game's glyphs are in " << kInstalledDataFolder;
  }
  screen = std::make_unique<CharacterScreen>();
  headless::setProgramFolder((root / "empty").string());
  screen->loadGlyphs();
  EXPECT_EQ(present(), 0);
  ASSERT_EQ(headless::messages().size(), 1u);
  const std::string& line = headless::messages()[0];
  EXPECT_EQ(line.find('\n'), std::string::npos);
  for (const std::string& folder : glyphFolders()) {
    EXPECT_NE(line.find(folder), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace brelvoxan
