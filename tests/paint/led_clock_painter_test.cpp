#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "paint/led_clock_painter.h"
#include "paint_test_support.h"

namespace horaz::test {
namespace {

using Rect = std::vector<double>;  // left, top, width, height

constexpr ARGB kSegments = 0xFF20C040;
constexpr ARGB kBacking = 0xFF102030;

class LedClockPainterTest : public ::testing::Test {
 protected:
  std::vector<RecordedCall> paint(LedClockPainter& painter, const std::u16string& text, int32_t size = 100,
                                  float aspect = 1.0f, Canvas* target = nullptr) {
    Canvas& surface = target ? *target : canvas;
    return recordPainting(surface, [&](GpGraphics* graphics) {
      painter.draw(graphics, 400, 300, size, aspect, text.data(), static_cast<int32_t>(text.size()));
    });
  }
  std::vector<RecordedCall> paint(const std::u16string& text, int32_t size = 100, float aspect = 1.0f) {
    LedClockPainter painter;
    painter.setSegmentColour(kSegments);
    painter.setBackgroundColour(kBacking);
    return paint(painter, text, size, aspect);
  }

  GdiplusSession session;
  Canvas canvas{800, 600};
};

std::vector<Rect> rectangles(const std::vector<RecordedCall>& calls) {
  std::vector<Rect> result;
  for (const RecordedCall& call : shapes(calls)) {
    EXPECT_EQ(call.name, "GdipFillRectangleI");
    result.push_back(call.numbers);
  }
  return result;
}

TEST_F(LedClockPainterTest, TwelveThirtyFourAtFullSize) {
  LedClockPainter painter;
  painter.setSegmentColour(kSegments);
  painter.setBackgroundColour(kBacking);
  const std::vector<RecordedCall> calls = paint(painter, u"12:34");
  EXPECT_EQ(painter.top(), 275);
  EXPECT_EQ(painter.left(), 297);

  const std::vector<Rect> expected = {
      {287, 270, 225, 65},                                        // backing
      {322, 280, 5, 20},   {322, 305, 5, 20},                     // "1" at 297
      {342, 275, 25, 5},   {367, 280, 5, 20}, {342, 300, 25, 5},  // "2" at 342
      {342, 325, 25, 5},   {337, 305, 5, 20},                     //
      {399, 287, 7, 7},    {399, 315, 7, 7},                      // ":" at 387
      {432, 275, 25, 5},   {457, 280, 5, 20}, {432, 300, 25, 5},  // "3" at 432
      {432, 325, 25, 5},   {457, 305, 5, 20},                     //
      {472, 280, 5, 20},   {502, 280, 5, 20}, {477, 300, 25, 5},  // "4" at 477
      {502, 305, 5, 20},
  };
  EXPECT_EQ(rectangles(calls), expected);

  const std::vector<RecordedCall> drawn = shapes(calls);
  EXPECT_EQ(drawn.front().argb, kBacking);
  for (size_t i = 1; i < drawn.size(); ++i) EXPECT_EQ(drawn[i].argb, kSegments);
  // One brush per rectangle, each deleted.
  EXPECT_EQ(named(calls, "GdipCreateSolidFill").size(), drawn.size());
  EXPECT_EQ(named(calls, "GdipDeleteBrush").size(), drawn.size());
}

TEST_F(LedClockPainterTest, LettersSitInTheLowerPartOfTheCell) {
  const std::vector<Rect> expected = {
      {355, 270, 90, 65},                                                           // backing
      {370, 290, 15, 5},  {365, 295, 5, 30}, {385, 295, 5, 30}, {370, 307, 15, 5},  // "A" at 365
      {410, 290, 15, 5},  {405, 295, 5, 30}, {425, 295, 5, 30}, {415, 290, 5, 15},  // "M" at 410
  };
  EXPECT_EQ(rectangles(paint(u"AM")), expected);
}

TEST_F(LedClockPainterTest, EmptyTextDrawsAZeroWidthBacking) {
  EXPECT_EQ(rectangles(paint(u"")), (std::vector<Rect>{{400, 270, 0, 65}}));
}

struct UnitCase {
  int32_t size;
  float aspect;
  LedClockPainter::HorizontalUnits horizontal;
  LedClockPainter::VerticalUnits vertical;
};

class LedUnitTest : public LedClockPainterTest, public ::testing::WithParamInterface<UnitCase> {};

TEST_P(LedUnitTest, UnitsScaleWithSizeAndAspect) {
  const UnitCase c = GetParam();
  LedClockPainter painter;
  paint(painter, u"8", 100, 1.0f);  // units of an earlier draw must not linger
  paint(painter, u"8", c.size, c.aspect);
  EXPECT_EQ(painter.horizontalUnits(), c.horizontal);
  EXPECT_EQ(painter.verticalUnits(), c.vertical);
}

INSTANTIATE_TEST_SUITE_P(Scales, LedUnitTest,
                         ::testing::Values(UnitCase{100,
                                                    1.0f,
                                                    {5, 10, 15, 20, 25, 30, 32, 12, 7, 40, 45, 50, 60},
                                                    {5, 10, 15, 20, 25, 30, 32, 12, 7, 40, 45, 50, 60, 65}},
                                           UnitCase{73,
                                                    1.0f,
                                                    {3, 7, 10, 14, 18, 21, 23, 8, 5, 29, 32, 36, 43},
                                                    {3, 7, 10, 14, 18, 21, 23, 8, 5, 29, 32, 36, 43, 47}},
                                           UnitCase{73,
                                                    0.9f,
                                                    {4, 8, 12, 16, 20, 24, 25, 9, 5, 32, 36, 40, 48},
                                                    {3, 7, 10, 14, 18, 21, 23, 8, 5, 29, 32, 36, 43, 47}},
                                           UnitCase{0, 1.0f, {}, {}}));

struct GlyphCountCase {
  const char* name;
  std::u16string text;
  size_t rectangles;  // backing included
};

class LedGlyphCountTest : public LedClockPainterTest, public ::testing::WithParamInterface<GlyphCountCase> {};

TEST_P(LedGlyphCountTest, EachCharacterLightsItsRectangles) {
  const GlyphCountCase c = GetParam();
  EXPECT_EQ(rectangles(paint(c.text)).size(), c.rectangles);
}

INSTANTIATE_TEST_SUITE_P(Texts, LedGlyphCountTest,
                         ::testing::Values(GlyphCountCase{"empty", u"", 1}, GlyphCountCase{"eight", u"8", 1 + 7},
                                           GlyphCountCase{"one", u"1", 1 + 2}, GlyphCountCase{"seven", u"7", 1 + 3},
                                           GlyphCountCase{"AM", u"AM", 1 + 8}, GlyphCountCase{"P", u"P", 1 + 4},
                                           GlyphCountCase{"colon", u":", 1 + 2}, GlyphCountCase{"point", u".", 1 + 1},
                                           GlyphCountCase{"digits", u"0123456789",
                                                          1 + 6 + 2 + 5 + 5 + 4 + 5 + 6 + 3 + 7 + 6},
                                           GlyphCountCase{"unknown", u" /-amp", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LedClockPainterTest, UnknownCharactersStillAdvance) {
  // The "8" after three unknown characters starts three advances right of
  // the first origin.
  LedClockPainter painter;
  const std::vector<Rect> drawn = rectangles(paint(painter, u"a -8"));
  ASSERT_EQ(drawn.size(), 1u + 7u);
  EXPECT_EQ(drawn[0], (Rect{400 - 90, 270, 180, 65}));
  EXPECT_EQ(drawn[1], (Rect{painter.left() + 3 * 45.0, 275, 25, 5}));  // the top bar
}

TEST_F(LedClockPainterTest, BackingCanBeSwitchedOff) {
  LedClockPainter painter;
  painter.setShowBackground(false);
  EXPECT_EQ(rectangles(paint(painter, u"1")), (std::vector<Rect>{{412, 280, 5, 20}, {412, 305, 5, 20}}));
}

TEST_F(LedClockPainterTest, ExtremeInputsStayDefined) {
  LedClockPainter painter;
  paint(painter, u"88:88", INT32_MAX, 1.0f);
  paint(painter, u"88:88", INT32_MIN, 1e-30f);
  paint(painter, u"88:88", 100, 0.0f);
  recordPainting(canvas, [&](GpGraphics* graphics) { painter.draw(graphics, 400, 300, 100, 1.0f, nullptr, 5); });
}

// Integer rectangles fill whole pixels even with anti-aliasing, so an opaque
// clock over a transparent surface lights exactly the pixels of its
// rectangles, segments over the backing.
struct PixelCase {
  const char* name;
  std::u16string text;
  int32_t size;
  float aspect;
  bool backing;
};

class LedPixelTest : public LedClockPainterTest, public ::testing::WithParamInterface<PixelCase> {};

TEST_P(LedPixelTest, LightsExactlyItsRectangles) {
  const PixelCase c = GetParam();
  Canvas surface(800, 600);
  LedClockPainter painter;
  painter.setSegmentColour(kSegments);
  painter.setBackgroundColour(kBacking);
  painter.setShowBackground(c.backing);
  const std::vector<RecordedCall> drawn = shapes(paint(painter, c.text, c.size, c.aspect, &surface));
  ASSERT_FALSE(drawn.empty());

  std::vector<uint32_t> expected(800 * 600, 0u);
  for (const RecordedCall& call : drawn) {
    const int left = static_cast<int>(call.numbers[0]);
    const int top = static_cast<int>(call.numbers[1]);
    for (int y = top; y < top + static_cast<int>(call.numbers[3]); ++y) {
      for (int x = left; x < left + static_cast<int>(call.numbers[2]); ++x) expected[y * 800 + x] = call.argb;
    }
  }
  int mismatches = 0;
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 800; ++x) {
      if (surface.pixel(x, y) != expected[y * 800 + x] && ++mismatches <= 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << surface.pixel(x, y) << ", expected "
                      << expected[y * 800 + x];
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(Clocks, LedPixelTest,
                         ::testing::Values(PixelCase{"segments", u"12:34", 100, 1.0f, false},
                                           PixelCase{"withBacking", u"12:34", 100, 1.0f, true},
                                           PixelCase{"allGlyphs", u"0123456789:.APM", 68, 0.9f, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horaz::test
