#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "paint/analog_clock_painter.h"
#include "paint_test_support.h"

namespace horaz::test {
namespace {

constexpr ARGB kHands = 0xFF20C040;
constexpr ARGB kDial = 0x80102030;

class AnalogClockPainterTest : public ::testing::Test {
 protected:
  std::vector<RecordedCall> paint(AnalogClockPainter& painter, int32_t radius, float aspect, int32_t hours,
                                  int32_t minutes, int32_t seconds) {
    return recordPainting(canvas, [&](GpGraphics* graphics) {
      painter.draw(graphics, 200, 150, radius, aspect, hours, minutes, seconds);
    });
  }
  std::vector<RecordedCall> paint(int32_t radius, float aspect, int32_t hours, int32_t minutes, int32_t seconds) {
    AnalogClockPainter painter;
    painter.setHandAndMarkColour(kHands);
    painter.setDialColour(kDial);
    return paint(painter, radius, aspect, hours, minutes, seconds);
  }

  GdiplusSession session;
  Canvas canvas{400, 300};
};

std::vector<double> flatten(const std::vector<GpPointF>& points) {
  std::vector<double> numbers;
  for (const GpPointF& p : points) {
    numbers.push_back(p.X);
    numbers.push_back(p.Y);
  }
  return numbers;
}

TEST_F(AnalogClockPainterTest, ThreeOClockDrawsDialMarksAndHandsInOrder) {
  const std::vector<RecordedCall> drawn = shapes(paint(100, 1.0f, 3, 0, 0));
  ASSERT_EQ(drawn.size(), 1u + 12u + 3u);

  EXPECT_EQ(drawn[0].name, "GdipFillEllipseI");
  EXPECT_EQ(drawn[0].numbers, (std::vector<double>{100, 50, 200, 200}));
  EXPECT_EQ(drawn[0].argb, kDial);

  // Top-left corners at 0.9 of the radius for steps 0, 5, ... 55; side
  // markUnit / 2 + 1 = 3.
  const GpPointF corners[12] = {{200, 61},  {245, 73},  {278, 106}, {290, 150}, {278, 195}, {245, 228},
                                {200, 240}, {156, 228}, {123, 195}, {111, 150}, {123, 106}, {156, 73}};
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(drawn[1 + i].name, "GdipFillRectangle");
    EXPECT_EQ(drawn[1 + i].numbers, (std::vector<double>{corners[i].X, corners[i].Y, 3, 3}));
    EXPECT_EQ(drawn[1 + i].argb, kHands);
  }

  const RecordedCall& hour = drawn[13];
  EXPECT_EQ(hour.name, "GdipFillPolygon");
  EXPECT_EQ(hour.numbers, flatten({{191, 150}, {200, 155}, {250, 150}, {200, 146}}));
  EXPECT_EQ(hour.fillMode, FillModeAlternate);
  EXPECT_EQ(hour.argb, kHands);

  const RecordedCall& minute = drawn[14];
  EXPECT_EQ(minute.name, "GdipFillPolygon");
  EXPECT_EQ(minute.numbers, flatten({{200, 160}, {205, 150}, {200, 81}, {196, 150}}));

