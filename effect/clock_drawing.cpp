#include "effect/clock_drawing.h"

#include "effect/render_conversions.h"
#include "paint/analog_clock_painter.h"
#include "paint/digital_clock_painter.h"
#include "paint/gdiplus_objects.h"
#include "paint/led_clock_painter.h"

namespace horaz {
namespace {

// The painters' switches: the render always draws everything.
constexpr bool kShowBackground = true;

GdiplusGraphics smoothGraphics(HDC dc) {
  GdiplusGraphics graphics = makeGraphics(dc);
  if (graphics) GdipSetSmoothingMode(graphics.get(), SmoothingModeHighQuality);
  return graphics;
}

void drawAnalog(HDC dc, const ClockDrawing& d, const ClockValue& value, const DrawingAreaNotice& beforeDrawing) {
  AnalogClockPainter painter;
  painter.setHandAndMarkColour(d.foreground);
  painter.setDialColour(d.background);
  painter.setShowDial(kShowBackground);
  painter.setShowHourHand(true);
  painter.setShowMinuteHand(true);
  painter.setShowSecondHand(true);
  painter.setShowHourMarks(true);
  if (beforeDrawing)
    beforeDrawing(
        painter.extent(d.posX, d.posY, d.baseSize, d.aspectFactor, value.hours, value.minutes, value.seconds));
  const GdiplusGraphics graphics = smoothGraphics(dc);
  painter.draw(graphics.get(), d.posX, d.posY, d.baseSize, d.aspectFactor, value.hours, value.minutes, value.seconds);
}

void drawLed(HDC dc, const ClockDrawing& d, const TimerText& text, const DrawingAreaNotice& beforeDrawing) {
  LedClockPainter painter;
  painter.setSegmentColour(d.foreground);
  painter.setBackgroundColour(d.background);
  painter.setShowBackground(kShowBackground);
  if (beforeDrawing)
    beforeDrawing(painter.extent(d.posX, d.posY, ledSize(d.baseSize), d.aspectFactor, text.c_str(),
                                 static_cast<int32_t>(text.length())));
  const GdiplusGraphics graphics = smoothGraphics(dc);
  painter.draw(graphics.get(), d.posX, d.posY, ledSize(d.baseSize), d.aspectFactor, text.c_str(),
               static_cast<int32_t>(text.length()));
}

void drawDigital(HDC dc, const ClockDrawing& d, const TimerText& text, const DrawingAreaNotice& beforeDrawing) {
  DigitalClockPainter painter;
  painter.setTextColour(d.foreground);
  painter.setBackgroundColour(d.background);
  painter.setShowBackground(kShowBackground);
  painter.setAlignment(d.alignment);
  // The fonts are made before the drawing object and deleted after it.
  painter.setFont(d.fontRecord, d.baseSize);
  const GdiplusGraphics graphics = makeGraphics(dc);
  if (!graphics) return;
  DigitalClockPainter::prepareDrawingObject(graphics.get());
  if (beforeDrawing) beforeDrawing(painter.extent(graphics.get(), d.posX, d.posY, text.c_str()));
  painter.draw(graphics.get(), d.posX, d.posY, text.c_str());
}

}  // namespace

void drawClock(HDC dc, const ClockDrawing& drawing, const ClockValue& value, const TimerText& text,
               const DrawingAreaNotice& beforeDrawing) {
  using definition::ClockType;
  switch (static_cast<ClockType>(drawing.clockType)) {
    case ClockType::kAnalog: drawAnalog(dc, drawing, value, beforeDrawing); break;
    case ClockType::kDigital: drawDigital(dc, drawing, text, beforeDrawing); break;
    case ClockType::kLed: drawLed(dc, drawing, text, beforeDrawing); break;
    default: break;  // nothing drawn: the surface stays transparent
  }
}

}  // namespace horaz
