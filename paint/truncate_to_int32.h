#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace horaz {

// The one way this plug-in turns a double into a 32-bit integer: truncation
// toward zero, as the hardware conversion does for every value that fits.
// A bare static_cast is undefined for values that do not fit, so those are
// pinned down here: NaN gives 0, and values beyond the range (infinities
// included) saturate at INT32_MIN / INT32_MAX.
[[nodiscard]] inline int32_t truncateToInt32(double value) noexcept {
  constexpr double kLimit = 2147483648.0;  // 2^31, exact in a double
  if (std::isnan(value)) return 0;
  if (value >= kLimit) return std::numeric_limits<int32_t>::max();
  if (value <= -kLimit - 1.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

// 32-bit arithmetic that wraps modulo 2^32 instead of being undefined on
// overflow, so a coordinate or count pushed past the range by extreme
// parameters stays a defined (if wrapped) value. Results that fit are
// unchanged.
[[nodiscard]] constexpr int32_t wrappingAdd(int32_t a, int32_t b) noexcept {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

[[nodiscard]] constexpr int32_t wrappingMul(int32_t a, int32_t b) noexcept {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

}  // namespace horaz
