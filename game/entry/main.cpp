// The game program: everything happens in the game's main procedure; the process ends when the
// window is closed.
#include "game/game.h"

int main() {
  brelvoxan::gameMain();
  return 0;
}
