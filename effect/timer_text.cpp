#include "effect/timer_text.h"

#include <stringapiset.h>
#include <sysinfoapi.h>
#include <winnls.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "definition/list_values.h"
#include "effect/strftime_pattern.h"
#include "paint/platform_text.h"
#include "paint/truncate_to_int32.h"

namespace horaz {
namespace {

constexpr double kInt32Limit = 2147483648.0;  // 2^31

// swprintf would print these numbers as plain ASCII, so they are formatted
// narrow and widened unit by unit.
template <class... Args>
void formatInto(TimerText& text, const char* format, Args... args) {
  std::array<char, TimerText::kCapacity> narrow{};
  const int written = std::snprintf(narrow.data(), narrow.size(), format, args...);
  const size_t count = written > 0 ? std::min(static_cast<size_t>(written), TimerText::kCapacity - 1) : 0;
  for (size_t i = 0; i < count; ++i) text.units[i] = static_cast<unsigned char>(narrow[i]);
  text.units[count] = u'\0';
}

int32_t askField(const FieldQuery& field) { return field ? field() : 0; }

// The frame within the second for the timecode: clockFrames less the whole
// seconds' worth of frames. While the count of whole seconds fits 32 bits this
// is the arithmetic it always was; beyond that the remainder is taken
// directly, so nothing undefined is reached. Without a frame rate there are
// no frames within a second: 0.
int32_t frameWithinSecond(double clockFrames, double framesPerSecond) {
  if (framesPerSecond == 0.0 || std::isnan(framesPerSecond)) return 0;
  const double wholeSeconds = std::trunc(clockFrames / framesPerSecond);
  if (wholeSeconds > -kInt32Limit - 1.0 && wholeSeconds < kInt32Limit) {
    return truncateToInt32(clockFrames - wholeSeconds * framesPerSecond);
  }
  return truncateToInt32(std::fmod(clockFrames, framesPerSecond));
}

// The frame within the second of the shown time itself: its milliseconds
// within the second as frames. The time model keeps a count-down's shown
// time at or less than a millisecond above the exact one, so this is the
// exact frame.
int32_t frameOfShownTime(const ClockValue& value) {
  if (!(value.framesPerSecond > 0.0)) return 0;
  return truncateToInt32(value.milliseconds * value.framesPerSecond / 1000.0);
}

// Counting up, the frame within the second runs from clockFrames; counting
// down, it is that of the shown time, so the timecode falls by one frame per
// frame instead of running its frames up while its seconds run down.
int32_t timecodeFrame(const ClockValue& value) {
  return value.countingDown ? frameOfShownTime(value) : frameWithinSecond(value.clockFrames, value.framesPerSecond);
}

// The code page of the strftime result, chosen once for the life of the
// library: the calling thread's ANSI code page where the platform offers it
// (NT family, major version 5 or later), else the ANSI code page of the
// user's locale, else the system's. The static's initialisation is
// thread-safe.
UINT conversionCodePage() {
  static const UINT codePage = [] {
    const DWORD version = GetVersion();
    const bool ntFamily = (version & 0x80000000u) == 0;
    if (ntFamily && (version & 0xFFu) >= 5) return static_cast<UINT>(CP_THREAD_ACP);
    char digits[16] = {};
    UINT fromLocale = 0;
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, sizeof digits) > 0) {
      for (const char* p = digits; *p >= '0' && *p <= '9' && fromLocale < 100000u; ++p) {
        fromLocale = fromLocale * 10u + static_cast<UINT>(*p - '0');
      }
    }
    return fromLocale != 0 ? fromLocale : GetACP();
  }();
  return codePage;
}

