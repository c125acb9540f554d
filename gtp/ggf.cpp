#include "gtp/ggf.h"

#include <cctype>

namespace brelvoxan::gtp {

namespace {

using engine::bitOf;
using engine::kPassMove;
using engine::Mask;
using engine::Position;

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

// A value as it may be quoted in a one-line message: printable ASCII, a few dozen bytes.
std::string shown(std::string_view text) {
  std::string out;
  for (const char c : text.substr(0, 24)) {
    const auto u = static_cast<unsigned char>(c);
    out += u >= 32 && u < 127 ? c : '?';
  }
  if (text.size() > 24) out += "...";
  return out;
}

class Reader {
 public:
  Reader(std::string_view text, std::string* error) : text_(text), error_(error) {}

  std::optional<GgfGame> game() {
    skipSpaces();
    if (!take("(;")) return fail("a game starts with \"(;\"");
    for (;;) {
      skipSpaces();
      if (at_ == text_.size()) return fail("the game has no end \";)\"");
      if (take(";)")) break;
      std::string key;
      while (at_ < text_.size() && std::isupper(static_cast<unsigned char>(text_[at_]))) {
        key += text_[at_++];
      }
      if (key.empty())
        return fail("a property name was expected at byte " + std::to_string(at_ + 1));
      if (!take("[")) return fail("property " + key + " has no value in [ ]");
      std::string value;
      if (!readValue(&value)) return fail("the value of " + key + " has no closing ]");
      if (!property(key, value)) return std::nullopt;
    }
    skipSpaces();
    if (at_ != text_.size()) return fail("text follows the game's end");
    GgfGame game;
    game.black = blackToMove_ ? p_.own : p_.opp;
    game.white = blackToMove_ ? p_.opp : p_.own;
    game.blackToMove = blackToMove_;
    game.moves = moves_;
    return game;
  }

 private:
  std::nullopt_t fail(const std::string& message) {
    *error_ = message;
    return std::nullopt;
  }

  bool refuse(const std::string& message) {
    *error_ = message;
    return false;
  }

  void skipSpaces() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }

  bool take(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  // The value up to the closing ']'; a backslash makes the next byte part of the value.
  bool readValue(std::string* value) {
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == ']') return true;
      if (c == '\\') {
        if (at_ == text_.size()) return false;
        value->push_back(text_[at_++]);
      } else {
        value->push_back(c);
      }
    }
    return false;
  }

  bool property(const std::string& key, const std::string& value) {
    if (key == "GM") {
      const std::string game = upper(trim(value));
      if (game != "OTHELLO" && game != "REVERSI") {
        return refuse("GM[" + shown(value) + "] is not a game of Reversi");
      }
    } else if (key == "TY") {
      // The board's size, then letters for variants; the anti-game and the synchro game are
      // other games.
      const std::string type = upper(trim(value));
      size_t digits = 0;
      while (digits < type.size() && std::isdigit(static_cast<unsigned char>(type[digits]))) {
        ++digits;
      }
      if (type.substr(0, digits) != "8")
        return refuse("TY[" + shown(value) + "] is not an 8 x 8 game");
      if (type.find_first_of("AS", digits) != std::string::npos) {
        return refuse("TY[" + shown(value) + "] is a variant this engine does not play");
      }
    } else if (key == "BO") {
      return board(value);
    } else if (key == "B" || key == "W") {
      return move(key == "B", value);
    }
    return true;
  }

  // "8", then 64 squares row by row from a1 ('-' empty, '*' black, 'O' white) and the side to
  // move ('*' or 'O'); blanks between them are allowed.
  bool board(const std::string& value) {
    if (moves_ > 0) return refuse("the board (BO) comes after moves");
    const std::string_view v = trim(value);
    if (v.substr(0, 1) != "8" ||
        (v.size() > 1 && !std::isspace(static_cast<unsigned char>(v[1])))) {
      return refuse("BO[" + shown(value) + "] is not an 8 x 8 board");
    }
    std::string cells;
    for (const char c : v.substr(1)) {
      if (!std::isspace(static_cast<unsigned char>(c))) cells += c;
    }
    if (cells.size() != 65) {
      return refuse("BO has " + std::to_string(cells.size()) +
                    " squares and side to move, not 64 and one");
    }
    Mask black = 0;
    Mask white = 0;
    for (int sq = 0; sq < 64; ++sq) {
      const char c = cells[static_cast<size_t>(sq)];
      if (c == '*') {
        black |= bitOf(sq);
      } else if (c == 'O' || c == 'o') {
        white |= bitOf(sq);
      } else if (c != '-') {
        return refuse("BO's square " + engine::squareName(sq) + " holds '" + shown({&c, 1}) +
                      "', not '-', '*' or 'O'");
      }
    }
    const char side = cells[64];
    if (side != '*' && side != 'O' && side != 'o') {
      return refuse("BO's side to move is '" + shown({&side, 1}) + "', not '*' or 'O'");
    }
    blackToMove_ = side == '*';
    p_ = blackToMove_ ? Position{black, white} : Position{white, black};
    return true;
  }

  // A square ("f5", either case) or a pass ("PA" or "pass"), then '/' and the mover's value and
  // time, which are not read.
  bool move(bool black, const std::string& value) {
    const std::string_view v = trim(std::string_view(value).substr(0, value.find('/')));
    const std::string word = upper(v);
    const std::string who = black ? "black" : "white";
    const std::string where = " at move " + std::to_string(moves_ + 1);
    int square = kPassMove;
    if (word != "PA" && word != "PASS") {
      const std::optional<int> sq = engine::parseSquare(word);
      if (!sq) return refuse(who + "'s move '" + shown(v) + "'" + where + " is not a square or PA");
      square = *sq;
    }
    if (black != blackToMove_) {
      // A pass the game left out: the side to move must have had none.
      if (engine::legalMoves(p_) != 0) {
        return refuse(who + " moves" + where + ", but " + (black ? "white" : "black") +
                      " is to move");
      }
      p_ = p_.passed();
      blackToMove_ = black;
    }
    const Mask legal = engine::legalMoves(p_);
    if (square == kPassMove) {
      if (legal != 0) return refuse(who + " passes" + where + " with a move to play");
      p_ = p_.passed();
    } else {
      if ((legal & bitOf(square)) == 0) {
        return refuse(who + "'s " + upper(engine::squareName(square)) + where + " is not legal");
      }
      p_ = engine::afterMove(p_, square, engine::flipsOf(p_, square));
    }
    blackToMove_ = !blackToMove_;
    ++moves_;
    return true;
  }

  std::string_view text_;
  std::string* error_;
  size_t at_ = 0;
  Position p_ = engine::startPosition();
  bool blackToMove_ = true;
  int moves_ = 0;
};

}  // namespace

std::optional<GgfGame> readGgf(std::string_view text, std::string* error) {
  return Reader(text, error).game();
}

}  // namespace brelvoxan::gtp
