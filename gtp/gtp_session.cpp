#include "gtp/gtp_session.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "build_info.h"
#include "reversi/board.h"

namespace brelvoxan::gtp {

namespace {

using engine::bitOf;
using engine::kPassMove;

// Every command, in the order list_commands gives them.
constexpr std::array<std::string_view, 18> kCommands = {
    "protocol_version", "name",          "version",
    "known_command",    "list_commands", "quit",
    "boardsize",        "clear_board",   "play",
    "genmove",          "undo",          "showboard",
    "final_score",      "komi",          "time_settings",
    "time_left",        "reg_genmove",   "set_position"};

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// "b", "black", "w" or "white", in any case: true for black.
std::optional<bool> parseColour(const std::string& text) {
  const std::string c = lower(text);
  if (c == "b" || c == "black") return true;
  if (c == "w" || c == "white") return false;
  return std::nullopt;
}

// A square (a1..h8, a1 top left, in any case) or "pass" (kPassMove).
std::optional<int> parseVertex(const std::string& text) {
  const std::string v = lower(text);
  if (v == "pass") return kPassMove;
  return engine::parseSquare(v);
}

bool isNumber(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A real number as GTP writes one ("6.5", "-7", "0"): digits with a sign and a point at most.
bool isReal(const std::string& text) {
  if (text.empty() || text.size() > 32) return false;
  size_t digits = 0;
  size_t points = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else if (!(i == 0 && (c == '-' || c == '+'))) {
      return false;
    }
  }
  return digits > 0 && points <= 1;
}

bool isBlankOrControl(int c) {
  return c <= ' ' || c == 127;
}

// The words of a line: control characters dropped, tabs read as spaces, '#' starts a comment.
std::vector<std::string> wordsOf(std::string_view line) {
  std::string text;
  for (const char c : line) {
    if (c == '#') break;
    if (c == '\t') {
      text += ' ';
    } else if (static_cast<unsigned char>(c) >= 32 && c != 127) {
      text += c;
    }
  }
  std::vector<std::string> words;
  for (size_t at = 0; at < text.size();) {
    const size_t start = text.find_first_not_of(' ', at);
    if (start == std::string::npos) break;
    const size_t end = std::min(text.find(' ', start), text.size());
    words.push_back(text.substr(start, end - start));
    at = end;
  }
  return words;
}

std::string answer(bool ok, const std::string& id, const std::string& text) {
  return (ok ? "=" : "?") + id + (text.empty() ? "" : " " + text) + "\n\n";
}

}  // namespace

Session::Session(int level, uint64_t seed) : opponent_(level, seed) {
  const engine::Position start = engine::startPosition();
  state_ = {start.own, start.opp, true};
}

Session::~Session() = default;

LineRead readLine(const std::function<int()>& next, InputLine* line) {
  line->text.clear();
  line->tooLong = false;
  size_t taken = 0;    // bytes of the line so far
  size_t before = 0;   // of them, before any '#'
  size_t counted = 0;  // up to the last that is neither blank nor control, before any '#'
  bool comment = false;
  bool any = false;
  for (int c; (c = next()) != EOF;) {
    any = true;
    if (c == '\n') return LineRead::kLine;
    if (++taken > kMaxLineLength + kMaxSkipped) return LineRead::kEndless;
    if (comment) continue;
    if (c == '#') {
      comment = true;
      continue;
    }
    ++before;
    if (before <= kMaxLineLength) line->text.push_back(static_cast<char>(c));
    if (!isBlankOrControl(c)) counted = before;
    line->tooLong = counted > kMaxLineLength;
  }
  return any ? LineRead::kLine : LineRead::kEnd;
}

std::string Session::handle(const InputLine& line) {
  if (!line.tooLong) return handle(line.text);
  const std::vector<std::string> words = wordsOf(line.text);
  const std::string id = !words.empty() && isNumber(words.front()) ? words.front() : "";
  return answer(false, id, "line longer than " + std::to_string(kMaxLineLength) + " characters");
}

std::string Session::handle(std::string_view line) {
  std::vector<std::string> words = wordsOf(line);
  if (words.empty()) return {};
  std::string id;
  if (isNumber(words.front())) {
    id = words.front();
    words.erase(words.begin());
  }
  Reply reply{false, "unknown command"};
  if (!words.empty()) {
    const std::string command = words.front();
    words.erase(words.begin());
    reply = run(command, words);
  }
  return answer(reply.ok, id, reply.text);
}

Session::Reply Session::run(const std::string& command, const std::vector<std::string>& args) {
  const auto takes = [&](size_t n) { return args.size() == n; };
  if (command == "protocol_version" && takes(0)) return {true, "2"};
  if (command == "name" && takes(0)) return {true, "Brelvoxan"};
  if (command == "version" && takes(0)) return {true, kVersion};
  if (command == "known_command" && takes(1)) {
    const bool known = std::find(kCommands.begin(), kCommands.end(), args[0]) != kCommands.end();
    return {true, known ? "true" : "false"};
  }
  if (command == "list_commands" && takes(0)) {
    std::string list;
    for (const std::string_view name : kCommands) list += std::string(name) + "\n";
    list.pop_back();
    return {true, list};
  }
  if (command == "quit" && takes(0)) {
    quitting_ = true;
    return {true, ""};
  }
  if (command == "boardsize" && takes(1)) {
    if (!isNumber(args[0])) return {false, "syntax error"};
    if (args[0] != "8") return {false, "unacceptable size"};
    return run("clear_board", {});
  }
  if (command == "clear_board" && takes(0)) {
    const engine::Position start = engine::startPosition();
    state_ = {start.own, start.opp, true};
    history_.clear();
    return {true, ""};
  }
  if (command == "play" && takes(2)) return play(args);
  if (command == "genmove" && takes(1)) return genmove(args, true);
  if (command == "reg_genmove" && takes(1)) return genmove(args, false);
  if (command == "set_position" && takes(2)) return setPosition(args);
  // Taken and set aside: Reversi has no komi, and the level's budgets, not the clock, bound a
  // move's thinking, so the same position gets the same move whatever time is left.
  if (command == "komi" && takes(1) && isReal(args[0])) return {true, ""};
  if (command == "time_settings" && takes(3) && std::all_of(args.begin(), args.end(), isNumber)) {
    return {true, ""};
  }
  if (command == "time_left" && takes(3) && parseColour(args[0]) && isNumber(args[1]) &&
      isNumber(args[2])) {
    return {true, ""};
  }
  if (command == "undo" && takes(0)) {
    if (history_.empty()) return {false, "cannot undo"};
    state_ = history_.back();
    history_.pop_back();
    return {true, ""};
  }
  if (command == "showboard" && takes(0)) {
    // The board starts on the line after the "=".
    std::string text(1, '\n');
    text += board();
    return {true, text};
  }
  if (command == "final_score" && takes(0)) {
    const std::string score = finalScore();
    if (score.empty()) return {false, "cannot score: the game is not over"};
    return {true, score};
  }
  if (std::find(kCommands.begin(), kCommands.end(), command) != kCommands.end()) {
    return {false, "syntax error"};
  }
  return {false, "unknown command"};
}

Session::Reply Session::play(const std::vector<std::string>& args) {
  const std::optional<bool> black = parseColour(args[0]);
  const std::optional<int> square = parseVertex(args[1]);
  if (!black || !square) return {false, "syntax error"};
  // Once the game is over a pass changes nothing, and is not kept for undo.
  if (*square == kPassMove && over()) return {true, ""};
  if (history_.size() == kMaxHistory) return {false, "too many moves to keep"};
  const engine::Mask moves = engine::legalMoves(positionFor(*black));
  // A pass only without a move, a move only where it turns discs.
  const bool legal = *square == kPassMove ? moves == 0 : (moves & bitOf(*square)) != 0;
  if (!legal) return {false, "illegal move"};
  apply(*black, *square);
  return {true, ""};
}

Session::Reply Session::genmove(const std::vector<std::string>& args, bool play) {
  const std::optional<bool> black = parseColour(args[0]);
  if (!black) return {false, "syntax error"};
  if (over()) return {true, "pass"};  // as a pass played then: nothing to keep
  if (play && history_.size() == kMaxHistory) return {false, "too many moves to keep"};
  const engine::Position p = positionFor(*black);
  int square = kPassMove;
  if (engine::legalMoves(p) != 0) square = opponent_.chooseSquare(p, *black ? kBlack : kWhite);
  if (play) apply(*black, square);
  return {true, square == kPassMove ? "pass" : upper(engine::squareName(square))};
}

Session::Reply Session::setPosition(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<engine::Discs> discs = engine::parseSquares(args[0], &error);
  if (!discs) return {false, "syntax error: " + error};
  const std::string side = lower(args[1]);
  std::optional<bool> black = parseColour(side);
  if (side == "x") black = true;
  if (side == "o") black = false;
  if (!black) return {false, "syntax error: the side to move must be black, white, X or O"};
  state_ = {discs->black, discs->white, *black};
  history_.clear();
  return {true, ""};
}

bool Session::over() const {
  const engine::Position p = positionFor(true);
  return engine::legalMoves(p) == 0 && engine::legalMoves(p.passed()) == 0;
}

engine::Position Session::positionFor(bool black) const {
  return black ? engine::Position{state_.black, state_.white}
               : engine::Position{state_.white, state_.black};
}

void Session::apply(bool black, int square) {
  history_.push_back(state_);
  engine::Position p = positionFor(black);
  // afterMove gives the position for the opponent, who moves next.
  if (square != kPassMove) p = engine::afterMove(p, square, engine::flipsOf(p, square)).passed();
  state_.black = black ? p.own : p.opp;
  state_.white = black ? p.opp : p.own;
  state_.blackToMove = !black;
}

std::string Session::board() const {
  std::string text = "   A B C D E F G H\n";
  for (int y = 1; y <= 8; ++y) {
    text += ' ' + std::to_string(y);
    for (int x = 1; x <= 8; ++x) {
      const engine::Mask bit = bitOf(engine::squareOf(x, y));
      text += (state_.black & bit) ? " X" : (state_.white & bit) ? " O" : " .";
    }
    text += '\n';
  }
  text += "X (black) " + std::to_string(engine::countBits(state_.black)) + ", O (white) " +
          std::to_string(engine::countBits(state_.white)) + ", ";
  text += over() ? "the game is over" : state_.blackToMove ? "black to move" : "white to move";
  return text;
}

std::string Session::finalScore() const {
  if (!over()) return {};
  // Empty squares go to the winner.
  const int diff = engine::finalScore(positionFor(true));
  if (diff == 0) return "0";
  return (diff > 0 ? "B+" : "W+") + std::to_string(diff > 0 ? diff : -diff);
}

}  // namespace brelvoxan::gtp