  const RecordedCall& second = drawn[15];
  EXPECT_EQ(second.name, "GdipDrawPolygon");
  EXPECT_EQ(second.numbers, flatten({{200, 150}, {200, 71}}));
  EXPECT_EQ(second.argb, kHands);
  EXPECT_EQ(second.penWidth, 1.0f);
  EXPECT_EQ(second.unit, UnitWorld);
}

TEST_F(AnalogClockPainterTest, EveryShapeHasABrushOrPenOfItsOwn) {
  const std::vector<RecordedCall> calls = paint(100, 1.0f, 3, 0, 0);
  EXPECT_EQ(named(calls, "GdipCreateSolidFill").size(), 15u);
  EXPECT_EQ(named(calls, "GdipDeleteBrush").size(), 15u);
  EXPECT_EQ(named(calls, "GdipCreatePen1").size(), 1u);
  EXPECT_EQ(named(calls, "GdipDeletePen").size(), 1u);
}

struct RadiusCase {
  int32_t radius;
  float aspect;
  int32_t radiusX;
  int32_t radiusY;
  int32_t markUnit;
  double markSide;
};

class AnalogRadiusTest : public AnalogClockPainterTest, public ::testing::WithParamInterface<RadiusCase> {};

TEST_P(AnalogRadiusTest, HorizontalRadiusFollowsTheAspectAndMarksTheSmallerRadius) {
  const RadiusCase c = GetParam();
  AnalogClockPainter painter;
  const std::vector<RecordedCall> drawn = shapes(paint(painter, c.radius, c.aspect, 3, 0, 0));
  EXPECT_EQ(painter.radiusX(), c.radiusX);
  EXPECT_EQ(painter.radiusY(), c.radiusY);
  EXPECT_EQ(painter.markUnit(), c.markUnit);

  const std::vector<RecordedCall> dial = named(drawn, "GdipFillEllipseI");
  ASSERT_EQ(dial.size(), 1u);
  EXPECT_EQ(dial[0].numbers,
            (std::vector<double>{200.0 - c.radiusX, 150.0 - c.radiusY, 2.0 * c.radiusX, 2.0 * c.radiusY}));
  for (const RecordedCall& mark : named(drawn, "GdipFillRectangle")) {
    EXPECT_EQ(mark.numbers[2], c.markSide);
    EXPECT_EQ(mark.numbers[3], c.markSide);
  }
}

INSTANTIATE_TEST_SUITE_P(Radii, AnalogRadiusTest,
                         ::testing::Values(RadiusCase{100, 1.0f, 100, 100, 5, 3}, RadiusCase{100, 0.9f, 111, 100, 5, 3},
                                           RadiusCase{100, 1.2f, 83, 100, 4, 3}, RadiusCase{200, 1.0f, 200, 200, 10, 6},
                                           RadiusCase{60, 1.0f, 60, 60, 3, 2}, RadiusCase{59, 1.0f, 59, 59, 2, 2},
                                           RadiusCase{1, 1.0f, 1, 1, 2, 2}, RadiusCase{0, 1.0f, 0, 0, 2, 2}));

struct HourHandCase {
  int32_t hours;
  int32_t minutes;
  GpPointF tip;  // at step h x 5 + minutes / 12, half the radius
};

class AnalogHourHandTest : public AnalogClockPainterTest, public ::testing::WithParamInterface<HourHandCase> {};

TEST_P(AnalogHourHandTest, HourHandStepsOnceEveryTwelveMinutes) {
  const HourHandCase c = GetParam();
  const std::vector<RecordedCall> hands = named(paint(100, 1.0f, c.hours, c.minutes, 0), "GdipFillPolygon");
  ASSERT_EQ(hands.size(), 2u);
  ASSERT_EQ(hands[0].numbers.size(), 8u);
  EXPECT_EQ(hands[0].numbers[4], c.tip.X);
  EXPECT_EQ(hands[0].numbers[5], c.tip.Y);
}

INSTANTIATE_TEST_SUITE_P(Times, AnalogHourHandTest,
                         ::testing::Values(HourHandCase{12, 59, {220, 105}},   // step 64
                                           HourHandCase{0, 59, {220, 105}},    // step 4: the same direction
                                           HourHandCase{13, 0, {225, 108}},    // step 5
                                           HourHandCase{23, 59, {196, 101}},   // step 59
                                           HourHandCase{12, 0, {200, 101}},    // step 60
                                           HourHandCase{0, 0, {200, 101}},     // step 0
                                           HourHandCase{3, 11, {250, 150}},    // still step 15
                                           HourHandCase{2, 48, {250, 146}}));  // step 14

struct PolarCase {
  const char* name;
  int32_t radius;
  int64_t step;
  double fraction;
  GpPointF point;
};

class AnalogPolarPointTest : public AnalogClockPainterTest, public ::testing::WithParamInterface<PolarCase> {};

TEST_P(AnalogPolarPointTest, OffsetsAddAHalfAndTruncate) {
  const PolarCase c = GetParam();
  AnalogClockPainter painter;
  paint(painter, c.radius, 1.0f, 0, 0, 0);
  const GpPointF point = painter.polarPoint(c.step, c.fraction);
  EXPECT_EQ(point.X, c.point.X);
  EXPECT_EQ(point.Y, c.point.Y);
}

INSTANTIATE_TEST_SUITE_P(
    Points, AnalogPolarPointTest,
    ::testing::Values(PolarCase{"negativeHalfTruncatesUp", 100, 1, 0.9, {209, 61}},  // dy -89.507: -89, not -90
                      PolarCase{"positiveHalfRoundsUp", 100, 12, 0.5, {248, 136}},   // dx 47.553: 48
                      // The decimal constant leaves cos(step 0) at 1.3e-6, a pixel at this radius.
                      PolarCase{"decimalPi", 1000000, 0, 1.0, {201, -999849}},
                      PolarCase{"wrapsAbove59", 100, 72, 0.5, {248, 136}},
                      PolarCase{"wrapsBelow0", 100, -48, 0.5, {248, 136}}),
    [](const auto& info) { return std::string(info.param.name); });

struct SwitchCase {
  const char* name;
  bool dial, marks, hour, minute, second;
  size_t ellipses, rectangles, kites, outlines;
};

class AnalogSwitchTest : public AnalogClockPainterTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(AnalogSwitchTest, SwitchedOffPartsAreNotDrawn) {
  const SwitchCase c = GetParam();
  AnalogClockPainter painter;
  painter.setShowDial(c.dial);
  painter.setShowHourMarks(c.marks);
  painter.setShowHourHand(c.hour);
  painter.setShowMinuteHand(c.minute);
  painter.setShowSecondHand(c.second);
  const std::vector<RecordedCall> calls = paint(painter, 100, 1.0f, 10, 10, 30);
  EXPECT_EQ(named(calls, "GdipFillEllipseI").size(), c.ellipses);
  EXPECT_EQ(named(calls, "GdipFillRectangle").size(), c.rectangles);
  EXPECT_EQ(named(calls, "GdipFillPolygon").size(), c.kites);
  EXPECT_EQ(named(calls, "GdipDrawPolygon").size(), c.outlines);
}

INSTANTIATE_TEST_SUITE_P(Switches, AnalogSwitchTest,
                         ::testing::Values(SwitchCase{"all", true, true, true, true, true, 1, 12, 2, 1},
                                           SwitchCase{"none", false, false, false, false, false, 0, 0, 0, 0},
                                           SwitchCase{"dial", true, false, false, false, false, 1, 0, 0, 0},
                                           SwitchCase{"hour", false, false, true, false, false, 0, 0, 1, 0},
                                           SwitchCase{"second", false, false, false, false, true, 0, 0, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AnalogClockPainterTest, ExtremeInputsStayDefined) {
  // A zero aspect factor, huge radii and times must not reach undefined
  // arithmetic; whatever lands on the surface is clipped.
  for (const float aspect : {0.0f, -1.0f, 1e-30f}) {
    paint(100, aspect, 3, 0, 0);
  }
  paint(INT32_MAX, 1.0f, INT32_MAX, INT32_MAX, INT32_MIN);
  paint(INT32_MIN, 0.5f, INT32_MIN, INT32_MIN, INT32_MAX);
}

// A dial with alpha 0 leaves the dial transparent while marks and hands are
// painted; with alpha 255 the same pixel is painted.
TEST_F(AnalogClockPainterTest, TransparentDialLeavesTheDialUnpainted) {
  for (const ARGB dial : {ARGB{0x00FF0000}, ARGB{0xFFFF0000}}) {
    SCOPED_TRACE(dial);
    Canvas surface(400, 300);
    AnalogClockPainter painter;
    painter.setHandAndMarkColour(0xFF00FF00);
    painter.setDialColour(dial);
    recordPainting(surface, [&](GpGraphics* graphics) { painter.draw(graphics, 200, 150, 100, 1.0f, 3, 0, 0); });

    EXPECT_EQ(surface.pixel(150, 200), dial == 0x00FF0000 ? 0u : 0xFFFF0000u);  // open dial, away from all else
    EXPECT_EQ(surface.pixel(5, 5), 0u);                                         // outside the dial
    // Mark squares of side 3 cover whole pixels; the pixel inside each is
    // exactly the mark colour.
    const int corners[12][2] = {{200, 61},  {245, 73},  {278, 106}, {290, 150}, {278, 195}, {245, 228},
                                {200, 240}, {156, 228}, {123, 195}, {111, 150}, {123, 106}, {156, 73}};
    for (const auto& corner : corners) EXPECT_EQ(surface.pixel(corner[0] + 1, corner[1] + 1), 0xFF00FF00u);
    EXPECT_EQ(surface.pixel(230, 150), 0xFF00FF00u);  // inside the hour hand's kite
    EXPECT_EQ(surface.pixel(200, 100) >> 24, 255u);   // on the minute hand
  }
}

}  // namespace
}  // namespace horaz::test
