// String formats, measuring and drawing text.
#include <cairo.h>

#include <cmath>

#include "draw_recording.h"
#include "error_boundary.h"
#include "graphics_painting.h"
#include "text_layout.h"
#include "utf16.h"

using namespace horaz::platform::detail;
using horaz::platform::RecordedCall;

namespace {

bool validAlignment(StringAlignment align) { return align >= StringAlignmentNear && align <= StringAlignmentFar; }

bool finiteRect(const GpRectF& r) {
  return std::isfinite(r.X) && std::isfinite(r.Y) && std::isfinite(r.Width) && std::isfinite(r.Height);
}

// The fields every string call records.
RecordedCall stringCall(const char* name, GpStatus status, const WCHAR* text, INT length, const GpFont* font,
                        const GpRectF* layout, const GpStringFormat* format) {
  RecordedCall call = namedCall(name, status);
  if (text) call.text.assign(text, textLength(text, length));
  if (layout) call.numbers = {layout->X, layout->Y, layout->Width, layout->Height};
  if (const GpFont* live = liveFont(font)) {
    call.fontFamily = live->family->name;
    call.fontSize = live->emSize;
    call.fontStyle = live->style;
    call.unit = live->unit;
  }
  if (const GpStringFormat* live = liveFormat(format)) {
    call.alignment = live->align;
    call.lineAlignment = live->lineAlign;
  }
  return call;
}

cairo_antialias_t textAntialias(TextRenderingHint hint) {
  return hint == TextRenderingHintSingleBitPerPixel || hint == TextRenderingHintSingleBitPerPixelGridFit
             ? CAIRO_ANTIALIAS_NONE
             : CAIRO_ANTIALIAS_GRAY;
}

void drawLayout(GpGraphics& graphics, const GpFont& font, const TextLayout& layout, const GpRectF& rect, ARGB colour) {
  if (layout.lines.empty()) return;
  // Ink may reach past the padded boxes (italics, accents): allow one em.
  ShapeBounds bounds{layout.lines.front().glyphOrigin, layout.lines.front().top, 0.0, 0.0};
  bounds.right = bounds.left;
  for (const LaidOutLine& line : layout.lines) {
    bounds.left = std::min(bounds.left, line.glyphOrigin);
    bounds.right = std::max(bounds.right, line.glyphOrigin + line.advance);
    bounds.bottom = std::max(bounds.bottom, line.top + layout.lineSpacing);
  }
  bounds = bounds.grown(layout.em);
  if (layout.clip) bounds = bounds.cut({rect.X, rect.Y, double(rect.X) + rect.Width, double(rect.Y) + rect.Height});
  if (bounds.right <= bounds.left || bounds.bottom <= bounds.top) return;
  if (std::max({std::fabs(bounds.left), std::fabs(bounds.top), std::fabs(bounds.right), std::fabs(bounds.bottom)}) >
      kMaxCoordinate)
    return;

  const FaceMetrics& metrics = font.face->metrics;
  const double em = layout.em;
  paintShape(graphics, bounds, [&](cairo_t* cr) {
    if (layout.clip) {
      cairo_rectangle(cr, rect.X, rect.Y, rect.Width, rect.Height);
      cairo_clip(cr);
    }
    setSource(cr, colour);
    cairo_set_font_face(cr, font.face->cairoFace);
    cairo_set_font_size(cr, em);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, textAntialias(graphics.textHint));
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    for (const LaidOutLine& line : layout.lines) {
      std::vector<cairo_glyph_t> glyphs = line.glyphs;
      for (cairo_glyph_t& glyph : glyphs) {
        glyph.x += line.glyphOrigin;
        glyph.y = line.baseline;
      }
      if (!glyphs.empty()) cairo_show_glyphs(cr, glyphs.data(), int(glyphs.size()));
      if (line.advance <= 0.0) continue;
      // Decorations are bars at the face's own positions, at least a pixel thick.
      if (font.style & FontStyleUnderline) {
        const double thickness = std::max(1.0, metrics.underlineThickness * em);
        cairo_rectangle(cr, line.glyphOrigin, line.baseline - metrics.underlinePosition * em - thickness / 2.0,
                        line.advance, thickness);
      }
      if (font.style & FontStyleStrikeout) {
        const double thickness = std::max(1.0, metrics.strikeoutThickness * em);
        cairo_rectangle(cr, line.glyphOrigin, line.baseline - metrics.strikeoutPosition * em, line.advance, thickness);
      }
      cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
      cairo_fill(cr);
    }
  });
}

}  // namespace

