#pragma once

#include <gdiplusflat.h>

#include <cstdint>

namespace horaz {

// The render's conversions from parameter values and frame answers to what
// the painters take. Each is defined for any value a host may hand over
// (NaN, infinities, values far outside the parameter ranges): nothing here
// is undefined, and out-of-range results are pinned as the comments say.

// 0xAARRGGBB with alpha = trunc(opacity x 255 / 100) and each channel
// truncated; of every component only the low 8 bits are kept, as the
// parameter ranges (channels 0 to 255, opacity 0 to 100) keep them in range
// anyway. Values beyond the 32-bit range saturate first and NaN counts as 0.
[[nodiscard]] ARGB argbColour(double opacity, double red, double green, double blue) noexcept;

// trunc(extent x percent / 100): the clock's centre in pixels. The extent is
// the frame's width or height taken as unsigned, the arithmetic in double;
// the result saturates at the 32-bit range (NaN gives 0).
[[nodiscard]] int32_t percentOfExtent(uint32_t extent, double percent) noexcept;

// trunc(height x (size / 100) / 2): half of `Size` percent of the frame
// height, the analog clock's radius and the other painters' base.
[[nodiscard]] int32_t clockBaseSize(uint32_t height, double size) noexcept;

// baseSize x 68 / 100 in integers, the LED painter's size. Computed in 64
// bits so that no base size overflows.
[[nodiscard]] int32_t ledSize(int32_t baseSize) noexcept;

// 1 / pixelAspect, handed to the painters in single precision. A pixel
// aspect of 0 gives an infinite factor; factors beyond the float range
// become infinities of their sign instead of an undefined conversion.
[[nodiscard]] float aspectFactorOf(double pixelAspect) noexcept;

// Which output rows a render call writes: startRow, startRow + rowStep, ...
struct RowSelection {
  int32_t startRow = 0;
  int32_t rowStep = 1;
  friend bool operator==(const RowSelection&, const RowSelection&) = default;
};

// Every row, unless the frame is rendered by fields: field mode 1, or field
// mode 2 or 3 with field kind 3. Then every second row, from row 0 when the
// frame's first field is the field being rendered and from row 1 otherwise.
[[nodiscard]] RowSelection rowsToWrite(int32_t fieldMode, int32_t fieldKind, int32_t firstField,
                                       int32_t field) noexcept;

}  // namespace horaz
