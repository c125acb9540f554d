// The possible moves, shown on request (M while the person chooses a move): one set dot in the
// middle of every empty square where the person may move. They show only while the person is
// asked for a move, and are gone before a move is played.
#pragma once

#include <cstdint>

#include "game/game_state.h"
#include "screen/character_screen.h"

namespace brelvoxan {

// The mark's dot within its square, counted from the square's first dot column and row: the
// middle of the stone's centre, so that a stone placed there covers it.
inline constexpr int32_t kMarkDot = 3;

// The bit of square (x, y), both 1..8, in Game::markedSquares.
inline constexpr uint64_t squareBit(int x, int y) {
  return uint64_t{1} << ((x - 1) * 8 + (y - 1));
}

// Brings the marks on the board to what they should be now: the legal squares of the side to
// move when game.showMoves is on, none when it is off. Draws only the marks that change.
void showMoveMarks(Game& game, CharacterScreen& screen);

// Erases every mark drawn, before the board changes.
void clearMoveMarks(Game& game, CharacterScreen& screen);

}  // namespace brelvoxan
