#include "effect/render_conversions.h"

#include <cmath>
#include <limits>

#include "paint/truncate_to_int32.h"

namespace horaz {
namespace {

uint32_t lowByte(double value) { return static_cast<uint32_t>(truncateToInt32(value)) & 0xFFu; }

}  // namespace

ARGB argbColour(double opacity, double red, double green, double blue) noexcept {
  return (lowByte(opacity * 255.0 / 100.0) << 24) | (lowByte(red) << 16) | (lowByte(green) << 8) | lowByte(blue);
}

int32_t percentOfExtent(uint32_t extent, double percent) noexcept {
  return truncateToInt32(static_cast<double>(extent) * percent / 100.0);
}

int32_t clockBaseSize(uint32_t height, double size) noexcept {
  return truncateToInt32(static_cast<double>(height) * (size / 100.0) / 2.0);
}

// 68 / 100 of any 32-bit value fits in 32 bits again; only the product needs
// the wider type.
int32_t ledSize(int32_t baseSize) noexcept { return static_cast<int32_t>(int64_t{baseSize} * 68 / 100); }

float aspectFactorOf(double pixelAspect) noexcept {
  const double factor = 1.0 / pixelAspect;
  // A double beyond the float range has no float value to round to.
  if (std::fabs(factor) > static_cast<double>(std::numeric_limits<float>::max())) {
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    return std::signbit(factor) ? -kInfinity : kInfinity;
  }
  return static_cast<float>(factor);
}

RowSelection rowsToWrite(int32_t fieldMode, int32_t fieldKind, int32_t firstField, int32_t field) noexcept {
  const bool byFields = fieldMode == 1 || ((fieldMode == 2 || fieldMode == 3) && fieldKind == 3);
  if (!byFields) return {0, 1};
  return {firstField != field ? 1 : 0, 2};
}

}  // namespace horaz
