#include "paint/analog_clock_painter.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "paint/gdiplus_objects.h"
#include "paint/pixel_arithmetic.h"
#include "paint/truncate_to_int32.h"

namespace horaz {

namespace {

// The dial's angle constant is this decimal, not full-precision pi: the
// positions of marks and hands are defined with it, to the pixel.
constexpr double kPi = 3.14159;

constexpr int64_t kStepsPerTurn = 60;
constexpr int64_t kQuarterTurn = 15;
constexpr int64_t kHalfTurn = 30;
constexpr int64_t kStepsPerHour = 5;
constexpr int32_t kMinutesPerHourStep = 12;

constexpr double kMarkFraction = 0.9;
constexpr double kHourHandFraction = 0.5;
constexpr double kMinuteHandFraction = 0.7;
constexpr double kSecondHandFraction = 0.8;
constexpr double kHandTailFraction = 0.1;
constexpr double kHandSideFraction = 0.05;
constexpr REAL kSecondHandPenWidth = 1.0f;

}  // namespace

void AnalogClockPainter::setGeometry(int32_t centreX, int32_t centreY, int32_t radius, float aspectFactor,
                                     int32_t hours, int32_t minutes, int32_t seconds) {
  hours_ = hours;
  minutes_ = minutes;
  seconds_ = seconds;

  centreX_ = centreX;
  centreY_ = centreY;
  aspectFactor_ = aspectFactor;
  // Divided in single precision, as the aspect factor comes; a zero or
  // non-finite factor saturates instead of being undefined.
  radiusX_ = truncateToInt32(divideByAspect(static_cast<float>(radius), aspectFactor));
  radiusY_ = radius;
  markUnit_ = std::max(std::min(radiusX_, radiusY_) / 20, 2);
}

void AnalogClockPainter::draw(GpGraphics* graphics, int32_t centreX, int32_t centreY, int32_t radius,
                              float aspectFactor, int32_t hours, int32_t minutes, int32_t seconds) {
  setGeometry(centreX, centreY, radius, aspectFactor, hours, minutes, seconds);
  if (graphics == nullptr) return;
  if (showDial_) drawDial(graphics);
  if (showHourMarks_) drawHourMarks(graphics);
  if (showHourHand_) drawKiteHand(graphics, hourHandStep(), kHourHandFraction);
  if (showMinuteHand_) drawKiteHand(graphics, minutes_, kMinuteHandFraction);
  if (showSecondHand_) drawSecondHand(graphics);
}

PixelArea AnalogClockPainter::extent(int32_t centreX, int32_t centreY, int32_t radius, float aspectFactor,
                                     int32_t hours, int32_t minutes, int32_t seconds) {
  setGeometry(centreX, centreY, radius, aspectFactor, hours, minutes, seconds);
  const std::array<INT, 4> dial = dialRectangle();
  PixelArea outline = PixelArea::ofRectangle(dial[0], dial[1], dial[2], dial[3]);
  const REAL side = markSide();
  for (int64_t step = 0; step < kStepsPerTurn; step += kStepsPerHour) {
    const GpPointF corner = polarPoint(step, kMarkFraction);
    outline = outline.joined(PixelArea::ofRectangle(corner.X, corner.Y, side, side));
  }
  auto addPoints = [&outline](std::span<const GpPointF> points) {
    for (const GpPointF& point : points) outline = outline.joined(PixelArea::ofRectangle(point.X, point.Y, 0, 0));
  };
  addPoints(kite(hourHandStep(), kHourHandFraction));
  addPoints(kite(minutes_, kMinuteHandFraction));
  addPoints(secondHand());
  return outline.widened(PixelArea::kShapeMargin);
}

GpPointF AnalogClockPainter::polarPoint(int64_t step, double fraction) const {
  const double theta = static_cast<double>(step - kQuarterTurn) * kPi / static_cast<double>(kHalfTurn);
  // Round by adding 0.5 and truncating toward zero (not to nearest).
  const int32_t dx = truncateToInt32(std::cos(theta) * (radiusX_ * fraction) + 0.5);
  const int32_t dy = truncateToInt32(std::sin(theta) * (radiusY_ * fraction) + 0.5);
  const GpPointF c = centre();
  return GpPointF{c.X + static_cast<float>(dx), c.Y + static_cast<float>(dy)};
}

std::array<INT, 4> AnalogClockPainter::dialRectangle() const {
  return {clampToInt32(int64_t{centreX_} - radiusX_), clampToInt32(int64_t{centreY_} - radiusY_),
          clampToInt32(2 * int64_t{radiusX_}), clampToInt32(2 * int64_t{radiusY_})};
}

REAL AnalogClockPainter::markSide() const { return static_cast<REAL>(markUnit_ / 2 + 1); }

int64_t AnalogClockPainter::hourHandStep() const {
  // 12 stays 12 and 0 stays 0; the afternoon folds onto the morning. The
  // hand moves one step every 12 minutes.
  int64_t hour = hours_;
  if (hour > 12) hour %= 12;
  return hour * kStepsPerHour + minutes_ / kMinutesPerHourStep;
}

std::array<GpPointF, 4> AnalogClockPainter::kite(int64_t step, double fraction) const {
  return {polarPoint(step + kHalfTurn, kHandTailFraction), polarPoint(step + kQuarterTurn, kHandSideFraction),
          polarPoint(step, fraction), polarPoint(step - kQuarterTurn, kHandSideFraction)};
}

std::array<GpPointF, 2> AnalogClockPainter::secondHand() const {
  // A two-point outline: a thin line from the centre to the tip.
  return {centre(), polarPoint(seconds_, kSecondHandFraction)};
}

void AnalogClockPainter::drawDial(GpGraphics* graphics) const {
  const GdiplusBrush brush = makeSolidBrush(dialColour_);
  if (!brush) return;
  const std::array<INT, 4> dial = dialRectangle();
  GdipFillEllipseI(graphics, brush.get(), dial[0], dial[1], dial[2], dial[3]);
}

void AnalogClockPainter::drawHourMarks(GpGraphics* graphics) const {
  const REAL side = markSide();
  for (int64_t step = 0; step < kStepsPerTurn; step += kStepsPerHour) {
    // The point is the square's top-left corner, not its centre.
    const GpPointF corner = polarPoint(step, kMarkFraction);
    const GdiplusBrush brush = makeSolidBrush(markColour_);
    if (!brush) continue;
    GdipFillRectangle(graphics, brush.get(), corner.X, corner.Y, side, side);
  }
}

void AnalogClockPainter::drawKiteHand(GpGraphics* graphics, int64_t step, double fraction) const {
  const std::array<GpPointF, 4> points = kite(step, fraction);
  const GdiplusBrush brush = makeSolidBrush(handColour_);
  if (!brush) return;
  GdipFillPolygon(graphics, brush.get(), points.data(), static_cast<INT>(points.size()), FillModeAlternate);
}

void AnalogClockPainter::drawSecondHand(GpGraphics* graphics) const {
  const std::array<GpPointF, 2> line = secondHand();
  const GdiplusPen pen = makePen(handColour_, kSecondHandPenWidth, UnitWorld);
  if (!pen) return;
  // Some GDI+ builds (Wine's) refuse an outline of fewer than three points;
  // the line between the two points is the same stroke.
  if (GdipDrawPolygon(graphics, pen.get(), line.data(), static_cast<INT>(line.size())) == InvalidParameter)
    GdipDrawLine(graphics, pen.get(), line[0].X, line[0].Y, line[1].X, line[1].Y);
}

}  // namespace horaz
