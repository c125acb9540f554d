// The manual pages offer the levels the programs offer, and describe the engine's settings as
// they are.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
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

  // Wherever a page speaks of the searching levels together ("Levels A to B", "levels A to B"),
  // it names all of them.
  const std::string together = std::to_string(kMinSearchLevel) + " to " + std::to_string(kMaxLevel);
  const auto digits = [](const std::string& text, size_t at) {
    size_t end = at;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    return end;
  };
  for (const char* name : {"brelvoxan.6.in", "brelvoxan-engine.6.in"}) {
    const std::string page = flat(readPage(name));
    for (size_t at = page.find("evels "); at != std::string::npos;
         at = page.find("evels ", at + 1)) {
      if (at == 0 || (page[at - 1] != 'L' && page[at - 1] != 'l')) continue;
      const size_t first = at + 6;
      const size_t firstEnd = digits(page, first);
      if (firstEnd == first || page.compare(firstEnd, 4, " to ") != 0) continue;
      const size_t secondEnd = digits(page, firstEnd + 4);
      if (secondEnd == firstEnd + 4) continue;
      EXPECT_EQ(page.substr(first, secondEnd - first), together) << name;
    }
  }
}

}  // namespace
}  // namespace brelvoxan::engine
