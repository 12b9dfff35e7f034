#include "effect/timer_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

#include "effect/clock_time.h"
#include "locale_guard.h"

namespace horaz {
namespace {

ClockValue valueOf(int32_t h, int32_t m, int32_t s, int32_t ms, double clockFrames = 0, double fps = 25) {
  ClockValue v;
  v.hours = h;
  v.minutes = m;
  v.seconds = s;
  v.milliseconds = ms;
  v.clockFrames = clockFrames;
  v.framesPerSecond = fps;
  v.day = 7;
  v.month = 3;
  v.year = 2010;
  return v;
}

FieldQuery fieldIs(int32_t field) {
  return [field] { return field; };
}

std::u16string textOf(const ClockValue& v, int32_t style, std::string_view pattern = "", int32_t field = 1) {
  return std::u16string(makeTimerText(v, style, pattern, fieldIs(field)).view());
}

// Readable failure output for UTF-16 texts.
std::string narrow(std::u16string_view text) {
  std::string out;
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      out += static_cast<char>(unit);
    } else {
      char hex[12];
      std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(unit));
      out += hex;
    }
  }
  return out;
}

struct StyleCase {
  int32_t style;
  const char16_t* expected;
};

TEST(TimerTextStyles, EachStyleOn010203456) {
  test::LocaleGuard locale(test::kCUtf8Locale);
  const StyleCase cases[] = {
      {1, u"01:02:03.456"},
      {2, u"01:02:03.45"},
      {3, u"01:02:03.4"},
      {4, u"01:02:03"},
      {5, u"01:02"},
      {6, u"62:03"},
      {7, u"62"},
      {8, u"62:03.4"},
      {9, u"3723.4"},
      {10, u"01:02:03:09"},
      {11, u"07.03.2010 01:02:03"},
      {12, u"03/07/2010 01:02:03"},
      {13, u"01:02 h"},
      {14, u"001234"},
      {15, u"001234.1"},
      {16, u""},
      {0, u""},
      {-1, u""},
      {1000, u""},
  };
  const ClockValue v = valueOf(1, 2, 3, 456, 1234.9, 25);
  for (const StyleCase& c : cases) {
    EXPECT_EQ(narrow(textOf(v, c.style, "%H:%M h")), narrow(c.expected)) << "style " << c.style;
  }
}

TEST(TimerTextStyles, StyleZeroReadsAsStyleOne) {
  ClockInputs in;
  in.framesPerSecond = 25;
  in.speedFactor = 1;
  in.startHour = 1;
  in.startMinute = 2;
  in.startSecond = 3;
  in.startMillisecond = 456;
  in.timerStyle = 0;
  const ClockValue v = computeClockValue(in);
  EXPECT_EQ(narrow(textOf(v, effectiveTimerStyle(in.timerStyle))), "01:02:03.456");
}

TEST(TimerTextStyles, TotalsUseTheWrappedHours) {
  const ClockValue v = valueOf(23, 59, 59, 999);
  EXPECT_EQ(narrow(textOf(v, 7)), "1439");
  EXPECT_EQ(narrow(textOf(v, 9)), "86399.9");
  EXPECT_EQ(narrow(textOf(v, 2)), "23:59:59.99");
}

// Fields from elsewhere (out of range, negative) print as %02d prints them;
// the totals wrap in 32 bits rather than overflow.
TEST(TimerTextStyles, OutOfRangeFieldsPrintAsNumbers) {
  const ClockValue negative = valueOf(0, 0, -1, -5);
  EXPECT_EQ(narrow(textOf(negative, 1)), "00:00:-1.-05");
  const int32_t kMax = std::numeric_limits<int32_t>::max();
  const ClockValue huge = valueOf(kMax, kMax, kMax, kMax);
  EXPECT_EQ(narrow(textOf(huge, 5)), "2147483647:2147483647");
  EXPECT_EQ(narrow(textOf(huge, 7)), "2147483587");  // (2^31-1)*61 modulo 2^32
}

TEST(TimerTextStyles, OnlyFieldStylesAskForTheField) {
  const ClockValue v = valueOf(1, 2, 3, 456, 37);
  for (int32_t style = 0; style <= 16; ++style) {
    int calls = 0;
    (void)makeTimerText(v, style, "%H", [&calls] {
      ++calls;
      return 2;
    });
    EXPECT_EQ(calls, style == 10 || style == 15 ? 1 : 0) << "style " << style;
  }
  EXPECT_EQ(narrow(makeTimerText(v, 15, "", FieldQuery{}).view()), "000037");  // no query: field 0
}

struct FrameTextCase {
  int32_t style;
  double clockFrames;
  double fps;
  int32_t field;
  const char* expected;
};

