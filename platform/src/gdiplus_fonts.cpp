// Font families and fonts.
#include <cairo.h>

#include <cmath>
#include <cstring>

#include "draw_recording.h"
#include "error_boundary.h"
#include "gdiplus_objects.h"
#include "utf16.h"
#include "wingdi.h"

using namespace horaz::platform::detail;
using horaz::platform::RecordedCall;

namespace {

// The one generic sans-serif family object; never freed, never counted.
GpFontFamily* genericSansSerifObject() {
  static GpFontFamily* generic = [] {
    const FontFamilyEntry* entry = FontCatalog::instance().genericSansSerif();
    return entry ? new GpFontFamily(entry, true) : nullptr;
  }();
  return generic;
}

constexpr double kMaxEmPixels = 65535.0;

// Layout measures with unhinted metrics so sizes scale exactly.
std::shared_ptr<cairo_scaled_font_t> measuringFont(const FontFace& face, double emPixels) {
  cairo_matrix_t size, identity;
  cairo_matrix_init_scale(&size, emPixels, emPixels);
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_scaled_font_t* font = cairo_scaled_font_create(face.cairoFace, &size, &identity, options);
  cairo_font_options_destroy(options);
  if (cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS) {
    cairo_scaled_font_destroy(font);
    raise(GenericError);
  }
  return std::shared_ptr<cairo_scaled_font_t>(font, cairo_scaled_font_destroy);
}

}  // namespace

extern "C" {

GpStatus WINAPI GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection* collection, GpFontFamily** family) {
  if (family) *family = nullptr;
  const FontFamilyEntry* entry = nullptr;
  const GpStatus status = gdiplusBoundary([&] {
    if (!gdiplusRunning()) return failed(GdiplusNotInitialized);
    // Only the system's collection exists here.
    if (!name || !family || collection) return failed(InvalidParameter);
    entry = FontCatalog::instance().findFamily(std::u16string_view(name, textLength(name, -1)));
    if (!entry) return failed(FontFamilyNotFound);
    *family = new GpFontFamily(entry, false);
    return Ok;
  });
  recordOnThread([&] {
    RecordedCall call = namedCall("GdipCreateFontFamilyFromName", status);
    if (name) call.text = name;
    if (entry) call.fontFamily = entry->name;
    return call;
  });
  return status;
}

GpStatus WINAPI GdipGetGenericFontFamilySansSerif(GpFontFamily** family) {
  if (family) *family = nullptr;
  const GpStatus status = gdiplusBoundary([&] {
    if (!gdiplusRunning()) return failed(GdiplusNotInitialized);
    if (!family) return failed(InvalidParameter);
    GpFontFamily* generic = genericSansSerifObject();
    if (!generic) return failed(FontFamilyNotFound);
    *family = generic;
    return Ok;
  });
  recordOnThread([&] {
    RecordedCall call = namedCall("GdipGetGenericFontFamilySansSerif", status);
    if (status == Ok) call.fontFamily = (*family)->entry->name;
    return call;
  });
  return status;
}

GpStatus WINAPI GdipDeleteFontFamily(GpFontFamily* family) {
  if (!liveFamily(family)) return failed(InvalidParameter);
  if (!family->generic) {
    family->tag = GpTag::Dead;
    delete family;
  }
  recordOnThread([] { return namedCall("GdipDeleteFontFamily", Ok); });
  return Ok;
}

GpStatus WINAPI GdipGetFamilyName(const GpFontFamily* family, WCHAR* name, WORD) {
  if (!gdiplusRunning()) return failed(GdiplusNotInitialized);
  if (!liveFamily(family) || !name) return failed(InvalidParameter);
  const std::u16string& text = family->entry->name16;
  const std::size_t n = std::min<std::size_t>(text.size(), LF_FACESIZE - 1);
  std::memcpy(name, text.data(), n * sizeof(WCHAR));
  name[n] = 0;
  return Ok;
}

GpStatus WINAPI GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, Unit unit, GpFont** font) {
  if (font) *font = nullptr;
  const GpStatus status = gdiplusBoundary([&] {
    if (!gdiplusRunning()) return failed(GdiplusNotInitialized);
    if (!liveFamily(family) || !font) return failed(InvalidParameter);
    // A size of 0 or less cannot be drawn; UnitDisplay has no size of its own.
    const double perUnit = pixelsPerUnit(unit);
    if (!std::isfinite(emSize) || emSize <= 0.0f || perUnit == 0.0) return failed(InvalidParameter);
    const double emPixels = emSize * perUnit;
    // FreeType sizes glyphs in at most 65535 pixels per em; a larger font
    // fails inside cairo, which loses the font it had made on that path.
    if (emPixels > kMaxEmPixels) return failed(InvalidParameter);
    const FontFace* face = FontCatalog::instance().face(*family->entry, style);
    if (!face) return failed(FontStyleNotFound);
    auto made = std::make_unique<GpFont>();
    made->family = family->entry;
    made->face = face;
    made->emSize = emSize;
    made->style = style & (FontStyleBold | FontStyleItalic | FontStyleUnderline | FontStyleStrikeout);
    made->unit = static_cast<GpUnit>(unit);
    made->emPixels = emPixels;
    made->measuring = measuringFont(*face, emPixels);
    *font = made.release();
    return Ok;
  });
  recordOnThread([&] {
    RecordedCall call = namedCall("GdipCreateFont", status);
    if (liveFamily(family)) call.fontFamily = family->entry->name;
    call.fontSize = emSize;
    call.fontStyle = style;
    call.unit = unit;
    call.numbers = {emSize};
    return call;
  });
  return status;
}

GpStatus WINAPI GdipDeleteFont(GpFont* font) {
  if (!liveFont(font)) return failed(InvalidParameter);
  font->tag = GpTag::Dead;
  delete font;
  recordOnThread([] { return namedCall("GdipDeleteFont", Ok); });
  return Ok;
}

GpStatus WINAPI GdipGetFontSize(GpFont* font, REAL* size) {
  if (!gdiplusRunning()) return failed(GdiplusNotInitialized);
  if (!liveFont(font) || !size) return failed(InvalidParameter);
  *size = font->emSize;
  return Ok;
}

}  // extern "C"
