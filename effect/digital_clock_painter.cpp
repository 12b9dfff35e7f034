#include "effect/digital_clock_painter.h"

#include <limits>
#include <string>

#include "effect/truncate_to_int32.h"
#include "module/platform_text.h"
#include "paint/gdiplus_objects.h"
#include "paint/pixel_arithmetic.h"

namespace horaz {

namespace {

// The face used when the record names none, and always for measuring: the
// box is sized with "Arial" whatever the drawing font is.
constexpr char16_t kDefaultFace[] = u"Arial";

// The measured width is widened by a tenth: slack for a drawing font that
// runs wider than the measuring font.
constexpr double kBoxSlack = 1.1;

constexpr INT kBoldAboveWeight = 400;

// The record's face name up to its NUL, never beyond its 32 units (a record
// from the host need not be terminated).
std::u16string faceNameOf(const LOGFONTW& font) {
  std::u16string name;
  for (WCHAR unit : font.lfFaceName) {
    if (unit == WCHAR{}) break;
    name.push_back(static_cast<char16_t>(unit));
  }
  return name.empty() ? std::u16string(kDefaultFace) : name;
}

INT textLength(const char16_t* text) {
  size_t length = std::char_traits<char16_t>::length(text);
  if (length > static_cast<size_t>(std::numeric_limits<INT>::max())) length = std::numeric_limits<INT>::max();
  return static_cast<INT>(length);
}

// A font of the named family, falling back to the generic sans-serif family
// when the name or the font cannot be had. The named family is deleted on
// return; the generic one belongs to GDI+. Empty when even that fails (a
// size of 0, for one).
GdiplusFont makeFontWithFallback(const char16_t* familyName, REAL emSize, INT style) {
  const GdiplusFontFamily named = makeFontFamily(platformText(familyName));
  const GpFontFamily* family = named ? named.get() : genericSansSerifFamily();
  if (family == nullptr) return {};
  GdiplusFont font = makeFont(family, emSize, style, UnitPoint);
  if (!font) {
    if (const GpFontFamily* generic = genericSansSerifFamily()) font = makeFont(generic, emSize, style, UnitPoint);
  }
  return font;
}

void setAlignment(GpStringFormat* format, StringAlignment horizontal, StringAlignment vertical) {
  if (format == nullptr) return;
  GdipSetStringFormatAlign(format, horizontal);
  GdipSetStringFormatLineAlign(format, vertical);
}

}  // namespace

int32_t DigitalClockPainter::fontSize(int32_t baseSize, int32_t lfHeight) noexcept {
  // |INT32_MIN| and the product need more than 32 bits; 64 hold both.
  const int64_t magnitude = lfHeight < 0 ? -int64_t{lfHeight} : int64_t{lfHeight};
  return clampToInt32(int64_t{baseSize} * magnitude / 100);
}

INT DigitalClockPainter::fontStyle(const LOGFONTW& font) noexcept {
  INT style = FontStyleRegular;
  if (font.lfWeight > kBoldAboveWeight) style |= FontStyleBold;
  if (font.lfItalic != 0) style |= FontStyleItalic;
  if (font.lfUnderline != 0) style |= FontStyleUnderline;
  if (font.lfStrikeOut != 0) style |= FontStyleStrikeout;
  return style;
}

void DigitalClockPainter::draw(HDC dc, const char16_t* text, int32_t posX, int32_t posY, int32_t baseSize,
                               ARGB foreground, ARGB background, int32_t alignment, const LOGFONTW& font,
                               bool showBackground, const DrawingAreaNotice& beforeDrawing) {
  if (text == nullptr) text = u"";
  const std::u16string faceName = faceNameOf(font);
  const INT style = fontStyle(font);
  const REAL emSize = static_cast<REAL>(fontSize(baseSize, font.lfHeight));

  // Declared in creation order, so the guards delete the format, the brushes,
  // the drawing object and the fonts, in that order, on every way out.
  const GdiplusFont drawingFont = makeFontWithFallback(faceName.c_str(), emSize, style);
  const GdiplusFont measuringFont = makeFontWithFallback(kDefaultFace, emSize, style);

  const GdiplusGraphics graphics = makeGraphics(dc);
  if (!graphics) return;
  GdipSetTextRenderingHint(graphics.get(), TextRenderingHintClearTypeGridFit);
  GdipSetSmoothingMode(graphics.get(), SmoothingModeHighQuality);

  const GdiplusBrush foregroundBrush = makeSolidBrush(foreground);
  const GdiplusBrush backgroundBrush = makeSolidBrush(background);

  // The whole text's box from the anchor, measured with no format and no
  // layout size. The drawing font is never measured.
  const INT length = textLength(text);
  GpRectF measured{0.0f, 0.0f, 0.0f, 0.0f};
  if (measuringFont) {
    const GpRectF origin{static_cast<REAL>(posX), static_cast<REAL>(posY), 0.0f, 0.0f};
    if (GdipMeasureString(graphics.get(), platformText(text), length, measuringFont.get(), &origin, nullptr, &measured, nullptr,
                          nullptr) != Ok) {
      measured = GpRectF{0.0f, 0.0f, 0.0f, 0.0f};
    }
  }
  const double width = measured.Width;
  const double height = measured.Height;

  const GdiplusStringFormat format = makeStringFormat(0, 0);
  int32_t left = posX;
  int32_t top = posY;
  switch (alignment) {
    case 0:  // the text ends at the anchor
      setAlignment(format.get(), StringAlignmentFar, StringAlignmentCenter);
      left = truncateToInt32(posX - width * kBoxSlack);
      top = truncateToInt32(posY - height / 2);
      break;
    case 1:  // centred on the anchor
      setAlignment(format.get(), StringAlignmentCenter, StringAlignmentCenter);
      left = truncateToInt32(posX - width * kBoxSlack / 2);
      top = truncateToInt32(posY - height / 2);
      break;
    case 2:  // starts at the anchor
      setAlignment(format.get(), StringAlignmentNear, StringAlignmentCenter);
      top = truncateToInt32(posY - height / 2);
      break;
    default:  // the anchor is the box's corner, the format's own alignment
      break;
  }

  const bool showsBox = showBackground && backgroundBrush;
  const bool showsText = drawingFont && foregroundBrush;
  // The layout width widens the truncated width, not the measured one.
  const GpRectF layout{static_cast<REAL>(left), static_cast<REAL>(top),
                       static_cast<REAL>(truncateToInt32(width) * kBoxSlack),
                       static_cast<REAL>(truncateToInt32(height))};
  const INT boxWidth = truncateToInt32(width * kBoxSlack);
  const INT boxHeight = truncateToInt32(height);

  if (beforeDrawing) {
    PixelArea reach;
    if (showsBox) reach = PixelArea::ofRectangle(left, top, boxWidth, boxHeight);
    if (showsText) {
      // Text is cut at a layout rectangle with a width and a height; one
      // without either is no bound at all.
      const bool clipped = layout.Width > 0.0f && layout.Height > 0.0f;
      reach = reach.joined(clipped ? PixelArea::ofRectangle(layout.X, layout.Y, layout.Width, layout.Height)
                                   : PixelArea::everything());
    }
    beforeDrawing(reach.widened(PixelArea::kShapeMargin));
  }

  if (showsBox) GdipFillRectangleI(graphics.get(), backgroundBrush.get(), left, top, boxWidth, boxHeight);
  if (showsText)
    GdipDrawString(graphics.get(), platformText(text), length, drawingFont.get(), &layout, format.get(), foregroundBrush.get());
}

}  // namespace horaz
