// The imitated display: 24 x 6 character cells of 30 x 48 pixels. Every backend's window shows
// a client area of exactly this size.
#pragma once

#include <cstdint>

namespace host {

inline constexpr int32_t kClientWidth = 720;
inline constexpr int32_t kClientHeight = 288;

}  // namespace host
