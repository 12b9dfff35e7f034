#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace horaz {

// A rectangle of pixels, half-open: columns [left, right), rows [top,
// bottom). Painters gather where their shapes reach in picture coordinates
// (row 0 at the top); 64 bits hold any sum of 32-bit coordinates, so the
// gathering itself cannot overflow.
struct PixelArea {
  // How far beyond a shape's outline its pixels may reach: anti-aliased
  // edges half a pixel out, a pen of width 1 and its joins another pixel or
  // two. Painters add it to the outlines they gather.
  static constexpr int64_t kShapeMargin = 3;

  int64_t left = 0;
  int64_t top = 0;
  int64_t right = 0;
  int64_t bottom = 0;

  // Every pixel a 32-bit coordinate can name, and then some: what a painter
  // answers when it cannot bound its drawing.
  static constexpr PixelArea everything() {
    constexpr int64_t kFar = int64_t{1} << 40;
    return {-kFar, -kFar, kFar, kFar};
  }

  // The pixels a shape spanning [left, right) x [top, bottom) in continuous
  // coordinates can touch. A bound that is not finite, or lies beyond any
  // 32-bit coordinate, gives everything().
  static PixelArea covering(double left, double top, double right, double bottom) {
    constexpr double kLimit = 1099511627776.0;  // 2^40
    for (const double bound : {left, top, right, bottom})
      if (!(std::fabs(bound) < kLimit)) return everything();
    return {static_cast<int64_t>(std::floor(left)), static_cast<int64_t>(std::floor(top)),
            static_cast<int64_t>(std::ceil(right)), static_cast<int64_t>(std::ceil(bottom))};
  }

  // The rectangle at (x, y) of the given width and height, taken as GDI+
  // takes it; a negative width or height reaches left or up from x or y.
  static PixelArea ofRectangle(double x, double y, double width, double height) {
    if (!std::isfinite(width) || !std::isfinite(height)) return everything();
    return covering(std::min(x, x + width), std::min(y, y + height), std::max(x, x + width), std::max(y, y + height));
  }

  [[nodiscard]] constexpr bool empty() const { return left >= right || top >= bottom; }
  [[nodiscard]] constexpr int64_t width() const { return empty() ? 0 : right - left; }
  [[nodiscard]] constexpr int64_t height() const { return empty() ? 0 : bottom - top; }

  // The smallest area holding both; an empty side adds nothing.
  [[nodiscard]] constexpr PixelArea joined(const PixelArea& other) const {
    if (other.empty()) return *this;
    if (empty()) return other;
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
  }

  // Grown by `margin` pixels on every side (an empty area stays empty).
  [[nodiscard]] constexpr PixelArea widened(int64_t margin) const {
    if (empty()) return {};
    return {left - margin, top - margin, right + margin, bottom + margin};
  }

  // The part inside [0, width) x [0, height); empty when there is none.
  [[nodiscard]] constexpr PixelArea within(int64_t width, int64_t height) const {
    const PixelArea cut{std::max<int64_t>(left, 0), std::max<int64_t>(top, 0), std::min(right, width),
                        std::min(bottom, height)};
    return cut.empty() ? PixelArea{} : cut;
  }

  [[nodiscard]] constexpr bool contains(int64_t x, int64_t y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }

  friend constexpr bool operator==(const PixelArea&, const PixelArea&) = default;
};

}  // namespace horaz
