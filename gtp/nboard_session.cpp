#include "gtp/nboard_session.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "engine/search.h"
#include "gtp/ggf.h"

namespace brelvoxan::gtp {

namespace {

using engine::kPassMove;
using engine::legalMoves;
using engine::Position;

constexpr const char* kName = "Brelvoxan";
constexpr const char* kKnown =
    "nboard, set depth, set game, move, hint, go, ping, learn, status, quit";

// A word of the input as it may be quoted in a one-line answer.
std::string shown(std::string_view text) {
  std::string out;
  for (const char c : text.substr(0, 24)) out += c >= 32 && c < 127 ? c : '?';
  if (text.size() > 24) out += "...";
  return out;
}

std::string error(const std::string& message) {
  return "status error: " + message + "\n";
}

std::string_view trimmed(std::string_view text) {
  const size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(' ') - start + 1);
}

// The first word of `text`, and in *rest what follows it, blanks before it removed.
std::string_view firstWord(std::string_view text, std::string_view* rest) {
  text = trimmed(text);
  const size_t end = std::min(text.find(' '), text.size());
  *rest = trimmed(text.substr(end));
  return text.substr(0, end);
}

// A whole number of at most nine digits.
std::optional<int> number(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string moveName(int square) {
  if (square == kPassMove) return "PA";
  std::string name = engine::squareName(square);
  name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  return name;
}

std::string discs(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.2f", value);
  return text;
}

// A move's value for the side to move, and how it was found.
struct Valued {
  int square = kPassMove;
  double discs = 0;
  bool exact = false;
  int depth = 0;
};

}  // namespace

int levelForDepth(int depth) {
  int level = engine::kMinLevel;
  for (int l = engine::kMinSearchLevel; l <= engine::kMaxLevel; ++l) {
    if (engine::levelSettings(l).depth <= depth) level = l;
  }
  return level;
}

NboardSession::NboardSession(int level, uint64_t seed)
    : seed_(seed),
      opponent_(std::make_unique<engine::Opponent>(level, seed)),
      p_(engine::startPosition()) {}

NboardSession::~NboardSession() = default;

std::string NboardSession::takeNote() {
  std::string note = opponent_->takeNote();
  if (note.empty() && valuer_) note = valuer_->takeNote();
  return note;
}

std::string NboardSession::handle(std::string_view line) {
  // Control bytes are dropped and tabs read as blanks.
  std::string text;
  for (const char c : line) {
    if (c == '\t') {
      text += ' ';
    } else if (static_cast<unsigned char>(c) >= 32 && c != 127) {
      text += c;
    }
  }
  std::string_view rest;
  const std::string_view command = firstWord(text, &rest);
  if (command.empty()) return {};
  return run(std::string(command), rest);
}

std::string NboardSession::run(const std::string& command, std::string_view rest) {
  if (command == "nboard") {
    if (rest != "2") return error("nboard " + shown(rest) + ": only version 2 is spoken");
    return std::string("set myname ") + kName + "\n";
  }
  if (command == "set") return set(rest);
  if (command == "move") return move(rest);
  if (command == "hint") return hint(rest);
  if (command == "go") return go();
  if (command == "ping") {
    if (!number(rest)) return error("ping needs a whole number, not '" + shown(rest) + "'");
    return "pong " + std::string(rest) + "\n";
  }
  if (command == "learn") return "status nothing learnt: this engine keeps no book\nlearned\n";
  if (command == "status") return status();
  if (command == "quit") {
    quitting_ = true;
    return {};
  }
  return error("unknown command '" + shown(command) + "'; known: " + kKnown);
}

std::string NboardSession::set(std::string_view rest) {
  std::string_view value;
  const std::string_view what = firstWord(rest, &value);
  if (what == "depth") {
    const std::optional<int> depth = number(value);
    if (!depth || *depth < 1) {
      return error("set depth needs a whole number from 1, not '" + shown(value) + "'");
    }
    const int level = levelForDepth(*depth);
    if (level != opponent_->level()) {
      opponent_ = std::make_unique<engine::Opponent>(level, seed_);
      valuer_.reset();
    }
    std::string text = "status depth " + std::to_string(*depth) + ": level " +
                       std::to_string(level) + ", looking ";
    if (level < engine::kMinSearchLevel) return text + "one move ahead\n";
    const engine::LevelSettings s = engine::levelSettings(level);
    return text + std::to_string(s.depth) + " moves ahead, exact from " +
           std::to_string(s.exactEmpties) + " empty squares\n";
  }
  if (what == "game") {
    std::string why;
    const std::optional<GgfGame> game = readGgf(value, &why);
    if (!game) return error("set game: " + why);
    blackToMove_ = game->blackToMove;
    p_ = blackToMove_ ? Position{game->black, game->white} : Position{game->white, game->black};
    return {};
  }
  if (what == "contempt") {
    // No contempt is what the engine plays with: a draw counts as a draw.
    if (value.find_first_not_of("+-0.") == std::string_view::npos && !value.empty()) return {};
    return "status contempt is not supported: a draw counts as a draw\n";
  }
  return error("set " + shown(what) + ": not a setting; known: depth, game");
}

std::string NboardSession::move(std::string_view rest) {
  // "f5", or "f5/value/time" with the mover's value and time, which are not read; "PA" passes.
  std::string word(rest.substr(0, rest.find('/')));
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string who = blackToMove_ ? "black" : "white";
  if (word == "PA" || word == "PASS") {
    if (legalMoves(p_) != 0) return error("move PA: " + who + " has a move to play");
    if (over()) return error("move PA: the game is over");
    p_ = p_.passed();
    blackToMove_ = !blackToMove_;
    return {};
  }
  const std::optional<int> square = engine::parseSquare(word);
  if (!square) return error("move needs a square a1..h8 or PA, not '" + shown(rest) + "'");
  Position p = p_;
  bool black = blackToMove_;
  // A pass left out: the side to move had none.
  if (legalMoves(p) == 0) {
    p = p.passed();
    black = !black;
  }
  if ((legalMoves(p) & engine::bitOf(*square)) == 0) {
    return error("move " + moveName(*square) + ": not a legal move for " + who);
  }
  p_ = engine::afterMove(p, *square, engine::flipsOf(p, *square));
  blackToMove_ = !black;
  return {};
}

std::string NboardSession::hint(std::string_view rest) {
  const std::optional<int> wanted = number(rest);
  if (!wanted || *wanted < 1) {
    return error("hint needs a number of moves from 1, not '" + shown(rest) + "'");
  }
  if (over()) return "status the game is over\n";
  // Each move is valued by the level's search of the position after it, so that a value is
  // exact whenever that search solved the position.
  engine::Opponent* valuer = opponent_.get();
  if (opponent_->level() < engine::kMinSearchLevel) {
    if (!valuer_) valuer_ = std::make_unique<engine::Opponent>(engine::kMinSearchLevel, seed_);
    valuer = valuer_.get();
  }
  // The value for the side to move in `p` of the position `next` after its move or pass.
  const auto value = [valuer](int square, const Position& next) {
    Valued v{square};
    if (const auto a = valuer->appraise(next)) {
      v = {square, -a->discs, a->exact, a->depth + 1};
    } else if (const auto again = valuer->appraise(next.passed())) {
      v = {square, again->discs, again->exact, again->depth};
    } else {
      v = {square, -static_cast<double>(engine::finalScore(next)), true, 0};
    }
    return v;
  };
  std::vector<Valued> values;
  const engine::Mask moves = legalMoves(p_);
  if (moves == 0) values.push_back(value(kPassMove, p_.passed()));
  for (int sq = 0; sq < 64; ++sq) {
    if ((moves & engine::bitOf(sq)) != 0) {
      values.push_back(value(sq, engine::afterMove(p_, sq, engine::flipsOf(p_, sq))));
    }
  }
  std::stable_sort(values.begin(), values.end(),
                   [](const Valued& a, const Valued& b) { return a.discs > b.discs; });
  // "search <move> <value> 0 <depth>": the depth "100%" for a value solved to the end.
  std::string text;
  for (size_t i = 0; i < values.size() && i < static_cast<size_t>(*wanted); ++i) {
    const Valued& v = values[i];
    text += "search " + moveName(v.square) + " " + discs(v.discs) + " 0 " +
            (v.exact ? std::string("100%") : std::to_string(v.depth)) + "\n";
  }
  return text;
}

std::string NboardSession::go() {
  if (over()) return error("go: the game is over");
  if (legalMoves(p_) == 0) return "=== PA\n";
  const auto start = std::chrono::steady_clock::now();
  // Level 1 values no move: its answer is the square alone.
  const std::optional<engine::Appraisal> a = opponent_->appraise(p_);
  const int square = a ? a->square : opponent_->chooseSquare(p_, blackToMove_ ? kBlack : kWhite);
  if (!a) return "=== " + moveName(square) + "\n";
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  char time[32];
  std::snprintf(time, sizeof time, "%.2f", took.count());
  return "=== " + moveName(square) + "/" + discs(a->discs) + "/" + time + "\n";
}

std::string NboardSession::status() const {
  std::string text = "status level " + std::to_string(opponent_->level()) + ", ";
  text += over() ? std::string("the game is over")
                 : std::string(blackToMove_ ? "black" : "white") + " to move";
  return text + ", " + std::to_string(p_.emptyCount()) + " empty squares\n";
}

bool NboardSession::over() const {
  return legalMoves(p_) == 0 && legalMoves(p_.passed()) == 0;
}

}  // namespace brelvoxan::gtp