TEST(TimerTextFrames, TimecodeAndFieldSeparators) {
  const FrameTextCase cases[] = {
      {10, 37, 25, 1, "00:00:01:12"},
      {10, 37, 25, 2, "00:00:01.12"},
      {10, 37, 25, 0, "00:00:01:12"},
      {10, 37, 25, 3, "00:00:01:12"},
      {10, 24.99, 25, 1, "00:00:01:24"},
      {10, 30, 29.97, 1, "00:00:01:00"},
      {10, 59.9, 29.97, 1, "00:00:01:29"},
      // Out-of-range frame counts and rates stay defined.
      {10, std::nan(""), 25, 1, "00:00:01:00"},
      {10, 37, 0, 1, "00:00:01:00"},
      {10, 1e300, 25, 1, "00:00:01:10"},
      {10, 2e12 + 7, 25, 1, "00:00:01:07"},
  };
  for (const FrameTextCase& c : cases) {
    const ClockValue v = valueOf(0, 0, 1, 480, c.clockFrames, c.fps);
    EXPECT_EQ(narrow(textOf(v, c.style, "", c.field)), c.expected)
        << "frames " << c.clockFrames << " fps " << c.fps << " field " << c.field;
  }
}

// The timecode of whole clips, through the time model: it starts at the start
// time and frame and moves by exactly one frame per frame, up or down; down,
// it holds at 00:00:00:00.
struct TimecodeClip {
  int32_t countDown;
  int32_t startFrame;
  int32_t speedFactor;
  double fps;
};

ClockInputs timecodeInputs(const TimecodeClip& clip, double frame) {
  ClockInputs in;
  in.frameTime = frame;
  in.framesPerSecond = clip.fps;
  in.speedFactor = clip.speedFactor;
  in.startMinute = 1;
  in.startFrame = clip.startFrame;
  in.countDown = clip.countDown;
  in.timerStyle = 10;
  return in;
}

std::string timecodeAt(const TimecodeClip& clip, double frame) {
  return narrow(textOf(computeClockValue(timecodeInputs(clip, frame)), 10));
}

