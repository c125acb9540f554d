// Runs the real game on the headless backend with scripted keys, and reads the display back.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "game/game.h"
#include "game/game_state.h"
#include "host/headless/headless.h"
#include "host/key_codes.h"
#include "reversi/board.h"
#include "screen/character_screen.h"
#include "tools/reader/screen_reader.h"

namespace brelvoxan::testing {

inline constexpr int kLeft = host::kVkLeft, kUp = host::kVkUp, kRight = host::kVkRight,
                     kDown = host::kVkDown, kEnter = host::kVkReturn, kSpace = host::kVkSpace;
inline constexpr int kKey1 = host::kVk1, kKey2 = host::kVk2;
// A script entry that gives no key: the wait is answered by whatever the slot holds or gets.
inline constexpr int kNoKey = -1;

inline const reader::GlyphSet& glyphSet() {
  static const reader::GlyphSet glyphs = reader::GlyphSet::loadFromDirectory("res/bmp");
  return glyphs;
}

inline reader::Screen readDisplay() {
  return reader::readScreen(host::headless::backBuffer(), glyphSet());
}

// The game's start-up up to the title screen, without the title screen: window and glyphs.
void startUpDisplay(CharacterScreen& screen);

// Draws a position as a game in progress would show it (stones, edge, legends, counts) and sets
// the game state for the side to move.
void showPosition(Game& game, CharacterScreen& screen, const Board& position, Side toMove,
                  Side human);

class ScriptedGame {
 public:
  ScriptedGame();
  ~ScriptedGame();

  // Entries given to the key waits in order; once they run out, `refill` (if set) may add more,
  // otherwise the game thread is stopped at that wait. A refill asked for more often than any
  // game needs fails the test and stops the game: a script that never sees the screen it waits
  // for (glyphs not found, say) ends instead of playing on for ever.
  std::deque<int> keys;
  std::function<void(ScriptedGame&)> refill;
  // The game and the screen it runs on.
  Game state;
  CharacterScreen screen;

  // Runs gameMain until the script stops it.
  void runFromStart();
  // Runs the turns and the result from a drawn position (see showPosition).
  void runFrom(const Board& position, Side toMove, Side human);
  // Arrow keys from the visible cursor square to (x, y), then Enter.
  void playSquare(int fromX, int fromY, int x, int y);

 private:
  std::optional<uint8_t> next();
  int refills_ = 0;
};

}  // namespace brelvoxan::testing
