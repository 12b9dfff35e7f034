#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace horaz {

// Pixel coordinates are 32-bit at the drawing interface. The painters add
// and multiply them in 64 bits and pin the result to the 32-bit range, so
// an absurd size or position draws off the surface instead of wrapping into
// an unrelated shape (and signed overflow is never reached). Results that
// fit are unchanged.
[[nodiscard]] constexpr int32_t clampToInt32(int64_t value) noexcept {
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

// Division by the aspect factor, which the host could report as 0: the
// IEEE quotient (an infinity, or NaN for 0 / 0) without performing a
// division by zero, which the language leaves undefined. The truncation to
// an integer afterwards saturates the infinities and turns NaN into 0.
template <class Real>
[[nodiscard]] Real divideByAspect(Real value, Real aspect) noexcept {
  if (aspect != Real(0)) return value / aspect;
  if (value == Real(0) || std::isnan(value)) return std::numeric_limits<Real>::quiet_NaN();
  return std::signbit(value) != std::signbit(aspect) ? -std::numeric_limits<Real>::infinity()
                                                     : std::numeric_limits<Real>::infinity();
}

}  // namespace horaz
