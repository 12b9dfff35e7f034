// The time model and the timer texts over any input: frame times and frame
// rates that are NaN, infinite, huge or negative, time fields far outside
// their sliders, every style value, and free-format patterns of any bytes and
// any length. Nothing may crash or reach undefined behaviour; every shown
// time is a time of day and every text fits its buffer.

#include <locale.h>

#include <cstdlib>
#include <string>

#include "effect/clock_time.h"
#include "effect/timer_text.h"
#include "fuzz/fuzz_values.h"

namespace {

using horaz::fuzz::fuzzDouble;
using horaz::fuzz::fuzzInt;

#ifndef _WIN32
locale_t gUtf8Locale = nullptr;
#endif

int32_t fuzzStyle(FuzzedDataProvider& data) {
  return data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(-1, 16) : fuzzInt(data);
}

void checkTimeOfDay(const horaz::ClockValue& value) {
  // Remainders keep the sign of the shown time, so a time before midnight of
  // the start day shows negative fields, but never beyond their units.
  HORAZ_FUZZ_CHECK(value.milliseconds > -1000 && value.milliseconds < 1000);
  HORAZ_FUZZ_CHECK(value.seconds > -60 && value.seconds < 60);
  HORAZ_FUZZ_CHECK(value.minutes > -60 && value.minutes < 60);
  HORAZ_FUZZ_CHECK(value.hours > -24 && value.hours < 24);
}

void checkText(const horaz::TimerText& text, int32_t style) {
  const size_t length = text.length();
  HORAZ_FUZZ_CHECK(length < horaz::TimerText::kCapacity);
  HORAZ_FUZZ_CHECK(text.units[length] == u'\0');
  if (style == 13) return;
  // The numeric styles print digits, signs and separators only.
  for (size_t i = 0; i < length; ++i) {
    const char16_t unit = text.units[i];
    HORAZ_FUZZ_CHECK((unit >= u'0' && unit <= u'9') || unit == u':' || unit == u'.' || unit == u'/' || unit == u' ' ||
                     unit == u'-');
  }
  if (style < 1 || style > 15) HORAZ_FUZZ_CHECK(length == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
#ifndef _WIN32
  gUtf8Locale = newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
#endif
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);

  // The free-format text follows the calling thread's locale: plain C (8-bit
  // bytes) or UTF-8. (Windows' runtime has no thread locales to switch: its
  // own stays, and the byte is still taken so that inputs mean the same.)
  const bool utf8 = data.ConsumeBool();
#ifndef _WIN32
  const locale_t previous = uselocale(utf8 && gUtf8Locale != nullptr ? gUtf8Locale : LC_GLOBAL_LOCALE);
#else
  (void)utf8;
#endif

  horaz::ClockValue value;
  int32_t style = 0;
  if (data.ConsumeBool()) {
    horaz::ClockInputs in;
    in.frameTime = fuzzDouble(data);
    in.framesPerSecond = fuzzDouble(data);
    in.speedFactor = data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(-501, 501) : fuzzInt(data);
    in.speedApplies = data.ConsumeBool() ? 1 : fuzzInt(data);
    in.startHour = fuzzInt(data);
    in.startMinute = fuzzInt(data);
    in.startSecond = fuzzInt(data);
    in.startMillisecond = fuzzInt(data);
    in.startFrame = fuzzInt(data);
    in.startDay = fuzzInt(data);
    in.startMonth = fuzzInt(data);
    in.startYear = fuzzInt(data);
    in.stopHour = fuzzInt(data);
    in.stopMinute = fuzzInt(data);
    in.stopSecond = fuzzInt(data);
    in.stopMillisecond = fuzzInt(data);
    in.countDown = fuzzInt(data);
    in.timerStyle = fuzzStyle(data);

    value = horaz::computeClockValue(in);
    checkTimeOfDay(value);
    HORAZ_FUZZ_CHECK(value.day == in.startDay && value.month == in.startMonth && value.year == in.startYear);
    // Stateless: the same frame gives the same value every time.
    const horaz::ClockValue again = horaz::computeClockValue(in);
    HORAZ_FUZZ_CHECK(again.hours == value.hours && again.minutes == value.minutes && again.seconds == value.seconds &&
                     again.milliseconds == value.milliseconds);
    style = horaz::effectiveTimerStyle(in.timerStyle);
  } else {
    // The text formats defend themselves against any value, not only against
    // what the time model gives them.
    value.hours = fuzzInt(data);
    value.minutes = fuzzInt(data);
    value.seconds = fuzzInt(data);
    value.milliseconds = fuzzInt(data);
    value.clockFrames = fuzzDouble(data);
    value.day = fuzzInt(data);
    value.month = fuzzInt(data);
    value.year = fuzzInt(data);
    value.framesPerSecond = fuzzDouble(data);
    style = fuzzStyle(data);
  }

  const int32_t field = data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(-1, 4) : fuzzInt(data);
  int fieldQueries = 0;
  const horaz::FieldQuery askField = [&] {
    ++fieldQueries;
    return field;
  };
  // The rest is the `Start Time` pattern: any bytes, NULs included, up to and
  // past the 255 the host may deliver.
  const std::string pattern = data.ConsumeRemainingBytesAsString();

  const horaz::TimerText text = horaz::makeTimerText(value, style, pattern, askField);
  checkText(text, style);
  HORAZ_FUZZ_CHECK(fieldQueries == ((style == 10 || style == 15) ? 1 : 0));

#ifndef _WIN32
  uselocale(previous);
#endif
  return 0;
}
