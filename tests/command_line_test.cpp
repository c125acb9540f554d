// The command line reader every program shares, linked with nothing else.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/levels.h"

namespace brelvoxan::cli {
namespace {

// The same spellings, the same refusals for every program.
TEST(CommandLine, BothSpellingsTheLastOfARepeatAndOneLineNamingWhatIsWrong) {
  const std::vector<OptionRule> rules = {
      levelOption(),
      seedOption(),
      {"--png", 1, "a file name", false},
      {"--solve", 0, ""},
      {"--match", 2, "two levels", true, engine::kMinLevel, engine::kMaxLevel}};
  const auto read = [&](std::vector<std::string> arguments) {
    return readCommandLine(arguments, rules);
  };
  CommandLine line = read({"--level=3", "--png", "a b.png", "--match", "2", "5", "--solve"});
  ASSERT_EQ(line.refusal, "");
  EXPECT_EQ(line.number("--level"), 3u);
  EXPECT_EQ(line.find("--png")->values, std::vector<std::string>{"a b.png"});
  EXPECT_EQ(line.number("--match", 0), 2u);
  EXPECT_EQ(line.number("--match", 1), 5u);
  EXPECT_TRUE(line.has("--solve"));
  EXPECT_FALSE(line.has("--seed"));
  line = read({"--level", "2", "--level=4"});
  EXPECT_EQ(line.number("--level"), 4u);
  EXPECT_EQ(line.given.size(), 1u);

  const std::string top = std::to_string(engine::kMaxLevel);
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"--level", std::to_string(engine::kMaxLevel + 1)},
       "--level takes a level from 1 to " + top + ", not '" +
           std::to_string(engine::kMaxLevel + 1) + "'"},
      {{"--level=0"}, "--level takes a level from 1 to " + top + ", not '0'"},
      {{"--level"}, "--level needs a level from 1 to " + top},
      {{"--seed", "-1"}, "--seed takes a whole number from 0 to 18446744073709551615, not '-1'"},
      {{"--png", ""}, "--png takes a file name, not ''"},
      {{"--match", "2"}, "--match needs two levels"},
      {{"--match", "2", "9"}, "--match takes two levels, not '9'"},
      {{"--match=2"}, "unknown option '--match=2'"},
      {{"--solve=1"}, "unknown option '--solve=1'"},
      {{"--level", "2", "x"}, "unexpected argument 'x'"},
  };
  for (const auto& [arguments, why] : refused) {
    EXPECT_EQ(read(arguments).refusal, why) << arguments[0];
  }
}

TEST(CommandLine, AWholeNumberIsDigitsAloneWithinItsRange) {
  EXPECT_EQ(parseWholeNumber("0", 0, 9), 0u);
  EXPECT_EQ(parseWholeNumber("007", 0, 9), 7u);
  EXPECT_EQ(parseWholeNumber("18446744073709551615", 0, UINT64_MAX), UINT64_MAX);
  for (const char* refused : {"", "+1", "-0", " 1", "1 ", "1e3", "0x1", "18446744073709551616",
                              "99999999999999999999", "000000000000000000001"}) {
    EXPECT_FALSE(parseWholeNumber(refused, 0, UINT64_MAX).has_value()) << refused;
  }
  EXPECT_FALSE(parseWholeNumber("10", 0, 9).has_value());
  EXPECT_FALSE(parseWholeNumber("1", 2, 9).has_value());
}

}  // namespace
}  // namespace brelvoxan::cli
