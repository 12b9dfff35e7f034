#include "paint/led_clock_painter.h"

#include <initializer_list>
#include <span>
#include <tuple>

#include "paint/gdiplus_objects.h"
#include "paint/pixel_arithmetic.h"
#include "paint/truncate_to_int32.h"

namespace horaz {

namespace {

// One rectangle of a glyph in design steps, relative to the character's
// origin (x, y): left x + H(x), top y + V(y), width H(width), height
// V(height). A negative x step reaches left of the origin.
struct GlyphRect {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
};

// The seven segments in drawing order, each with the digits it lights (bit d
// for digit d). A digit spans x - H(5) to x + H(25) + H(5) and y to
// y + V(50) + V(5).
struct Segment {
  GlyphRect rect;
  uint16_t digits;
};

constexpr uint16_t digitSet(std::initializer_list<int> digits) {
  uint16_t set = 0;
  for (int digit : digits) set = static_cast<uint16_t>(set | (1u << digit));
  return set;
}

constexpr Segment kSegments[] = {
    {{0, 0, 25, 5}, digitSet({0, 2, 3, 5, 6, 7, 8, 9})},       // top
    {{-5, 5, 5, 20}, digitSet({0, 4, 5, 6, 8, 9})},            // upper left
    {{25, 5, 5, 20}, digitSet({0, 1, 2, 3, 4, 7, 8, 9})},      // upper right
    {{0, 25, 25, 5}, digitSet({2, 3, 4, 5, 6, 8, 9})},         // middle
    {{0, 50, 25, 5}, digitSet({0, 2, 3, 5, 6, 8, 9})},         // bottom
    {{-5, 30, 5, 20}, digitSet({0, 2, 6, 8})},                 // lower left
    {{25, 30, 5, 20}, digitSet({0, 1, 3, 4, 5, 6, 7, 8, 9})},  // lower right
};

// The letters sit in the lower part of the cell (V(15) to V(50)), shorter
// than the digits, with open corners.
constexpr GlyphRect kLetterA[] = {{5, 15, 15, 5}, {0, 20, 5, 30}, {20, 20, 5, 30}, {5, 32, 15, 5}};
constexpr GlyphRect kLetterP[] = {{5, 15, 15, 5}, {0, 20, 5, 30}, {20, 20, 5, 12}, {5, 32, 15, 5}};
constexpr GlyphRect kLetterM[] = {{0, 15, 15, 5}, {-5, 20, 5, 30}, {15, 20, 5, 30}, {5, 15, 5, 15}};
constexpr GlyphRect kColon[] = {{12, 12, 7, 7}, {12, 40, 7, 7}};
constexpr GlyphRect kPoint[] = {{12, 40, 7, 7}};

constexpr size_t kHorizontalUnitCount = std::tuple_size_v<LedClockPainter::HorizontalUnits>;

constexpr size_t unitIndex(int32_t k) {
  const int32_t magnitude = k < 0 ? -k : k;
  for (size_t i = 0; i < LedClockPainter::kUnitSteps.size(); ++i) {
    if (LedClockPainter::kUnitSteps[i] == magnitude) return i;
  }
  return LedClockPainter::kUnitSteps.size();
}

constexpr bool usesOnlyGridUnits(std::span<const GlyphRect> rects) {
  for (const GlyphRect& r : rects) {
    if ((r.x != 0 && unitIndex(r.x) >= kHorizontalUnitCount) || (r.y != 0 && unitIndex(r.y) >= 14) ||
        unitIndex(r.width) >= kHorizontalUnitCount || unitIndex(r.height) >= 14) {
      return false;
    }
  }
  return true;
}
static_assert(usesOnlyGridUnits(kLetterA) && usesOnlyGridUnits(kLetterP) && usesOnlyGridUnits(kLetterM) &&
              usesOnlyGridUnits(kColon) && usesOnlyGridUnits(kPoint));
static_assert([] {
  for (const Segment& segment : kSegments) {
    if (!usesOnlyGridUnits(std::span<const GlyphRect>(&segment.rect, 1))) return false;
  }
  return true;
}());

constexpr int32_t kAdvance = 45;     // every character's width
constexpr int32_t kFirstInset = 10;  // from the backing's left edge to the first origin
constexpr int32_t kMidline = 25;     // from the top of the characters to the centre
constexpr int32_t kBackingOverhang = 5;
constexpr int32_t kBackingHeight = 65;

}  // namespace

LedClockPainter::LedClockPainter() {
  for (size_t i = 0; i < horizontal_.size(); ++i) horizontal_[i] = kUnitSteps[i];
  for (size_t i = 0; i < vertical_.size(); ++i) vertical_[i] = kUnitSteps[i];
}

void LedClockPainter::scaleUnits(int32_t size, float aspectFactor) {
  const double scale = size / 100.0;
  // The horizontal scale is narrowed to single precision before use, and the
  // horizontal units are multiplied in single precision with it.
  const float horizontalScale = static_cast<float>(divideByAspect(scale, static_cast<double>(aspectFactor)));
  for (size_t i = 0; i < vertical_.size(); ++i) vertical_[i] = truncateToInt32(kUnitSteps[i] * scale);
  for (size_t i = 0; i < horizontal_.size(); ++i) {
    horizontal_[i] = truncateToInt32(static_cast<float>(kUnitSteps[i]) * horizontalScale);
  }
}

int64_t LedClockPainter::h(int32_t k) const {
  if (k == 0) return 0;
  const int64_t unit = horizontal_[unitIndex(k)];
  return k < 0 ? -unit : unit;
}

int64_t LedClockPainter::v(int32_t k) const {
  if (k == 0) return 0;
  const int64_t unit = vertical_[unitIndex(k)];
  return k < 0 ? -unit : unit;
}

void LedClockPainter::place(int32_t centreX, int32_t centreY, int32_t size, float aspectFactor, int32_t length) {
  scaleUnits(size, aspectFactor);
  top_ = clampToInt32(int64_t{centreY} - v(kMidline));
  // The halving is done in floating point, so an odd width puts the text
  // half a unit right of centre before the truncation.
  left_ =
      truncateToInt32(centreX - static_cast<double>(h(kAdvance)) * length / 2.0 + static_cast<double>(h(kFirstInset)));
}

template <class Visit>
void LedClockPainter::forEachRectangle(const char16_t* text, int32_t length, Visit&& visit) const {
  // Each number pinned to 32 bits, as the drawing interface takes them.
  auto rectangle = [&visit](ARGB colour, int64_t x, int64_t y, int64_t width, int64_t height) {
    visit(colour, clampToInt32(x), clampToInt32(y), clampToInt32(width), clampToInt32(height));
  };
  if (showBackground_) {
    rectangle(backgroundColour_, int64_t{left_} - h(kFirstInset), int64_t{top_} - v(kBackingOverhang),
              h(kAdvance) * length, v(kBackingHeight));
  }
  for (int32_t i = 0; i < length; ++i) {
    const int64_t x = int64_t{left_} + i * h(kAdvance);
    const int64_t y = top_;
    auto glyph = [&](std::span<const GlyphRect> rects) {
      for (const GlyphRect& r : rects) rectangle(segmentColour_, x + h(r.x), y + v(r.y), h(r.width), v(r.height));
    };
    // Letters match in upper case only; anything unknown draws nothing.
    switch (text[i]) {
      case u'A': glyph(kLetterA); continue;
      case u'P': glyph(kLetterP); continue;
      case u'M': glyph(kLetterM); continue;
      case u':': glyph(kColon); continue;
      case u'.': glyph(kPoint); continue;
      default: break;
    }
    if (text[i] < u'0' || text[i] > u'9') continue;
    const int digit = text[i] - u'0';
    // Unlit segments are not drawn at all: the backing shows through.
    for (const Segment& segment : kSegments) {
      if (segment.digits & (1u << digit)) glyph(std::span<const GlyphRect>(&segment.rect, 1));
    }
  }
}

void LedClockPainter::draw(GpGraphics* graphics, int32_t centreX, int32_t centreY, int32_t size, float aspectFactor,
                           const char16_t* text, int32_t length) {
  if (text == nullptr) length = 0;
  place(centreX, centreY, size, aspectFactor, length);
  if (graphics == nullptr) return;
  forEachRectangle(text, length, [&](ARGB colour, INT x, INT y, INT width, INT height) {
    fillRectangle(graphics, colour, x, y, width, height);
  });
}

PixelArea LedClockPainter::extent(int32_t centreX, int32_t centreY, int32_t size, float aspectFactor,
                                  const char16_t* text, int32_t length) {
  if (text == nullptr) length = 0;
  place(centreX, centreY, size, aspectFactor, length);
  PixelArea outline;
  forEachRectangle(text, length, [&](ARGB, INT x, INT y, INT width, INT height) {
    outline = outline.joined(PixelArea::ofRectangle(x, y, width, height));
  });
  return outline.widened(PixelArea::kShapeMargin);
}

void LedClockPainter::fillRectangle(GpGraphics* graphics, ARGB colour, INT x, INT y, INT width, INT height) const {
  const GdiplusBrush brush = makeSolidBrush(colour);
  if (!brush) return;
  GdipFillRectangleI(graphics, brush.get(), x, y, width, height);
}

}  // namespace horaz
