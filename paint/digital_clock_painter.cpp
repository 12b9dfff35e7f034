#include "paint/digital_clock_painter.h"

#include <cmath>
#include <limits>
#include <string>

#include "paint/truncate_to_int32.h"
#include "paint/pixel_arithmetic.h"
#include "paint/platform_text.h"

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

void alignFormat(GpStringFormat* format, StringAlignment horizontal, StringAlignment vertical) {
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

void DigitalClockPainter::setFont(const LOGFONTW& record, int32_t baseSize) {
  const std::u16string faceName = faceNameOf(record);
  const INT style = fontStyle(record);
  const REAL emSize = static_cast<REAL>(fontSize(baseSize, record.lfHeight));
  drawingFont_ = makeFontWithFallback(faceName.c_str(), emSize, style);
  measuringFont_ = makeFontWithFallback(kDefaultFace, emSize, style);
}

void DigitalClockPainter::prepareDrawingObject(GpGraphics* graphics) {
  if (graphics == nullptr) return;
  GdipSetTextRenderingHint(graphics, TextRenderingHintClearTypeGridFit);
  GdipSetSmoothingMode(graphics, SmoothingModeHighQuality);
}

bool DigitalClockPainter::showsBox() const { return showBackground_ && laidOut_->backgroundBrush; }
bool DigitalClockPainter::showsText() const { return drawingFont_ && laidOut_->textBrush; }

// The whole text's box from the anchor, measured with the measuring font, no
// format and no layout size. The drawing font is never measured.
DigitalClockPainter::TextSize DigitalClockPainter::measure(GpGraphics* graphics, const std::u16string& text,
                                                           int32_t posX, int32_t posY) const {
  if (!measuringFont_) return {};
  const GpRectF origin{static_cast<REAL>(posX), static_cast<REAL>(posY), 0.0f, 0.0f};
  GpRectF measured{0.0f, 0.0f, 0.0f, 0.0f};
  if (GdipMeasureString(graphics, platformText(text.c_str()), textLength(text.c_str()), measuringFont_.get(), &origin,
                        nullptr, &measured, nullptr, nullptr) != Ok)
    return {};
  return {measured.Width, measured.Height};
}

// The box's corner by the alignment, and the format's alignment to match.
DigitalClockPainter::Placement DigitalClockPainter::place(const TextSize& size, int32_t posX, int32_t posY,
                                                          GpStringFormat* format) const {
  Placement p{posX, posY};
  switch (alignment_) {
    case 0:  // the text ends at the anchor
      alignFormat(format, StringAlignmentFar, StringAlignmentCenter);
      p.left = truncateToInt32(posX - size.width * kBoxSlack);
      p.top = truncateToInt32(posY - size.height / 2);
      break;
    case 1:  // centred on the anchor
      alignFormat(format, StringAlignmentCenter, StringAlignmentCenter);
      p.left = truncateToInt32(posX - size.width * kBoxSlack / 2);
      p.top = truncateToInt32(posY - size.height / 2);
      break;
    case 2:  // starts at the anchor
      alignFormat(format, StringAlignmentNear, StringAlignmentCenter);
      p.top = truncateToInt32(posY - size.height / 2);
      break;
    default:  // the anchor is the box's corner, the format's own alignment
      break;
  }
  // The layout width widens the truncated width, not the measured one.
  p.layout = GpRectF{static_cast<REAL>(p.left), static_cast<REAL>(p.top),
                     static_cast<REAL>(truncateToInt32(size.width) * kBoxSlack),
                     static_cast<REAL>(truncateToInt32(size.height))};
  p.boxWidth = truncateToInt32(size.width * kBoxSlack);
  p.boxHeight = truncateToInt32(size.height);
  return p;
}

void DigitalClockPainter::layOut(GpGraphics* graphics, int32_t posX, int32_t posY, const char16_t* text) {
  const std::u16string units(text == nullptr ? u"" : text);
  if (laidOut_ && laidOut_->posX == posX && laidOut_->posY == posY && laidOut_->text == units) return;
  laidOut_.reset();
  LaidOut& l = laidOut_.emplace(LaidOut{});
  l.text = units;
  l.posX = posX;
  l.posY = posY;
  l.textBrush = makeSolidBrush(textColour_);
  l.backgroundBrush = makeSolidBrush(backgroundColour_);
  const TextSize size = measure(graphics, l.text, posX, posY);
  l.format = makeStringFormat(0, 0);
  l.placement = place(size, posX, posY, l.format.get());
}

PixelArea DigitalClockPainter::extent(GpGraphics* graphics, int32_t posX, int32_t posY, const char16_t* text) {
  layOut(graphics, posX, posY, text);
  const Placement& p = laidOut_->placement;
  PixelArea reach;
  if (showsBox()) reach = PixelArea::ofRectangle(p.left, p.top, p.boxWidth, p.boxHeight);
  if (showsText()) {
    // Text is cut at a layout rectangle with a width and a height; one
    // without either is no bound at all.
    const bool clipped = p.layout.Width > 0.0f && p.layout.Height > 0.0f;
    reach = reach.joined(clipped ? PixelArea::ofRectangle(p.layout.X, p.layout.Y, p.layout.Width, p.layout.Height)
                                 : PixelArea::everything());
  }
  return reach.widened(PixelArea::kShapeMargin);
}

namespace {

// Whether text laid out at `layout` would land wholly outside what
// `graphics` shows. Wine's GDI+ reads beyond its bitmap for text placed far
// outside it, so such text is not handed to it at all: it would draw nothing
// anyway. A corner 2^30 pixels or more away is out of sight whatever the
// text's size; a layout with a width and a height cuts the text to it.
bool textOutOfSight([[maybe_unused]] GpGraphics* graphics, [[maybe_unused]] const GpRectF& layout) {
#ifdef _WIN32
  constexpr REAL kFarAway = 1073741824.0f;  // 2^30
  if (std::fabs(layout.X) >= kFarAway || std::fabs(layout.Y) >= kFarAway) return true;
  if (!(layout.Width > 0.0f && layout.Height > 0.0f)) return false;
  GpRectF visible{};
  if (GdipGetVisibleClipBounds(graphics, &visible) != Ok) return false;
  return layout.X >= visible.X + visible.Width || layout.Y >= visible.Y + visible.Height ||
         layout.X + layout.Width <= visible.X || layout.Y + layout.Height <= visible.Y;
#else
  return false;
#endif
}

}  // namespace

void DigitalClockPainter::draw(GpGraphics* graphics, int32_t posX, int32_t posY, const char16_t* text) {
  if (graphics == nullptr) return;
  layOut(graphics, posX, posY, text);
  const LaidOut& l = *laidOut_;
  const Placement& p = l.placement;
  if (showsBox()) GdipFillRectangleI(graphics, l.backgroundBrush.get(), p.left, p.top, p.boxWidth, p.boxHeight);
  if (showsText() && !textOutOfSight(graphics, p.layout))
    GdipDrawString(graphics, platformText(l.text.c_str()), textLength(l.text.c_str()), drawingFont_.get(), &p.layout,
                   l.format.get(), l.textBrush.get());
  // The format and brushes go before the caller's drawing object does.
  laidOut_.reset();
}

}  // namespace horaz
