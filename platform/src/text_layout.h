// Lays a string out the way GdipMeasureString and GdipDrawString see it:
// lines, their glyphs and boxes. The conventions are listed in gdiplusflat.h.
#pragma once

#include <cairo.h>

#include <string_view>
#include <vector>

#include "gdiplus_objects.h"

namespace horaz::platform::detail {

struct LaidOutLine {
  std::vector<cairo_glyph_t> glyphs;  // x from the line's glyph origin, y 0 (the baseline)
  double glyphOrigin = 0.0;           // x of the first glyph (the box's left edge plus the padding)
  double advance = 0.0;               // advance width, trailing spaces left out
  double top = 0.0;                   // top of the line's cell
  double baseline = 0.0;
  double boxLeft = 0.0, boxWidth = 0.0;  // padded box; width 0 for a blank line
};

struct TextLayout {
  std::vector<LaidOutLine> lines;  // the lines that are at least partly visible
  GpRectF box{};                   // measured box
  int codepointsFitted = 0;        // code units of the visible lines
  int linesFilled = 0;
  double em = 0.0;  // em size in pixels
  double lineSpacing = 0.0;
  bool clip = false;  // drawing is clipped to the layout rectangle
};

TextLayout layOutText(const GpFont& font, std::u16string_view text, const GpRectF& layout,
                      const GpStringFormat* format);

}  // namespace horaz::platform::detail
