#pragma once

#include <cstdint>

namespace horaz::definition {

// The values the host stores for the pop-up lists' items, by name. The host
// may hand back any integer, so the code that reads a list parameter keeps
// it as int32_t and compares it with these (through listValue).

// `the List value`: which painter draws the clock.
enum class ClockType : int32_t { kAnalog = 0, kDigital = 1, kLed = 2 };

// `Alignment List`: where the digital clock's text sits against its anchor.
// No item carries kRight (0), yet a fresh effect holds it.
enum class TextAlignment : int32_t { kRight = 0, kCentre = 1, kLeft = 2 };

// `Style List`: what the clock's text shows. No item carries 0; the render
// takes 0 as kHoursToMilliseconds.
enum class TimerStyle : int32_t {
  kHoursToMilliseconds = 1,     // hh:mm:ss.fff
  kHoursToHundredths = 2,       // hh:mm:ss.ff
  kHoursToTenths = 3,           // hh:mm:ss.f
  kHoursToSeconds = 4,          // hh:mm:ss
  kHoursAndMinutes = 5,         // hh:mm
  kTotalMinutesAndSeconds = 6,  // mm:ss
  kTotalMinutes = 7,            // mm
  kTotalMinutesToTenths = 8,    // mm:ss.f
  kTotalSecondsToTenths = 9,    // ss.f
  kTimecode = 10,               // TC hh:mm:ss:ff
  kDayMonthYear = 11,           // dd.mm.yy hh:mm:ss
  kMonthDayYear = 12,           // mm/dd/yy hh:mm:ss
  kFreeFormat = 13,             // the `Start Time` text as a strftime pattern
  kFrameCounter = 14,
  kFrameCounterWithField = 15,
};

inline constexpr TimerStyle kFirstTimerStyle = TimerStyle::kHoursToMilliseconds;
inline constexpr TimerStyle kLastTimerStyle = TimerStyle::kFrameCounterWithField;

// The stored integer of a named list value.
template <class ListValue>
constexpr int32_t listValue(ListValue value) {
  return static_cast<int32_t>(value);
}

}  // namespace horaz::definition
