// GDI+'s objects behind the opaque pointers of gdiplusflat.h.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>

#include "font_catalog.h"
#include "gdiplusflat.h"
#include "live_counters.h"
#include "pixel_store.h"

// Each object starts with a tag so a pointer of the wrong kind (or one
// already deleted, whose tag is wiped) is refused instead of used.
enum class GpTag : std::uint32_t {
  Dead = 0,
  Graphics = 0x47524146,
  Brush = 0x42525348,
  Pen = 0x50454E31,
  Family = 0x46414D49,
  Font = 0x464F4E54,
  Format = 0x46524D54,
};

struct GpGraphics {
  GpGraphics();
  ~GpGraphics();
  GpTag tag = GpTag::Graphics;
  const void* dc = nullptr;                                    // for recordings
  std::shared_ptr<horaz::platform::detail::PixelStore> store;  // null: nothing to draw on
  horaz::platform::detail::PixelRect area;                     // device pixels that may be written
  double originX = 0.0, originY = 0.0;                         // device = logical + origin
  SmoothingMode smoothing = SmoothingModeDefault;
  TextRenderingHint textHint = TextRenderingHintSystemDefault;
  horaz::platform::detail::CountedLive<&horaz::platform::detail::LiveCounters::graphics> counted;
};

struct SolidBrush final : GpSolidFill {
  explicit SolidBrush(ARGB colour) : colour(colour) {}
  GpTag tag = GpTag::Brush;
  ARGB colour;
  horaz::platform::detail::CountedLive<&horaz::platform::detail::LiveCounters::gdiplusBrushes> counted;
};

struct GpPen {
  GpPen(ARGB colour, REAL width, GpUnit unit) : colour(colour), width(width), unit(unit) {}
  GpTag tag = GpTag::Pen;
  ARGB colour;
  REAL width;
  GpUnit unit;
  horaz::platform::detail::CountedLive<&horaz::platform::detail::LiveCounters::gdiplusPens> counted;
};

struct GpFontFamily {
  explicit GpFontFamily(const horaz::platform::detail::FontFamilyEntry* entry, bool generic)
      : entry(entry), generic(generic) {
    if (!generic) horaz::platform::detail::liveCounters().fontFamilies.fetch_add(1, std::memory_order_relaxed);
  }
  ~GpFontFamily() {
    if (!generic) horaz::platform::detail::liveCounters().fontFamilies.fetch_sub(1, std::memory_order_relaxed);
  }
  GpTag tag = GpTag::Family;
  const horaz::platform::detail::FontFamilyEntry* entry;  // lives as long as the process
  const bool generic;                                     // the shared generic family: never freed
};

struct GpFont {
  GpTag tag = GpTag::Font;
  const horaz::platform::detail::FontFamilyEntry* family = nullptr;
  const horaz::platform::detail::FontFace* face = nullptr;
  REAL emSize = 0.0f;  // as given, in `unit`
  INT style = 0;
  GpUnit unit = UnitPoint;
  double emPixels = 0.0;
  std::shared_ptr<cairo_scaled_font_t> measuring;  // emPixels, unhinted metrics
  horaz::platform::detail::CountedLive<&horaz::platform::detail::LiveCounters::fonts> counted;
};

struct GpStringFormat {
  GpTag tag = GpTag::Format;
  INT flags = 0;
  WORD language = 0;
  StringAlignment align = StringAlignmentNear;
  StringAlignment lineAlign = StringAlignmentNear;
  horaz::platform::detail::CountedLive<&horaz::platform::detail::LiveCounters::stringFormats> counted;
};

namespace horaz::platform::detail {

// True while at least one start-up is in force.
bool gdiplusRunning();

// The object behind a pointer when its tag matches; null otherwise.
inline GpGraphics* liveGraphics(GpGraphics* g) { return g && g->tag == GpTag::Graphics ? g : nullptr; }
inline const SolidBrush* liveBrush(const GpBrush* b) {
  auto* brush = static_cast<const SolidBrush*>(static_cast<const GpSolidFill*>(b));
  return brush && brush->tag == GpTag::Brush ? brush : nullptr;
}
inline const GpPen* livePen(const GpPen* p) { return p && p->tag == GpTag::Pen ? p : nullptr; }
inline const GpFontFamily* liveFamily(const GpFontFamily* f) { return f && f->tag == GpTag::Family ? f : nullptr; }
inline const GpFont* liveFont(const GpFont* f) { return f && f->tag == GpTag::Font ? f : nullptr; }
inline const GpStringFormat* liveFormat(const GpStringFormat* f) { return f && f->tag == GpTag::Format ? f : nullptr; }

// Pixels per unit for sizes of fonts and pens (96 dots per inch); 0 for
// units that have no size of their own (UnitDisplay) or unknown ones.
double pixelsPerUnit(int unit);

}  // namespace horaz::platform::detail
