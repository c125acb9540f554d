#include "reversi/game_state.h"

namespace brelvoxan {

Side sideToMove = kBlack;
Side humanSide = kBlack;
int16_t consecutivePasses = 0;
int16_t blackCount = 0;
int16_t whiteCount = 0;
int16_t cursorX = 1;
int16_t cursorY = 1;
int16_t drawnCursorX = 0;
int16_t drawnCursorY = 0;
int16_t keyCode = 0;

}  // namespace brelvoxan
