// The manual pages offer the levels the programs offer, and describe the engine's settings as
// they are.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "engine/levels.h"
#include "engine/search.h"

namespace brelvoxan::engine {
namespace {

std::string readPage(const std::string& name) {
  std::ifstream in(std::string(BRELVOXAN_SOURCE_DIR) + "/packaging/" + name);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The paragraph of the option `--level`: from its tag to the next one.
std::string levelParagraph(const std::string& page) {
  const size_t at = page.find(".BI \\-\\-level");
  if (at == std::string::npos) return {};
  return page.substr(at, page.find(".TP", at) - at);
}

// "a, b, c and d" of one number per searching level.
template <typename Of>
std::string perLevel(Of of) {
  std::string text;
  for (int level = kMinSearchLevel; level <= kMaxLevel; ++level) {
    if (level > kMinSearchLevel) text += level == kMaxLevel ? " and " : ", ";
    text += std::to_string(of(level));
  }
  return text;
}

TEST(Levels, TheManualPagesOfferEveryLevelAndTheDefaults) {
  const std::string range =
      "from " + std::to_string(kMinLevel) + " to " + std::to_string(kMaxLevel);
  const std::string game = levelParagraph(readPage("brelvoxan.6.in"));
  const std::string engine = levelParagraph(readPage("brelvoxan-engine.6.in"));
  ASSERT_FALSE(game.empty());
  ASSERT_FALSE(engine.empty());
  // The page's words may break across lines.
  const auto flat = [](std::string text) {
    for (char& c : text) c = c == '\n' ? ' ' : c;
    return text;
  };
  EXPECT_NE(flat(game).find(range + " (default " + std::to_string(kDefaultGameLevel) + ")"),
            std::string::npos)
      << game;
  EXPECT_NE(flat(engine).find(range + " (default " + std::to_string(kDefaultEngineLevel) + ")"),
            std::string::npos)
      << engine;

  const std::string searching =
      "Levels " + std::to_string(kMinSearchLevel) + " to " + std::to_string(kMaxLevel);
  EXPECT_NE(flat(game).find(searching + " search " +
                            perLevel([](int level) { return levelSettings(level).depth; }) +
                            " moves ahead"),
            std::string::npos)
      << game;
  EXPECT_NE(flat(game).find("perfectly once " +
                            perLevel([](int level) { return levelSettings(level).exactEmpties; }) +
                            " squares are empty"),
            std::string::npos)
      << game;

  // Wherever a page speaks of the searching levels together, it names all of them.
  for (const char* name : {"brelvoxan.6.in", "brelvoxan-engine.6.in"}) {
    const std::string page = flat(readPage(name));
    const std::regex levels("[Ll]evels ([0-9]+) to ([0-9]+)");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), levels);
         it != std::sregex_iterator(); ++it) {
      EXPECT_EQ(it->str(), (*it)[0].str().substr(0, 7) + std::to_string(kMinSearchLevel) + " to " +
                               std::to_string(kMaxLevel))
          << name;
    }
  }
}

}  // namespace
}  // namespace brelvoxan::engine
