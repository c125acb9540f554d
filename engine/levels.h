// The computer's levels, for every program that offers them: level 1 is the rules' one-move-ahead
// player, the levels from kMinSearchLevel up to kMaxLevel the engine's searches.
#pragma once

namespace brelvoxan::engine {

inline constexpr int kMinLevel = 1;
inline constexpr int kMinSearchLevel = kMinLevel + 1;
inline constexpr int kMaxLevel = 5;

// The level the game starts at, and the one brelvoxan-engine plays without --level.
inline constexpr int kDefaultGameLevel = kMinLevel;
inline constexpr int kDefaultEngineLevel = kMaxLevel;

}  // namespace brelvoxan::engine