TEST(TimerTextTimecode, CountsFromTheStartFrameByFrame) {
  struct Case {
    TimecodeClip clip;
    double frame;
    const char* expected;
  };
  const Case cases[] = {
      {{1, 0, 1, 25}, 0, "00:01:00:00"},
      {{1, 0, 1, 25}, 1, "00:00:59:24"},
      {{1, 0, 1, 25}, 2, "00:00:59:23"},
      {{1, 0, 1, 25}, 25, "00:00:59:00"},
      {{1, 0, 1, 25}, 26, "00:00:58:24"},
      {{1, 0, 1, 25}, 1499, "00:00:00:01"},
      {{1, 0, 1, 25}, 1500, "00:00:00:00"},
      {{1, 0, 1, 25}, 1501, "00:00:00:00"},  // held at zero
      {{1, 0, 1, 30}, 1, "00:00:59:29"},
      {{1, 0, 1, 30}, 29, "00:00:59:01"},
      {{1, 0, 1, 30}, 31, "00:00:58:29"},
      {{1, 12, 1, 25}, 0, "00:01:00:12"},
      {{1, 12, 1, 25}, 1, "00:01:00:11"},
      {{1, 12, 1, 25}, 13, "00:00:59:24"},
      {{1, 0, 2, 25}, 1, "00:00:59:23"},  // double speed: two frames per frame
      // Counting up, as it always was.
      {{0, 0, 1, 25}, 1, "00:01:00:01"},
      {{0, 12, 1, 25}, 0, "00:01:00:12"},
      {{0, 12, 1, 25}, 13, "00:01:01:00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(timecodeAt(c.clip, c.frame), c.expected)
        << "down " << c.clip.countDown << " start frame " << c.clip.startFrame << " factor " << c.clip.speedFactor
        << " fps " << c.clip.fps << " frame " << c.frame;
  }
}

TEST(TimerTextTimecode, EveryFrameMovesByOneFrame) {
  for (const double fps : {24.0, 25.0, 30.0, 50.0, 60.0}) {
    for (const int32_t countDown : {0, 1}) {
      for (const int32_t startFrame : {0, 7}) {
        const TimecodeClip clip{countDown, startFrame, 1, fps};
        const int fpsInt = static_cast<int>(fps);
        const int start = 60 * fpsInt + startFrame;
        for (int frame = 0; frame <= start + 2; ++frame) {
          int h = 0, m = 0, s = 0, f = 0;
          const std::string text = timecodeAt(clip, frame);
          ASSERT_EQ(std::sscanf(text.c_str(), "%d:%d:%d:%d", &h, &m, &s, &f), 4) << text;
          const int expected = countDown ? std::max(start - frame, 0) : start + frame;
          ASSERT_EQ(((h * 60 + m) * 60 + s) * fpsInt + f, expected)
              << text << " at frame " << frame << ", fps " << fps << " down " << countDown << " start frame "
              << startFrame;
        }
      }
    }
  }
}

TEST(TimerTextFrames, FrameCounters) {
  const double inf = std::numeric_limits<double>::infinity();
  const FrameTextCase cases[] = {
      {14, 1234.9, 25, 1, "001234"},       {14, 0, 25, 1, "000000"},
      {14, 1234567.5, 25, 1, "1234567"},   {15, 1234.9, 25, 0, "001234"},
      {15, 1234.9, 25, 1, "001234.1"},     {15, 1234.9, 25, 2, "001234.2"},
      {15, 1234.9, 25, 3, "001234"},       {15, 1234.9, 25, 4, "001234"},
      {15, 1234.9, 25, -1, "001234"},      {14, -5.5, 25, 1, "-00005"},
      {14, std::nan(""), 25, 1, "000000"}, {14, 1e300, 25, 1, "2147483647"},
      {14, inf, 25, 1, "2147483647"},      {15, -inf, 25, 2, "-2147483648.2"},
  };
  for (const FrameTextCase& c : cases) {
    const ClockValue v = valueOf(0, 0, 0, 0, c.clockFrames, c.fps);
    EXPECT_EQ(narrow(textOf(v, c.style, "", c.field)), c.expected)
        << "style " << c.style << " frames " << c.clockFrames << " field " << c.field;
  }
}

TEST(TimerTextDates, PrintTheStartDateWithFourDigitYears) {
  ClockValue v = valueOf(12, 0, 0, 0);
  EXPECT_EQ(narrow(textOf(v, 11)), "07.03.2010 12:00:00");
  EXPECT_EQ(narrow(textOf(v, 12)), "03/07/2010 12:00:00");
  v.year = 99;
  v.day = 31;
  v.month = 12;
  EXPECT_EQ(narrow(textOf(v, 11)), "31.12.0099 12:00:00");
  EXPECT_EQ(narrow(textOf(v, 12)), "12/31/0099 12:00:00");
}

struct FreeFormatCase {
  std::string pattern;
  std::u16string expected;
  const char* about;
  bool utf8Only = false;  // bytes read as UTF-8: the expected text needs that code page
};

TEST(TimerTextFreeFormat, ExpandsThePattern) {
  test::LocaleGuard locale(test::kCUtf8Locale);
  ASSERT_TRUE(locale.active());
  const std::string pairs126(252, '%');  // "%%" x 126: 126 percent signs
  const FreeFormatCase cases[] = {
      {"%H:%M", u"08:15", "time"},
      {"100%", u"100%", "trailing percent prints"},
      {"%H%", u"08%", "trailing percent after a conversion"},
      {"", u"", "empty pattern"},
      {"%d.%m.%Y %y", u"07.03.2010 10", "date"},
      {"%A %a %j %U", u"Sunday Sun 001 01", "weekday and day of year are Sunday and day 1"},
      {"%B", u"March", "month name"},
      {std::string("ab\0%H", 5), u"ab", "stops at the first NUL"},
      {pairs126 + "x%", std::u16string(126, u'%') + u"x%", "254 bytes: the trailing percent prints"},
      {pairs126 + "%%%", std::u16string(127, u'%') + u" ", "255 bytes: the trailing percent becomes a space"},
      {pairs126 + "%%%%%%", std::u16string(127, u'%') + u" ", "longer than 255 bytes: the first 255 count"},
      {std::string(254, 'a'), std::u16string(254, u'a'), "254 bytes fit exactly"},
      {std::string(254, 'a') + "%", u"", "255 bytes whose expansion is 255 bytes: does not fit"},
      {"%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y"
       "%Y%Y%Y%Y%Y%Y%Y%Y%Y%Y",
       u"", "expansion overflows: empty, not a partial text"},
      {"%p", u"AM", "locale's AM"},
      {"Zeit: %H Uhr \u2013 \u00e4\u00f6\u00fc", u"Zeit: 08 Uhr \u2013 \u00e4\u00f6\u00fc", "UTF-8 text", true},
      {"\xF0\x9F\x95\x97 %M", u"\U0001F557 15", "outside the BMP: a surrogate pair", true},
      {"\xFF%H", u"\uFFFD08", "invalid UTF-8 is replaced", true},
  };
#ifdef _WIN32
  const bool utf8CodePage = GetACP() == CP_UTF8;
#else
  const bool utf8CodePage = true;  // the platform layer's code page is UTF-8
#endif
  ClockValue v = valueOf(8, 15, 0, 0);
  for (const FreeFormatCase& c : cases) {
    if (c.utf8Only && !utf8CodePage) continue;
    EXPECT_EQ(narrow(textOf(v, 13, c.pattern)), narrow(c.expected)) << c.about;
  }
}

}  // namespace
}  // namespace horaz