extern "C" {

GpStatus WINAPI GdipCreateStringFormat(INT formatAttributes, WORD language, GpStringFormat** format) {
  if (format) *format = nullptr;
  const GpStatus status = gdiplusBoundary([&] {
    if (!gdiplusRunning()) return failed(GdiplusNotInitialized);
    if (!format) return failed(InvalidParameter);
    auto* made = new GpStringFormat;
    made->flags = formatAttributes;
    made->language = language;
    *format = made;
    return Ok;
  });
  recordOnThread([&] {
    RecordedCall call = namedCall("GdipCreateStringFormat", status);
    call.numbers = {double(formatAttributes), double(language)};
    return call;
  });
  return status;
}

GpStatus WINAPI GdipDeleteStringFormat(GpStringFormat* format) {
  if (!liveFormat(format)) return failed(InvalidParameter);
  format->tag = GpTag::Dead;
  delete format;
  recordOnThread([] { return namedCall("GdipDeleteStringFormat", Ok); });
  return Ok;
}

GpStatus WINAPI GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align) {
  GpStatus status = Ok;
  if (!gdiplusRunning())
    status = failed(GdiplusNotInitialized);
  else if (!liveFormat(format) || !validAlignment(align))
    status = failed(InvalidParameter);
  else
    format->align = align;
  recordOnThread([&] {
    RecordedCall call = namedCall("GdipSetStringFormatAlign", status);
    call.mode = align;
    return call;
  });
  return status;
}

GpStatus WINAPI GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align) {
  GpStatus status = Ok;
  if (!gdiplusRunning())
    status = failed(GdiplusNotInitialized);
  else if (!liveFormat(format) || !validAlignment(align))
    status = failed(InvalidParameter);
  else
    format->lineAlign = align;
  recordOnThread([&] {
    RecordedCall call = namedCall("GdipSetStringFormatLineAlign", status);
    call.mode = align;
    return call;
  });
  return status;
}

GpStatus WINAPI GdipMeasureString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                                  const GpRectF* layout, const GpStringFormat* format, GpRectF* box,
                                  INT* codepointsFitted, INT* linesFilled) {
  TextLayout laidOut;
  const GpStatus status = gdiplusBoundary([&] {
    if (!gdiplusRunning()) return failed(GdiplusNotInitialized);
    if (!liveGraphics(graphics) || !text || !liveFont(font) || !layout || !box || length < -1)
      return failed(InvalidParameter);
    if (format && !liveFormat(format)) return failed(InvalidParameter);
    if (!finiteRect(*layout)) return failed(InvalidParameter);
    laidOut = layOutText(*font, std::u16string_view(text, textLength(text, length)), *layout, format);
    *box = laidOut.box;
    if (codepointsFitted) *codepointsFitted = laidOut.codepointsFitted;
    if (linesFilled) *linesFilled = laidOut.linesFilled;
    return Ok;
  });
  if (liveGraphics(graphics)) {
    recordOnDc(graphics->dc, [&] {
      RecordedCall call = stringCall("GdipMeasureString", status, text, length, font, layout, format);
      if (status == Ok) call.result = {laidOut.box.X, laidOut.box.Y, laidOut.box.Width, laidOut.box.Height};
      return call;
    });
  }
  return status;
}

GpStatus WINAPI GdipDrawString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                               const GpRectF* layout, const GpStringFormat* format, const GpBrush* brush) {
  const GpStatus status = gdiplusBoundary([&] {
    if (!gdiplusRunning()) return failed(GdiplusNotInitialized);
    const SolidBrush* solid = liveBrush(brush);
    if (!liveGraphics(graphics) || !text || !liveFont(font) || !layout || !solid || length < -1)
      return failed(InvalidParameter);
    if (format && !liveFormat(format)) return failed(InvalidParameter);
    if (!finiteRect(*layout)) return failed(InvalidParameter);
    const TextLayout laidOut = layOutText(*font, std::u16string_view(text, textLength(text, length)), *layout, format);
    drawLayout(*graphics, *font, laidOut, *layout, solid->colour);
    return Ok;
  });
  if (liveGraphics(graphics)) {
    recordOnDc(graphics->dc, [&] {
      RecordedCall call = stringCall("GdipDrawString", status, text, length, font, layout, format);
      if (const SolidBrush* solid = liveBrush(brush)) call.argb = solid->colour;
      return call;
    });
  }
  return status;
}

}  // extern "C"
