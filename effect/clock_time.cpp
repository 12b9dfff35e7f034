#include "effect/clock_time.h"

#include <cmath>

#include "definition/list_values.h"
#include "paint/truncate_to_int32.h"

namespace horaz {
namespace {

constexpr double kMillisecondsPerDay = 86400000.0;
constexpr double kInt32Limit = 2147483648.0;  // 2^31

bool isFrameBased(int32_t style) {
  using definition::listValue;
  using enum definition::TimerStyle;
  return style == listValue(kTimecode) || style == listValue(kFrameCounter) ||
         style == listValue(kFrameCounterWithField);
}

// ((hour * 60 + minute) * 60 + second) * 1000 in 32-bit arithmetic, taken as
// unsigned. Fields outside their ranges wrap modulo 2^32, as they always did.
double packMilliseconds(int32_t hour, int32_t minute, int32_t second) {
  const uint32_t total =
      ((static_cast<uint32_t>(hour) * 60u + static_cast<uint32_t>(minute)) * 60u + static_cast<uint32_t>(second)) *
      1000u;
  return static_cast<double>(total);
}

// Elapsed milliseconds, truncated toward zero but kept in a double, so that
// the stop comparison sees the true value even past 2^31 ms (factor 500 gets
// there after 72 minutes of clip). A frame rate that is not positive (or NaN)
// and a time that is not finite give no elapsed time: the clock shows its
// start.
double elapsedMilliseconds(double clockFrames, double framesPerSecond) {
  if (!(framesPerSecond > 0.0)) return 0.0;
  const double elapsed = clockFrames * 1000.0 / framesPerSecond;
  return std::isfinite(elapsed) ? std::trunc(elapsed) : 0.0;
}

// The shown time as a 32-bit count of milliseconds. A value that fits is
// taken as it is (a small negative one too, as before). A value beyond 32
// bits is reduced into one day, [0, 86400000): the time of day keeps running
// and wraps at 24 hours where a bare conversion would show garbage.
int32_t shownMillisecondsToInt32(double shownMs) {
  if (!std::isfinite(shownMs)) return 0;
  if (shownMs > -kInt32Limit - 1.0 && shownMs < kInt32Limit) return truncateToInt32(shownMs);
  double timeOfDay = std::fmod(shownMs, kMillisecondsPerDay);
  if (timeOfDay < 0.0) timeOfDay += kMillisecondsPerDay;
  return truncateToInt32(timeOfDay);
}

}  // namespace

int32_t effectiveTimerStyle(int32_t timerStyle) noexcept {
  return timerStyle == 0 ? definition::listValue(definition::kFirstTimerStyle) : timerStyle;
}

ClockValue computeClockValue(const ClockInputs& in) noexcept {
  // A non-negative factor multiplies; a negative one divides by its magnitude.
  // Factor 0 stands the clock still at its start.
  double clockFrames = in.frameTime;
  if (in.speedApplies != 0) {
    if (in.speedFactor >= 0) {
      clockFrames = in.frameTime * in.speedFactor;
    } else {
      clockFrames = -in.frameTime / in.speedFactor;
    }
  }

  const int32_t style = effectiveTimerStyle(in.timerStyle);
  double startMs = packMilliseconds(in.startHour, in.startMinute, in.startSecond);
  double stopMs = packMilliseconds(in.stopHour, in.stopMinute, in.stopSecond);

  // The frame-based styles count from the start frame and have no stop; the
  // others count from the start millisecond and hold at the stop millisecond.
  if (isFrameBased(style)) {
    clockFrames += static_cast<uint32_t>(in.startFrame);
    stopMs = 0.0;
  } else {
    startMs += static_cast<uint32_t>(in.startMillisecond);
    stopMs += static_cast<uint32_t>(in.stopMillisecond);
  }

  // Start and elapsed are whole numbers here. While they and their sum fit 32
  // bits this is exactly the 32-bit arithmetic it stands for; beyond that it
  // stays defined, and a clock counting down past its stop still holds there.
  const double elapsedMs = elapsedMilliseconds(clockFrames, in.framesPerSecond);
  double shownMs = 0.0;
  if (in.countDown != 0) {
    shownMs = startMs - elapsedMs;
    if (shownMs <= stopMs) shownMs = stopMs;
  } else {
    shownMs = startMs + elapsedMs;
    if (shownMs >= stopMs && stopMs != 0.0) shownMs = stopMs;
  }

  // 32-bit division truncating toward zero: a remainder keeps the dividend's sign.
  const int32_t shown = shownMillisecondsToInt32(shownMs);
  ClockValue value;
  value.milliseconds = shown % 1000;
  int32_t t = shown / 1000;
  value.seconds = t % 60;
  t /= 60;
  value.minutes = t % 60;
  value.hours = (t / 60) % 24;
  value.clockFrames = clockFrames;
  value.day = in.startDay;
  value.month = in.startMonth;
  value.year = in.startYear;
  value.framesPerSecond = in.framesPerSecond;
  return value;
}

}  // namespace horaz
