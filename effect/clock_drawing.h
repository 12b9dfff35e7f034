#pragma once

#include <gdiplusflat.h>
#include <wingdi.h>

#include <cstdint>

#include "definition/list_values.h"
#include "effect/clock_value.h"
#include "effect/timer_text.h"
#include "paint/drawing_area_notice.h"

namespace horaz {

// Clock types that show the timer text (and so make it).
[[nodiscard]] constexpr bool showsText(int32_t clockType) {
  using definition::ClockType;
  return clockType == definition::listValue(ClockType::kDigital) || clockType == definition::listValue(ClockType::kLed);
}

// What the painters are given, already converted from the parameters.
struct ClockDrawing {
  int32_t clockType = definition::listValue(definition::ClockType::kAnalog);  // `the List value` as read
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
// drawn with background, dial, hour marks and all three hands on, through a
// drawing object made here with high-quality smoothing (the digital clock's
// also set up for text) and deleted before this returns; GDI+ must be
// started throughout. `beforeDrawing`, when given, is told every pixel the
// painter can touch before its first drawing call; it is not called when
// nothing is drawn.
void drawClock(HDC dc, const ClockDrawing& drawing, const ClockValue& value, const TimerText& text,
               const DrawingAreaNotice& beforeDrawing = {});

}  // namespace horaz
