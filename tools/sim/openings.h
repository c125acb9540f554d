// The openings of brelvoxan-sim --match: 100 distinct positions six plies from the start (no
// two the same under the board's eight symmetries), each one of those the level-4 search scored
// closest to even. Written in the usual move notation, column letter and row digit, a1 top left.
#pragma once

#include <array>
#include <string_view>

namespace brelvoxan::sim {

inline constexpr std::array<std::string_view, 100> kMatchOpenings = {
    "d3c3b3d2c2d6", "d3c3b3d2f6d6", "d3c5b6d2f5f4", "d3c5b6e3f4d2", "d3c5e6e3e2f5", "d3c5e6f5g6f3",
    "d3e3f2c3f3d2", "d3e3f2c6f4g3", "d3e3f2c6f5e2", "d3e3f3c3f5d2", "d3e3f3e2f5g3", "d3e3f4c3d6f5",
    "d3e3f5c5b5b6", "d3e3f5e6d7e7", "d3e3f6c3f3g3", "d3e3f6e6f2g6", "d3c3b3c5e6f6", "d3c3f5e3c2f6",
    "d3c5f6e3c3f5", "d3c3c4e3f2d6", "d3c5d6e3b5a5", "d3c5e6f5g4e7", "d3e3f2c5f5e2", "d3e3f6c2d2c6",
    "d3e3f6c2f3g3", "d3c3b3c5d6c7", "d3c3b3c5f6d2", "d3c3c4e3f2b4", "d3c3e6e3d2e1", "d3c3e6f4g3g4",
    "d3c3f5f4b3g6", "d3c3f5f4f3d6", "d3c3f5f4g3c2", "d3c5b6b5e6f5", "d3c5b6b5e6f7", "d3c5b6b5f6f5",
    "d3c5b6d2e6f4", "d3c5e6d2c4e3", "d3c5e6f3b5c2", "d3c5e6f7c6e3", "d3c5f6e3f3f4", "d3e3f2c2e6f5",
    "d3e3f2c2f4c3", "d3e3f2c2f4e2", "d3e3f2c4c5c6", "d3e3f2c6d6c3", "d3e3f3c3e6f2", "d3e3f3c5c6e2",
    "d3e3f3e2f6g3", "d3e3f4c3e2f5", "d3e3f4c5e6f3", "d3e3f5c3c2e6", "d3e3f6c2e2f5", "d3e3f6c2f3f5",
    "d3e3f6c4c3c2", "d3e3f6c5f5d6", "d3e3f6c6f4f3", "d3c3b3d2c4f5", "d3c3b3d6e6f3", "d3e3f3c3e6d6",
    "d3e3f4c5c6d6", "d3e3f6c5f3f5", "d3c5c6c7b5a4", "d3c5c6c7b6a5", "d3c3c4e3f2c6", "d3c3c4e3f2f3",
    "d3c3c4e3f4c5", "d3c3c4e3f6b4", "d3c3e6d6c7f3", "d3c3f5f6b3g5", "d3c5c6e3c4c3", "d3c5e6f5g4f7",
    "d3e3f2c2c3c4", "d3e3f2c2f6c6", "d3e3f2e2f1c2", "d3e3f3c3c4c5", "d3e3f6e6d6c7", "d3c3b3c5d6e7",
    "d3c3c4e3f3c5", "d3c3c4e3f5c5", "d3c3f5d6c7d2", "d3c3f5e3e2f6", "d3c5f6f5b6f7", "d3e3f4c5c4d2",
    "d3e3f6c3e2f5", "d3e3f6c3f3f5", "d3e3f6e6f7c3", "d3c3e6f4f3d6", "d3c5d6c3e6d2", "d3c5e6d2c4d6",
    "d3c5f6f5f4c3", "d3e3f4c3d2e1", "d3e3f4c5d6g5", "d3e3f5e6f2c4", "d3e3f5e6f3c5", "d3e3f6c2f4g5",
    "d3e3f6c6d6c3", "d3e3f6e6f5g6", "d3e3f6e6f7e7", "d3c3b3c5f6f3",
};

}  // namespace brelvoxan::sim
