#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

#include "definition/list_values.h"

namespace horaz::interaction {

// The overlay's marker in normalized frame coordinates (0 and 1 are the
// frame's edges): an ellipse around the clock's centre with the horizontal
// half-axis S x A and the vertical half-axis S x 0.5.

// The extent S of a clock of `size` percent: the digital clock's text box and
// the LED clock's digits are smaller than the analog face.
constexpr double kDigitalExtentDivisor = 2.5;
constexpr double kLedExtentDivisor = 4.5;

constexpr double clockExtent(double size, int32_t clockType) {
  using definition::ClockType;
  double extent = size / 100.0;
  if (clockType == definition::listValue(ClockType::kDigital)) extent /= kDigitalExtentDivisor;
  if (clockType == definition::listValue(ClockType::kLed)) extent /= kLedExtentDivisor;
  return extent;
}

// The `Size` percentage that gives the extent `extent` (the inverse).
constexpr double sizeForExtent(double extent, int32_t clockType) {
  using definition::ClockType;
  double size = extent * 100.0;
  if (clockType == definition::listValue(ClockType::kDigital)) size *= kDigitalExtentDivisor;
  if (clockType == definition::listValue(ClockType::kLed)) size *= kLedExtentDivisor;
  return size;
}

// A = 1 / (2e) for the aspect value e. A host that reports no usable aspect
// (0, negative, not a number, or so extreme that A is not a positive finite
// number) gets square pixels (A = 0.5) rather than a division by zero and a
// marker that cannot be hit.
inline double halfWidthFactor(double aspect) {
  constexpr double kSquarePixels = 0.5;
  if (!(std::isfinite(aspect) && aspect > 0.0)) return kSquarePixels;
  const double factor = 1.0 / (2.0 * aspect);
  return std::isfinite(factor) && factor > 0.0 ? factor : kSquarePixels;
}

// The distance of (x, y) from the centre in units of the marker ellipse: S
// on the ellipse, less inside, 0 at the centre. `widthFactor` is A (> 0).
inline double ellipseDistance(double x, double y, double centreX, double centreY, double widthFactor) {
  const double dx = (x - centreX) / widthFactor;
  const double dy = (y - centreY) / 0.5;
  return std::sqrt(dx * dx + dy * dy);
}

// The handles' hit tolerance 30 / N for the viewer's hit scale N. A viewer
// that reports 0 has no scale to hit anything at: no tolerance at all, rather
// than an infinite one that would make every press grab the ring.
inline std::optional<double> hitTolerance(uint16_t hitScale) {
  if (hitScale == 0) return std::nullopt;
  return 30.0 / hitScale;
}

}  // namespace horaz::interaction
