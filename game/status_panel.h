// The status panel right of the board: turn line, message rows and stone counts.
#pragma once

#include <cstdint>

namespace brelvoxan {

inline constexpr int16_t kStatusColumn = 9;

void printSideName();
void clearMessageRows();
void printCount(int16_t count);

}  // namespace brelvoxan
