// The Go Text Protocol for Reversi: the commands a board game client or a referee sends an
// engine, answered by the game's computer opponent at one level. Pure: a command line in, the
// answer out; the program around it (gtp_main.cpp) reads and writes the streams.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/bitboard.h"
#include "engine/opponent.h"

namespace brelvoxan::gtp {

// Moves and passes kept for undo; a game has at most 60 moves, and passes enough between them.
inline constexpr size_t kMaxHistory = 250;

// The longest command line taken; no command needs a tenth of it. A comment after '#' and blanks
// or control bytes at the end (the CR of a CRLF line) do not count.
inline constexpr size_t kMaxLineLength = 1000;
// Past that length, this much more of a line is read in search of its end; a line longer still
// ends the run, since the input may never end.
inline constexpr size_t kMaxSkipped = size_t{1} << 20;

// One line of input as read.
struct InputLine {
  // What stands before any '#', at most kMaxLineLength bytes of it.
  std::string text;
  // Its part before '#' was longer than kMaxLineLength, blanks and control bytes at the end
  // aside: it is refused, with its id when `text` begins with one.
  bool tooLong = false;
};
enum class LineRead { kLine, kEnd, kEndless };
// Reads one line through `next` (a byte, or EOF at the end of the input). kEndless when no end of
// line came within kMaxLineLength + kMaxSkipped bytes; `line` then holds what was read.
LineRead readLine(const std::function<int()>& next, InputLine* line);

class Session {
 public:
  // `level` engine::kMinLevel..engine::kMaxLevel (clamped), as in the game.
  Session(int level, uint64_t seed);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The answer to one line of input: "=[id] result\n\n" or "?[id] message\n\n", or nothing for
  // a line with no command (blank, or only a comment).
  std::string handle(std::string_view line);
  // The same for a line as readLine gives it: a line too long is refused, with its id, unless it
  // holds no command.
  std::string handle(const InputLine& line);

  // After `quit` has been answered.
  bool quitting() const { return quitting_; }

  // The opponent's note (engine::Opponent::takeNote), once; else nothing.
  std::string takeNote() { return opponent_.takeNote(); }

 private:
  struct State {
    engine::Mask black = 0;
    engine::Mask white = 0;
    bool blackToMove = true;
  };
  struct Reply {
    bool ok;
    std::string text;
  };

  Reply run(const std::string& command, const std::vector<std::string>& args);
  Reply play(const std::vector<std::string>& args);
  // Chooses a move for the colour in args[0]; plays it unless `play` is false.
  Reply genmove(const std::vector<std::string>& args, bool play);
  Reply setPosition(const std::vector<std::string>& args);
  bool over() const;
  // The position with `black` to move, or white.
  engine::Position positionFor(bool black) const;
  // Plays `square` (or passes with kPassMove) for `black`, keeping the state before for undo.
  void apply(bool black, int square);
  std::string board() const;
  std::string finalScore() const;

  engine::Opponent opponent_;
  State state_;
  std::vector<State> history_;
  bool quitting_ = false;
};

}  // namespace brelvoxan::gtp
