#include "game/status_panel.h"

#include "screen/text.h"

namespace brelvoxan {

void printSideName(CharacterScreen& screen, Side side) {
  screen.printText(side == kWhite ? "White)" : "Black)");
}

void clearMessageRows(CharacterScreen& screen) {
  const Text blanks = "              ";  // columns 9..22
  screen.locate(kStatusColumn, 1);
  screen.printText(blanks);
  screen.locate(kStatusColumn, 2);
  screen.printText(blanks);
}

void printComputerPass(CharacterScreen& screen) {
  screen.locate(kStatusColumn, 1);
  screen.printText("CPU PASS");
}

void printCount(CharacterScreen& screen, int16_t count) {
  const Text digits = formatNumber(count);
  screen.printText(joinText(leftText("   ", 2 - digits.length()), digits));
}

}  // namespace brelvoxan
