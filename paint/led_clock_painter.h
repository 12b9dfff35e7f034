#pragma once

#include <gdiplusflat.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "paint/pixel_area.h"

namespace horaz {

// Draws a line of text as seven-segment digits and block letters: every
// character is a set of filled axis-aligned rectangles on an optional backing
// rectangle. Made fresh for every frame, configured by the setters, then
// drawn once. Every brush lives for one rectangle only.
class LedClockPainter {
 public:
  // The glyph design grid: at size 100 and an aspect factor of 1 the units
  // H(k) and V(k) are k pixels. The horizontal units are the first 13 steps,
  // the vertical units all 14, in this order.
  static constexpr std::array<int32_t, 14> kUnitSteps = {5, 10, 15, 20, 25, 30, 32, 12, 7, 40, 45, 50, 60, 65};
  using HorizontalUnits = std::array<int32_t, 13>;
  using VerticalUnits = std::array<int32_t, 14>;

  LedClockPainter();

  void setSegmentColour(ARGB colour) { segmentColour_ = colour; }
  void setBackgroundColour(ARGB colour) { backgroundColour_ = colour; }
  void setShowBackground(bool show) { showBackground_ = show; }

  // Draws `length` code units of `text` centred on (centreX, centreY) at
  // `size` percent of the design grid; every horizontal extent is divided by
  // `aspectFactor`. Every character advances by H(45), also one that draws
  // nothing. A null `text` counts as empty; `graphics` may be null (nothing
  // is drawn). Results of the drawing calls are not examined.
  void draw(GpGraphics* graphics, int32_t centreX, int32_t centreY, int32_t size, float aspectFactor,
            const char16_t* text, int32_t length);

  // Every pixel that draw() with the same arguments can touch: the backing
  // and the glyphs' rectangles, widened by PixelArea::kShapeMargin. Sets the
  // same geometry as draw().
  [[nodiscard]] PixelArea extent(int32_t centreX, int32_t centreY, int32_t size, float aspectFactor,
                                 const char16_t* text, int32_t length);

  // Geometry of the last draw (the defaults before the first).
  [[nodiscard]] int32_t top() const { return top_; }
  [[nodiscard]] int32_t left() const { return left_; }
  [[nodiscard]] const HorizontalUnits& horizontalUnits() const { return horizontal_; }
  [[nodiscard]] const VerticalUnits& verticalUnits() const { return vertical_; }

 private:
  void scaleUnits(int32_t size, float aspectFactor);
  // H(k) and V(k) for a design step k (0 gives 0; a negative step the
  // negated unit, for offsets to the left).
  [[nodiscard]] int64_t h(int32_t k) const;
  [[nodiscard]] int64_t v(int32_t k) const;
  void place(int32_t centreX, int32_t centreY, int32_t size, float aspectFactor, int32_t length);
  // Calls visit(colour, x, y, width, height) for every rectangle draw()
  // fills, in drawing order: the backing (when shown), then each glyph's;
  // the numbers are computed in 64 bits and pinned to the 32-bit range.
  template <class Visit>
  void forEachRectangle(const char16_t* text, int32_t length, Visit&& visit) const;
  void fillRectangle(GpGraphics* graphics, ARGB colour, INT x, INT y, INT width, INT height) const;

  ARGB segmentColour_ = 0xFFFFFFFF;
  ARGB backgroundColour_ = 0xFF000000;
  int32_t top_ = 100;
  int32_t left_ = 100;
  bool showBackground_ = true;
  HorizontalUnits horizontal_{};
  VerticalUnits vertical_{};
};

}  // namespace horaz
