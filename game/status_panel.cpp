#include "game/status_panel.h"

#include "host/text.h"
#include "reversi/game_state.h"
#include "screen/character_screen.h"

namespace brelvoxan {

void printSideName() {
  printText(sideToMove == kWhite ? "White)" : "Black)");
}

void clearMessageRows() {
  const Text blanks = "              ";  // columns 9..22
  locate(kStatusColumn, 1);
  printText(blanks);
  locate(kStatusColumn, 2);
  printText(blanks);
}

void printCount(int16_t count) {
  const Text digits = formatNumber(count);
  printText(joinText(leftText("   ", 2 - digits.length()), digits));
}

}  // namespace brelvoxan
