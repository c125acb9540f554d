// Reversi games written in GGF, the text form in which board game programs pass a game to an
// engine: "(;GM[Othello]...TY[8]BO[8 <64 squares> <side>]B[f5]W[d6//1.5]...;)". Only what fixes
// the position is read: the start board (BO), the moves and passes (B, W); every other property,
// comments among them, is skipped.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/bitboard.h"

namespace brelvoxan::gtp {

struct GgfGame {
  engine::Mask black = 0;
  engine::Mask white = 0;
  bool blackToMove = true;
  int moves = 0;  // moves and passes read after the start board
};

// The position at the end of the first game in `text`. Nothing for text that is not such a game,
// with *error a short sentence naming the first fault: a broken property, a board that is not an
// 8 x 8 Reversi board, an illegal move or pass, text after the game. The work is linear in the
// length of `text`.
std::optional<GgfGame> readGgf(std::string_view text, std::string* error);

}  // namespace brelvoxan::gtp
