// Messages for the person who started the game (help, version, refusals, notes) are written
// once, with a tab between a term and its description, and laid out for where they are shown:
// a console's fixed-width font or a message box's proportional one.
#pragma once

#include <string>
#include <string_view>

namespace host {

enum class MessageLayout {
  kConsole,       // descriptions lined up in one column with spaces
  kProportional,  // "term: description"; long lines broken at spaces, never inside a word
};

// Lines longer than this are broken for a proportional font, so that a message box never has
// to break them itself (it would break at hyphens, splitting an option such as --help).
inline constexpr size_t kProportionalLineLimit = 44;

std::string layOutMessage(std::string_view text, MessageLayout layout);

}  // namespace host
