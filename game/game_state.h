// The state of one game: the board, whose turn it is, passes, counts, the cursor, the last key,
// the positions the person moved from, and the computer's level, seed and opponents. Also what
// both sides' moves share: playing a square, the sweep that shows turned stones and prints the
// counts.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/opponent.h"
#include "game/kept_settings.h"
#include "reversi/board.h"
#include "screen/character_screen.h"

namespace brelvoxan {

inline constexpr uint32_t kSweepPauseMs = 10;

// What the person was asked to move from, enough to show it again: the board (the counts follow
// from it), the passes in a row (1 after the computer's pass, whose message is then up) and the
// cursor square. The side to move is always the person's.
struct AskedPosition {
  Board board{};
  int16_t consecutivePasses = 0;
  int16_t cursorX = 1, cursorY = 1;
};

struct Game {
  Board board{};
  Side sideToMove = kBlack;
  Side humanSide = kBlack;
  int16_t consecutivePasses = 0;
  int16_t blackCount = 0, whiteCount = 0;  // as the last sweep counted them
  // The current square: the person's cursor, and the square of the CPU's last move.
  int16_t cursorX = 1, cursorY = 1;
  // The square the cursor box was last drawn around; 0 when none has been drawn in this game.
  int16_t drawnCursorX = 0, drawnCursorY = 0;
  int16_t keyCode = 0;  // the last key taken
  // Whether the squares where the person may move are marked (M), and the squares whose mark is
  // drawn now (bit (x - 1) * 8 + y - 1, game/move_marks.h).
  bool showMoves = false;
  uint64_t markedSquares = 0;
  // The positions the person moved from in this game, oldest first, for taking moves back.
  std::vector<AskedPosition> movedFrom;

  // The computer's level, engine::kMinLevel..engine::kMaxLevel, and the seed of its choices among
  // equal moves (the searching levels).
  int level = engine::kDefaultGameLevel;
  uint64_t seed = 0;
  // The simulator and the tests: the pause before a computer move is always whole, however long
  // the computer thought, so that their virtual clock stays repeatable.
  bool thinkingTakesNoTime = false;
  // The computer at `level`, made at its first turn; shared, so that a game can be copied.
  std::shared_ptr<engine::Opponent> opponent;
  // The strongest level's computer for hints, made at the first hint.
  std::shared_ptr<engine::Opponent> hintOpponent;
  // Where the level, the marks' setting and the results are kept between runs; none: nothing is
  // kept and the title shows no results.
  std::shared_ptr<SettingsStore> kept;
};

// Plays the current square (cursorX, cursorY) for `side`, whose scan found runs to turn: ends a
// run of passes, sets the stone and draws it whole, turns the runs on the board, then repaints
// every stone's centre and prints the counts.
void playSquare(Game& game, CharacterScreen& screen, Side side, const FlipScan& scan);

// Repaints every stone's centre column by column, 10 ms per square, then stores and prints both
// counts.
StoneCounts refreshStoneCentres(Game& game, CharacterScreen& screen);

// The board of a new game: the four centre stones, the board edge and the legend stones.
void drawNewGameBoard(const Game& game, CharacterScreen& screen);

}  // namespace brelvoxan
