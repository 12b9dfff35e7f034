// How a GDI+ drawing call reaches the pixels: the area it may touch is made
// premultiplied, and cairo draws through a surface that covers exactly that
// area, so nothing outside it can change.
#pragma once

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "gdiplus_objects.h"

namespace horaz::platform::detail {

// Bounds of a shape in logical coordinates (the caller's), before margins.
struct ShapeBounds {
  double left, top, right, bottom;
  ShapeBounds grown(double margin) const { return {left - margin, top - margin, right + margin, bottom + margin}; }
  ShapeBounds cut(const ShapeBounds& other) const {
    return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
            std::min(bottom, other.bottom)};
  }
};

// Coordinates beyond this many pixels from the origin are not drawn; cairo's
// fixed-point geometry would wrap around there.
constexpr double kMaxCoordinate = double(1 << 22);

inline bool isFiniteValue(double v) { return std::isfinite(v); }

inline void setSource(cairo_t* cr, ARGB colour) {
  cairo_set_source_rgba(cr, ((colour >> 16) & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0, (colour & 0xFF) / 255.0,
                        ((colour >> 24) & 0xFF) / 255.0);
}

// Runs `draw` with a cairo context whose user space is the caller's logical
// space and whose target is the part of the bitmap that `bounds` (with a
// one-pixel margin for anti-aliasing) covers within the drawable area.
void paintShape(GpGraphics& graphics, const ShapeBounds& bounds, const std::function<void(cairo_t*)>& draw);

// An opaque rectangle whose edges fall on pixel boundaries covers whole
// pixels, each of which cairo would set to the colour: such a fill writes
// them directly (a clock's boxes and segments are dozens of these per frame,
// each worth a cairo surface and context otherwise). Returns false, having
// done nothing, for any other rectangle.
bool fillWholePixels(GpGraphics& graphics, const ShapeBounds& bounds, ARGB colour);

inline cairo_antialias_t shapeAntialias(const GpGraphics& graphics) {
  return graphics.smoothing == SmoothingModeHighQuality || graphics.smoothing == SmoothingModeAntiAlias ||
                 graphics.smoothing == SmoothingModeAntiAlias8x8
             ? CAIRO_ANTIALIAS_DEFAULT
             : CAIRO_ANTIALIAS_NONE;
}

}  // namespace horaz::platform::detail
