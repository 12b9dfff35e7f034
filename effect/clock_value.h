#pragma once

#include <cstdint>

namespace horaz {

// What the clock shows for one frame. The time fields are those of the shown
// time of day; the date is the start date as entered (it never advances).
struct ClockValue {
  int32_t hours = 0;         // 0 to 23
  int32_t minutes = 0;       // 0 to 59
  int32_t seconds = 0;       // 0 to 59
  int32_t milliseconds = 0;  // 0 to 999
  double clockFrames = 0.0;  // frame time after the speed factor, plus the start frame for frame-based styles
  int32_t day = 0;
  int32_t month = 0;
  int32_t year = 0;
  double framesPerSecond = 0.0;  // passed through for the timecode text
  // Counting down, the timecode's frame is that of the shown time (from its
  // milliseconds); counting up it is clockFrames within the second.
  bool countingDown = false;
};

// Everything the time model needs, as the render read it. A value the host
// could not give is 0, except speedApplies, which stays 1 unless the host
// answers 0.
struct ClockInputs {
  double frameTime = 0.0;  // in frames: the time the render was asked for
  double framesPerSecond = 0.0;
  int32_t speedFactor = 0;   // `Time Speed Factor`: >= 0 multiplies, < 0 divides
  int32_t speedApplies = 1;  // the factor's apply flag; 0 leaves the frame time as it is
  int32_t startHour = 0;
  int32_t startMinute = 0;
  int32_t startSecond = 0;
  int32_t startMillisecond = 0;
  int32_t startFrame = 0;
  int32_t startDay = 0;
  int32_t startMonth = 0;
  int32_t startYear = 0;
  int32_t stopHour = 0;
  int32_t stopMinute = 0;
  int32_t stopSecond = 0;
  int32_t stopMillisecond = 0;
  int32_t countDown = 0;   // non-zero: count down from the start time
  int32_t timerStyle = 0;  // `Style List`; 0 counts as 1
};

}  // namespace horaz
