// The levels the engine plays: every level from kMinSearchLevel up to kMaxLevel, the top level
// of the game. The level below them is the rules' one-move-ahead player.
#pragma once

namespace brelvoxan::engine {

inline constexpr int kMinSearchLevel = 2;
inline constexpr int kMaxLevel = 5;

}  // namespace brelvoxan::engine
