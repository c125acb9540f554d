// What happens before the first game: the command line and the search for the glyph files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "build_info.h"
#include "game/options.h"
#include "host/headless/headless.h"
#include "host/window_host.h"
#include "screen/character_screen.h"
#include "screen/dot_graphics.h"

namespace brelvoxan {
namespace {

namespace fs = std::filesystem;
namespace headless = host::headless;

// A valid 1-bit BMP of the given size, every pixel white.
std::string whiteBmp(uint32_t width, uint32_t height) {
  const uint32_t rowBytes = (width + 31) / 32 * 4;
  std::string bytes = "BM";
  auto put = [&bytes](uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes += static_cast<char>(value >> (8 * i));
  };
  put(62 + rowBytes * height, 4);
  put(0, 4);
  put(62, 4);  // pixel data after the headers and two colours
  put(40, 4);
  put(width, 4);
  put(height, 4);
  put(1, 2);
  put(1, 2);  // one bit per pixel
  put(0, 4);
  put(rowBytes * height, 4);
  put(0, 4);
  put(0, 4);
  put(2, 4);
  put(0, 4);
  put(0, 4);
  put(0x00FFFFFF, 4);  // black, white
  bytes.append(rowBytes * height, '\xFF');
  return bytes;
}

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
  EXPECT_EQ(parse({"--level=5"}).level, 5);
  EXPECT_EQ(parse({"--level", "2", "--seed=9", "--level", "4"}).level, 4);
  EXPECT_EQ(parse({"--seed", "18446744073709551615"}).seed, UINT64_MAX);
  EXPECT_FALSE(parse({"--level", "3"}).seed.has_value());
  EXPECT_FALSE(parse({}).level.has_value());  // the kept level, then
  EXPECT_EQ(parse({"--settings=/tmp/x", "--reset-results"}).settingsFolder, "/tmp/x");
  EXPECT_TRUE(parse({"--reset-results"}).resetResults);
  EXPECT_FALSE(parse({"--settings", "/tmp/x"}).resetResults);
  EXPECT_FALSE(parse({"--help", "--frobnicate"}).run);  // the help, not a refusal
  EXPECT_EQ(parse({"--help", "--frobnicate"}).exitCode, 0);

