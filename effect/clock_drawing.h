#pragma once

#include <gdiplusflat.h>
#include <wingdi.h>

#include <cstdint>

#include "effect/clock_value.h"
#include "effect/digital_clock_painter.h"
#include "effect/timer_text.h"

namespace horaz {

// The clock types of `the List value`.
enum ClockType : int32_t { kAnalogClock = 0, kDigitalClock = 1, kLedClock = 2 };

// Clock types that show the timer text (and so make it).
[[nodiscard]] constexpr bool showsText(int32_t clockType) {
  return clockType == kDigitalClock || clockType == kLedClock;
}

// What the painters are given, already converted from the parameters.
struct ClockDrawing {
  int32_t clockType = kAnalogClock;
  ARGB foreground = 0;
  ARGB background = 0;
  int32_t posX = 0;
  int32_t posY = 0;
  int32_t baseSize = 0;
  float aspectFactor = 1.0f;
  int32_t alignment = 0;
  LOGFONTW fontRecord{};
};

// Draws the clock on the surface's memory device context with the one
// painter its type chooses; any other type draws nothing. Every painter is
// drawn with background, dial, hour marks and all three hands on. The analog
// and LED painters get a drawing object of their own with high-quality
// smoothing, deleted before this returns; GDI+ must be started throughout.
// `beforeDrawing`, when given, is told every pixel the painter can touch
// before its first drawing call; it is not called when nothing is drawn.
using DrawingAreaNotice = DigitalClockPainter::DrawingAreaNotice;
void drawClock(HDC dc, const ClockDrawing& drawing, const ClockValue& value, const TimerText& text,
               const DrawingAreaNotice& beforeDrawing = {});

}  // namespace horaz