void expandFreeFormat(const ClockValue& value, std::string_view freeFormatPattern, TimerText& text) {
  // The render reads the pattern into 256 bytes; the host fills at most 255.
  std::array<char, 256> pattern{};
  const std::string_view given = freeFormatPattern.substr(0, freeFormatPattern.find('\0'));
  const size_t n = std::min(given.size(), pattern.size() - 1);
  if (n == 0) return;
  std::copy_n(given.data(), n, pattern.data());

  // A trailing percent sign prints as itself; when the pattern leaves no room
  // for a second one it becomes a space instead.
  if (pattern[n - 1] == '%') {
    if (n <= 254) {
      pattern[n] = '%';
    } else {
      pattern[n - 1] = ' ';
    }
  }

  // Weekday and day of year are not known: they print as Sunday and day 1.
  std::tm calendar{};
  calendar.tm_sec = value.seconds;
  calendar.tm_min = value.minutes;
  calendar.tm_hour = value.hours;
  calendar.tm_mday = value.day;
  calendar.tm_mon = wrappingAdd(value.month, -1);
  calendar.tm_year = wrappingAdd(value.year, -1900);
  calendar.tm_wday = 0;
  calendar.tm_yday = 0;
  calendar.tm_isdst = 0;

#ifdef _WIN32
  // A conversion the runtime does not know would end the host's process.
  if (!windowsRuntimeAcceptsPattern(std::string_view(pattern.data()))) return;
#endif

  // strftime answers 0 both when the expansion does not fit and when it is
  // empty; either way the text stays empty rather than showing whatever the
  // buffer holds.
  std::array<char, 255> expanded{};
  if (std::strftime(expanded.data(), expanded.size(), pattern.data(), &calendar) == 0) return;

  // 255 bytes with their terminator never need more than 255 UTF-16 units.
  const int converted = MultiByteToWideChar(conversionCodePage(), 0, expanded.data(), -1,
                                            platformText(text.units.data()), static_cast<int>(TimerText::kCapacity));
  if (converted == 0) text.units[0] = u'\0';
  text.units[TimerText::kCapacity - 1] = u'\0';
}

}  // namespace

size_t TimerText::length() const noexcept {
  return static_cast<size_t>(std::find(units.begin(), units.end() - 1, u'\0') - units.begin());
}

TimerText makeTimerText(const ClockValue& value, int32_t style, std::string_view freeFormatPattern,
                        const FieldQuery& field) {
  TimerText text;
  const int32_t h = value.hours;
  const int32_t m = value.minutes;
  const int32_t s = value.seconds;
  const int32_t ms = value.milliseconds;
  // Built from the already wrapped hours: "mm" shows at most 1439 and "ss.f"
  // at most 86399. Wrapping arithmetic keeps values from elsewhere defined.
  const int32_t totalMinutes = wrappingAdd(wrappingMul(h, 60), m);
  const int32_t totalSeconds = wrappingAdd(wrappingMul(totalMinutes, 60), s);

  using enum definition::TimerStyle;
  switch (static_cast<definition::TimerStyle>(style)) {
    case kHoursToMilliseconds: formatInto(text, "%02d:%02d:%02d.%03d", h, m, s, ms); break;
    case kHoursToHundredths: formatInto(text, "%02d:%02d:%02d.%02d", h, m, s, ms / 10); break;
    case kHoursToTenths: formatInto(text, "%02d:%02d:%02d.%01d", h, m, s, ms / 100); break;
    case kHoursToSeconds: formatInto(text, "%02d:%02d:%02d", h, m, s); break;
    case kHoursAndMinutes: formatInto(text, "%02d:%02d", h, m); break;
    case kTotalMinutesAndSeconds: formatInto(text, "%02d:%02d", totalMinutes, s); break;
    case kTotalMinutes: formatInto(text, "%02d", totalMinutes); break;
    case kTotalMinutesToTenths: formatInto(text, "%02d:%02d.%01d", totalMinutes, s, ms / 100); break;
    case kTotalSecondsToTenths: formatInto(text, "%02d.%01d", totalSeconds, ms / 100); break;
    case kTimecode:
      // Hours to seconds come from the shown milliseconds, the frame from
      // clockFrames counting up and from the shown time counting down.
      formatInto(text, "%02d:%02d:%02d:%02d", h, m, s, timecodeFrame(value));
      if (askField(field) == 2) text.units[8] = u'.';
      break;
    case kDayMonthYear:
      formatInto(text, "%02d.%02d.%04d %02d:%02d:%02d", value.day, value.month, value.year, h, m, s);
      break;
    case kMonthDayYear:
      formatInto(text, "%02d/%02d/%04d %02d:%02d:%02d", value.month, value.day, value.year, h, m, s);
      break;
    case kFreeFormat: expandFreeFormat(value, freeFormatPattern, text); break;
    case kFrameCounter: formatInto(text, "%06d", truncateToInt32(value.clockFrames)); break;
    case kFrameCounterWithField: {
      const int32_t frames = truncateToInt32(value.clockFrames);
      formatInto(text, "%06d", frames);
      switch (askField(field)) {
        case 1: formatInto(text, "%06d.1", frames); break;
        case 2: formatInto(text, "%06d.2", frames); break;
        case 3: formatInto(text, "%06d", frames); break;
        default: break;
      }
      break;
    }
    default: break;
  }
  return text;
}

}  // namespace horaz
