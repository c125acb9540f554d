// The imitated display's geometry, the one place it is written: 24 x 6 character cells of
// 30 x 48 pixels, and a plane of dots of 5 x 6 pixels over the same area. Every backend's window
// shows a client area of exactly kClientWidth x kClientHeight. Scripts and the page read the
// same numbers from geometry.sh and geometry.js, which the build writes from this file
// (tools/geometry).
#pragma once

#include <cstdint>

namespace host {

// An inline namespace, so that the tools can take all of it with one using-directive.
inline namespace geometry {

inline constexpr int32_t kTextColumns = 24;
inline constexpr int32_t kTextRows = 6;
inline constexpr int32_t kCellWidth = 30;   // pixels
inline constexpr int32_t kCellHeight = 48;  // pixels
inline constexpr int32_t kDotWidth = 5;     // pixels
inline constexpr int32_t kDotHeight = 6;    // pixels

inline constexpr int32_t kCellDotsAcross = kCellWidth / kDotWidth;  // 6
inline constexpr int32_t kCellDotsDown = kCellHeight / kDotHeight;  // 8
inline constexpr int32_t kClientWidth = kTextColumns * kCellWidth;  // 720
inline constexpr int32_t kClientHeight = kTextRows * kCellHeight;   // 288
inline constexpr int32_t kDotColumns = kClientWidth / kDotWidth;    // 144
inline constexpr int32_t kDotRows = kClientHeight / kDotHeight;     // 48
// The board: 8 x 8 squares of 6 x 6 dots in the top-left of the dot plane.
inline constexpr int32_t kSquareDots = 6;
inline constexpr int32_t kBoardWidth = 8 * kSquareDots * kDotWidth;  // 240 pixels

static_assert(kCellWidth % kDotWidth == 0 && kCellHeight % kDotHeight == 0,
              "a character cell is a whole number of dots");

}  // namespace geometry

}  // namespace host