  const StartOptions help = parse({"--scale", "2", "--help"});
  EXPECT_FALSE(help.run);
  EXPECT_EQ(help.exitCode, 0);
  const std::string top = std::to_string(engine::kMaxLevel);
  for (const std::string& part :
       {std::string("--scale N\t"), std::string("Enter\t"), std::string("Ctrl+Q\tquit"),
        std::string("H\thint"), std::string("Ctrl+Z\ttake back"), std::string("Left/Right\t"),
        std::string("M\tmark"), std::string("--settings DIR\t"), std::string("--reset-results\t"),
        "1 to " + top + " (default: the level kept, else 1); ", "levels 2 to " + top + " among",
        std::string("res/bmp (below the current folder)\n"), std::string("/opt/game/res/bmp\n")}) {
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

TEST_F(GlyphSearch, TheFolderWithTheMostReadableGlyphsIsUsedTheEarlierAmongEquals) {
  const std::string empty = (root / "empty/res/bmp").string();
  const std::string partial = (root / "partial/res/bmp").string();
  const std::string full = (root / "full/res/bmp").string();
  // A stray partial folder first does not hide the complete set after it.
  GlyphLoad load = screen->loadGlyphsFrom({empty, partial, full});
  EXPECT_EQ(load.folder, 2);
  EXPECT_TRUE(load.unreadable.empty());
  EXPECT_EQ(present(), 256);
  EXPECT_TRUE(screen->glyphImages['A'].mirrorEnabled());
  EXPECT_EQ(load.readable, (std::vector<int>{0, 2, 256}));
  // Passing over a folder that has glyphs is said; passing over an empty one is not.
  EXPECT_EQ(glyphLoadMessage(load, {empty, partial, full}),
            "brelvoxan: the glyphs are read from " + full + ", which has the most readable ones");
  EXPECT_EQ(glyphLoadMessage(GlyphLoad{1, {}, {0, 256}}, {empty, full}), "");

  screen = std::make_unique<CharacterScreen>();
  fs::create_directories(root / "empty/res");
  fs::copy(root / "partial/res/bmp", root / "empty/res/bmp");
  load = screen->loadGlyphsFrom({partial, empty});
  EXPECT_EQ(load.folder, 0);
  EXPECT_EQ(present(), 2);
  EXPECT_EQ(screen->glyphPresent['A'], 1);
  EXPECT_FALSE(screen->glyphImages[0].mirrorEnabled());
  ASSERT_EQ(load.unreadable.size(), 254u);
  EXPECT_EQ(load.unreadable[0], 0);

  fs::remove_all(root / "empty/res/bmp");
  EXPECT_EQ(screen->loadGlyphsFrom({empty}).folder, -1);
  EXPECT_TRUE(headless::messages().empty());
}

TEST_F(GlyphSearch, UnreadableGlyphsAreCountedAndTheFirstFewNamedInOneLine) {
  const std::string partial = (root / "partial/res/bmp").string();
  const std::string full = (root / "full/res/bmp").string();
  // Broken dots and a broken blank: the board and the erasing of text would silently vanish.
  for (const char* name : {"000.bmp", "001.bmp", "032.bmp"}) {
    std::ofstream(root / "full/res/bmp" / name, std::ios::binary | std::ios::trunc) << "BM";
  }
  std::ofstream(root / "full/res/bmp/200.bmp", std::ios::binary | std::ios::trunc)
      << "\xFF\xD8\xFF";
  fs::remove(root / "full/res/bmp/255.bmp");
  fs::remove(root / "full/res/bmp/254.bmp");
  const GlyphLoad load = screen->loadGlyphsFrom({partial, full});
  EXPECT_EQ(load.folder, 1);
  EXPECT_EQ(load.unreadable, (std::vector<int>{0, 1, 32, 200, 254, 255}));
  EXPECT_EQ(present(), 250);
  EXPECT_EQ(screen->glyphPresent[32], 0);
  const std::string line = glyphLoadMessage(load, {partial, full});
  const std::string sep(1, host::kPathSeparator);
  EXPECT_EQ(line, "brelvoxan: 6 glyph files could not be read: " + full + sep + "000.bmp, " + full +
                      sep + "001.bmp, " + full + sep + "032.bmp, " + full + sep + "200.bmp, " +
                      full + sep + "254.bmp and 1 more; they show as blanks (" + full +
                      " has the most readable glyphs)");

  // In the first folder the folder goes unsaid; one file is a file.
  EXPECT_EQ(glyphLoadMessage(GlyphLoad{0, {7}, {255}}, {partial}),
            "brelvoxan: 1 glyph file could not be read: " + partial + sep +
                "007.bmp; they show as blanks");
}

TEST_F(GlyphSearch, APictureLargerThanItsCellIsCutToTheCellWhenLoaded) {
  const fs::path glyphs = root / "full/res/bmp";
  // A valid 64 x 64 white picture as a dot glyph and as a letter.
  const std::string big = whiteBmp(64, 64);
  std::ofstream(glyphs / "001.bmp", std::ios::binary | std::ios::trunc) << big;
  std::ofstream(glyphs / "066.bmp", std::ios::binary | std::ios::trunc) << big;
  EXPECT_EQ(screen->loadGlyphsFrom({glyphs.string()}).folder, 0);
  EXPECT_EQ(screen->glyphImages[1].bitmapWidth(), kDotWidth);
  EXPECT_EQ(screen->glyphImages[1].bitmapHeight(), kDotHeight);
  EXPECT_EQ(screen->glyphImages['B'].bitmapWidth(), kCellWidth);
  EXPECT_EQ(screen->glyphImages['B'].bitmapHeight(), kCellHeight);
  EXPECT_EQ(screen->glyphImages['A'].bitmapWidth(),
            kCellWidth);  // a glyph of its own size stays whole

  // Drawn, the letter covers its cell and nothing beside or below it.
  screen->locate(1, 1);
  screen->printText(Text("B"));
  const headless::Pixels& window = headless::window();
  EXPECT_EQ(window.at(kCellWidth, kCellHeight), 0x00FFFFFFu);
  EXPECT_EQ(window.at(2 * kCellWidth - 1, 2 * kCellHeight - 1), 0x00FFFFFFu);
  EXPECT_EQ(window.at(2 * kCellWidth, kCellHeight), 0u);
  EXPECT_EQ(window.at(kCellWidth, 2 * kCellHeight), 0u);
}

// Each folder's glyphs may cost a bounded decoding work, spent in code order: pictures beyond
// it show as blanks and are named with the unreadable ones, while the cheap glyphs after them
// still load. Here the bound is scaled down to three 35-byte GIFs of a 1024 x 1024 screen (a
// picture the system's readers make whole) and room for the game's own glyphs; those need less
// than a third of the real bound.
TEST_F(GlyphSearch, PicturesBeyondTheFoldersDecodingWorkShowAsBlanksAndAreNamed) {
  const fs::path glyphs = root / "full/res/bmp";
  const std::string folder = glyphs.string();
  EXPECT_EQ(screen->loadGlyphsFrom({folder}, host::kMaxTableDecodeWork / 3).unreadable.size(), 0u);

  const fs::path costly = fs::path(BRELVOXAN_SOURCE_DIR) / "fuzz/corpus/regress-big-screen.gif";
  for (const char* name : {"065.bmp", "066.bmp", "067.bmp", "068.bmp", "069.bmp", "070.bmp"}) {
    fs::copy_file(costly, glyphs / name, fs::copy_options::overwrite_existing);
  }
  const uint64_t costlyWork = 1024 * 1024 + fs::file_size(costly);
  screen = std::make_unique<CharacterScreen>();
  const GlyphLoad load = screen->loadGlyphsFrom({folder}, 3 * costlyWork + 1'000'000);
  EXPECT_EQ(load.unreadable, (std::vector<int>{'D', 'E', 'F'}));
  EXPECT_EQ(load.tooCostly, 3u);
  EXPECT_EQ(present(), 253);
  EXPECT_EQ(screen->glyphPresent['C'], 1);
  EXPECT_EQ(screen->glyphPresent['G'], 1);
  const std::string sep(1, host::kPathSeparator);
  EXPECT_EQ(glyphLoadMessage(load, {folder}),
            "brelvoxan: 3 glyph files could not be read: " + folder + sep + "068.bmp, " + folder +
                sep + "069.bmp, " + folder + sep +
                "070.bmp; they show as blanks (3 were too costly to decode after the ones "
                "before)");
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
