#pragma once

#include <gdiplusflat.h>

#include <array>
#include <cstdint>

#include "paint/pixel_area.h"

namespace horaz {

// Draws the analog clock: an elliptical dial, twelve square hour marks and
// the hour, minute and second hands, through a GDI+ drawing object on the
// frame's surface. Made fresh for every frame, configured by the setters,
// then drawn once. Every brush and pen lives for one shape only.
class AnalogClockPainter {
 public:
  AnalogClockPainter() = default;

  // Hands and marks always share the foreground colour.
  void setHandAndMarkColour(ARGB colour) {
    handColour_ = colour;
    markColour_ = colour;
  }
  void setDialColour(ARGB colour) { dialColour_ = colour; }
  void setShowHourHand(bool show) { showHourHand_ = show; }
  void setShowMinuteHand(bool show) { showMinuteHand_ = show; }
  void setShowSecondHand(bool show) { showSecondHand_ = show; }
  void setShowHourMarks(bool show) { showHourMarks_ = show; }
  void setShowDial(bool show) { showDial_ = show; }

  // Draws the clock centred on (centreX, centreY) with a vertical radius of
  // `radius` pixels; every horizontal extent is divided by `aspectFactor`.
  // `graphics` may be null (nothing is drawn). Results of the drawing calls
  // are not examined.
  void draw(GpGraphics* graphics, int32_t centreX, int32_t centreY, int32_t radius, float aspectFactor, int32_t hours,
            int32_t minutes, int32_t seconds);

  // Every pixel that draw() with the same arguments can touch, whichever
  // parts are shown: the dial's rectangle, the marks, the hands' points, each
  // widened by PixelArea::kShapeMargin. Sets the same geometry as draw().
  [[nodiscard]] PixelArea extent(int32_t centreX, int32_t centreY, int32_t radius, float aspectFactor, int32_t hours,
                                 int32_t minutes, int32_t seconds);

  // The point at dial step `step` (60 per turn, 0 straight up, clockwise) and
  // `fraction` of the radii, for the geometry of the last draw. Each offset
  // is rounded by adding 0.5 and truncating toward zero, so -89.5 gives -89.
  [[nodiscard]] GpPointF polarPoint(int64_t step, double fraction) const;

  // Geometry of the last draw (-1 before the first).
  [[nodiscard]] int32_t radiusX() const { return radiusX_; }
  [[nodiscard]] int32_t radiusY() const { return radiusY_; }
  [[nodiscard]] int32_t markUnit() const { return markUnit_; }

 private:
  void setGeometry(int32_t centreX, int32_t centreY, int32_t radius, float aspectFactor, int32_t hours, int32_t minutes,
                   int32_t seconds);
  // The dial's rectangle: left, top, width, height.
  // The centre as the shapes take it, in single precision.
  [[nodiscard]] GpPointF centre() const { return GpPointF{static_cast<float>(centreX_), static_cast<float>(centreY_)}; }
  [[nodiscard]] std::array<INT, 4> dialRectangle() const;
  [[nodiscard]] REAL markSide() const;
  [[nodiscard]] int64_t hourHandStep() const;
  // Tail behind the centre, the side a quarter turn clockwise, the tip, the
  // other side.
  [[nodiscard]] std::array<GpPointF, 4> kite(int64_t step, double fraction) const;
  [[nodiscard]] std::array<GpPointF, 2> secondHand() const;

  void drawDial(GpGraphics* graphics) const;
  void drawHourMarks(GpGraphics* graphics) const;
  void drawKiteHand(GpGraphics* graphics, int64_t step, double fraction) const;
  void drawSecondHand(GpGraphics* graphics) const;

  // The defaults are transparent; the render always sets the colours.
  ARGB handColour_ = 0x00000100;
  ARGB markColour_ = 0x00000100;
  ARGB dialColour_ = 0;
  int32_t centreX_ = 0;
  int32_t centreY_ = 0;
  int32_t radiusX_ = -1;
  int32_t radiusY_ = -1;
  int32_t markUnit_ = -1;  // a twentieth of the smaller radius, at least 2
  int32_t hours_ = 0;
  int32_t minutes_ = 0;
  int32_t seconds_ = 0;
  bool showHourHand_ = true;
  bool showMinuteHand_ = true;
  bool showSecondHand_ = true;
  bool showHourMarks_ = true;
  bool showDial_ = true;
  float aspectFactor_ = 1.0f;  // set by each draw
};

}  // namespace horaz
