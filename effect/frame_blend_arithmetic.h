// Integer helpers shared by the blend's vector loop and its tests.
#pragma once

#include <cstdint>

namespace horaz::blend {

// x / 255, truncated, for 0 <= x <= 255 * 255, without a division: adding
// x >> 8 makes up for dividing by 256 instead of 255, and the + 1 lifts the
// exact multiples of 255 onto the next step. The sum stays below 2^16, so a
// 16-bit vector lane computes it exactly. Checked against x / 255 for every x
// in range by the compositing tests.
constexpr uint32_t divideBy255(uint32_t x) { return (x + 1 + (x >> 8)) >> 8; }

inline constexpr uint32_t kLargestBlendProduct = 255 * 255;

}  // namespace horaz::blend
