#include "host/message_layout.h"

#include <algorithm>
#include <vector>

namespace host {

namespace {

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// Breaks one line at spaces into pieces of at most kProportionalLineLimit characters (a word
// longer than that stays whole); continuation lines are indented a little deeper. A break
// before " (" is preferred, so that a parenthesised hint stays together.
void appendWrapped(std::string_view line, std::string& out) {
  const size_t indent = std::min(line.find_first_not_of(' '), line.size());
  const std::string continuation(indent + 4, ' ');
  bool first = true;
  for (;;) {
    // Continuation lines lose their indentation's width; a deeply indented line is not broken.
    const size_t lead = first ? indent : 0;
    const size_t room =
        first ? kProportionalLineLimit
              : kProportionalLineLimit - std::min(continuation.size(), kProportionalLineLimit / 2);
    if (line.size() <= room) break;
    size_t cut = line.rfind(" (", room);
    if (cut == std::string_view::npos || cut < room / 2) cut = line.rfind(' ', room);
    if (cut == std::string_view::npos || cut <= lead) cut = line.find(' ', lead + 1);
    if (cut == std::string_view::npos) break;
    out.append(first ? "" : continuation).append(line.substr(0, cut)).append("\n");
    line.remove_prefix(cut + 1);
    first = false;
  }
  out.append(first ? "" : continuation).append(line);
}

}  // namespace

std::string layOutMessage(std::string_view text, MessageLayout layout) {
  const std::vector<std::string_view> lines = splitLines(text);
  size_t termWidth = 0;
  for (const std::string_view line : lines) {
    const size_t tab = line.find('\t');
    if (tab != std::string_view::npos) termWidth = std::max(termWidth, tab);
  }
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const size_t tab = line.find('\t');
    std::string joined(line);
    if (tab != std::string_view::npos) {
      const std::string_view term = line.substr(0, tab);
      const std::string_view description = line.substr(tab + 1);
      joined = std::string(term);
      if (layout == MessageLayout::kConsole) {
        joined.append(termWidth + 2 - term.size(), ' ');
      } else {
        joined += ": ";
      }
      joined += description;
    }
    if (layout == MessageLayout::kConsole) {
      out += joined;
    } else {
      appendWrapped(joined, out);
    }
    if (i + 1 < lines.size() || (!text.empty() && text.back() == '\n')) out += '\n';
  }
  return out;
}

}  // namespace host
