// Messages laid out for a console and for a message box's proportional font.
#include "host/message_layout.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace host {
namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

constexpr const char* kHelp =
    "Keys:\n"
    "  1 or 2\tchoose a side\n"
    "  arrow keys\tmove the cursor box\n"
    "\n"
    "Options:\n"
    "  --scale N\tshow each pixel as N x N pixels\n";

TEST(MessageLayout, ConsoleLinesDescriptionsUpInOneColumn) {
  const std::string shown = layOutMessage(kHelp, MessageLayout::kConsole);
  EXPECT_EQ(shown,
            "Keys:\n"
            "  1 or 2      choose a side\n"
            "  arrow keys  move the cursor box\n"
            "\n"
            "Options:\n"
            "  --scale N   show each pixel as N x N pixels\n");
  // Text without tabs passes unchanged, with or without its last line end.
  EXPECT_EQ(layOutMessage("brelvoxan 1.0.0\n", MessageLayout::kConsole), "brelvoxan 1.0.0\n");
  EXPECT_EQ(layOutMessage("one line", MessageLayout::kConsole), "one line");
  EXPECT_EQ(layOutMessage("", MessageLayout::kConsole), "");
}

TEST(MessageLayout, ProportionalFontGetsNoColumnsOfSpaces) {
  const std::string shown = layOutMessage(kHelp, MessageLayout::kProportional);
  EXPECT_EQ(shown,
            "Keys:\n"
            "  1 or 2: choose a side\n"
            "  arrow keys: move the cursor box\n"
            "\n"
            "Options:\n"
            "  --scale N: show each pixel as N x N pixels\n");
}

TEST(MessageLayout, LongLinesBreakAtSpacesAndKeepOptionsWhole) {
  const std::string refusal = "brelvoxan: unknown option '--fullscreen' (try 'brelvoxan --help')";
  const std::vector<std::string> shown =
      lines(layOutMessage(refusal, MessageLayout::kProportional));
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "brelvoxan: unknown option '--fullscreen'");
  EXPECT_EQ(shown[1], "    (try 'brelvoxan --help')");
  // A list of folders: every line within the limit, every word whole and in order.
  std::string folders = "brelvoxan: no glyph files found in";
  for (int i = 0; i < 8; ++i)
    folders += " C:\\Games\\Brelvoxan" + std::to_string(i) + "\\res\\bmp,";
  std::string joined;
  for (const std::string& line : lines(layOutMessage(folders, MessageLayout::kProportional))) {
    EXPECT_LE(line.size(), kProportionalLineLimit) << line;
    joined += (joined.empty() ? "" : " ") + line.substr(line.find_first_not_of(' '));
  }
  EXPECT_EQ(joined, folders);
  // A word longer than a line stays whole.
  const std::string word(kProportionalLineLimit + 10, 'x');
  EXPECT_EQ(layOutMessage("a " + word + " b", MessageLayout::kProportional),
            "a\n    " + word + "\n    b");
}

}  // namespace
}  // namespace host
