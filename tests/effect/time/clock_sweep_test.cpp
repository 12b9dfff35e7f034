// Whole-day sweeps and hostile inputs: the shown time stays a time of day,
// keeps running past 2^31 elapsed milliseconds, and every text fits.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "effect/clock_time.h"
#include "effect/timer_text.h"
#include "locale_guard.h"

namespace horaz {
namespace {

constexpr int64_t kDayMs = 86400000;
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

int64_t timeOfDay(const ClockValue& v) {
  return ((int64_t{v.hours} * 60 + v.minutes) * 60 + v.seconds) * 1000 + v.milliseconds;
}

::testing::AssertionResult fieldsInRange(const ClockValue& v) {
  if (v.hours < 0 || v.hours > 23 || v.minutes < 0 || v.minutes > 59 || v.seconds < 0 || v.seconds > 59 ||
      v.milliseconds < 0 || v.milliseconds > 999) {
    return ::testing::AssertionFailure() << "shows " << v.hours << ":" << v.minutes << ":" << v.seconds << "."
                                         << v.milliseconds;
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult fieldsBounded(const ClockValue& v) {
  if (std::abs(v.hours) > 23 || std::abs(v.minutes) > 59 || std::abs(v.seconds) > 59 ||
      std::abs(v.milliseconds) > 999) {
    return ::testing::AssertionFailure() << "shows " << v.hours << ":" << v.minutes << ":" << v.seconds << "."
                                         << v.milliseconds;
  }
  return ::testing::AssertionSuccess();
}

// Every style's text stays NUL-terminated inside its buffer.
::testing::AssertionResult everyTextFits(const ClockValue& v) {
  for (int32_t style = 0; style <= 16; ++style) {
    const TimerText text = makeTimerText(v, style, "%A %d.%m.%Y %H:%M:%S %j %Z %y %C %G %s 100%", [] { return 2; });
    if (text.units.back() != u'\0' || text.length() >= TimerText::kCapacity) {
      return ::testing::AssertionFailure() << "style " << style << " overran its buffer";
    }
  }
  return ::testing::AssertionSuccess();
}

ClockInputs dayClip(double fps, int32_t factor, int32_t countDown) {
  ClockInputs in;
  in.framesPerSecond = fps;
  in.speedFactor = factor;
  in.startHour = 12;
  in.startMinute = 34;
  in.startSecond = 56;
  in.startMillisecond = 789;
  in.startDay = 1;
  in.startMonth = 1;
  in.startYear = 2010;
  in.countDown = countDown;
  in.timerStyle = 1;
  return in;
}

// Every frame of a 24-hour clip. Counting up without a stop, the time of day
// advances on every frame by that frame's share of scaled milliseconds (one
// either way for truncation), modulo a day, also past 2^31 elapsed ms, which
// factor 500 reaches after 72 minutes. Counting down it falls by as much and
// then holds at 0. Every 997th frame all texts are made too.
TEST(ClockSweep, EveryFrameOfADayStaysATimeOfDay) {
  test::LocaleGuard locale(test::kCUtf8Locale);
  const int64_t start = ((12 * 60 + 34) * 60 + 56) * 1000 + 789;
  for (const double fps : {25.0, 29.97}) {
    for (const int32_t factor : {-500, -1, 0, 1, 500}) {
      for (const int32_t countDown : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "fps " << fps << " factor " << factor << " down " << countDown);
        ClockInputs in = dayClip(fps, factor, countDown);
        const double stepMs = (factor >= 0 ? factor : -1.0 / factor) * 1000.0 / fps;
        const int64_t lowestStep = static_cast<int64_t>(std::floor(stepMs)) - 1;
        const int64_t highestStep = static_cast<int64_t>(std::ceil(stepMs)) + 1;
        const int64_t frames = static_cast<int64_t>(std::ceil(86400.0 * fps));
        int64_t previous = timeOfDay(computeClockValue(in));
        ASSERT_EQ(previous, start);
        double mostElapsedMs = 0.0;
        for (int64_t frame = 1; frame <= frames; ++frame) {
          in.frameTime = static_cast<double>(frame);
          const ClockValue v = computeClockValue(in);
          ASSERT_TRUE(fieldsInRange(v)) << "frame " << frame;
          const int64_t now = timeOfDay(v);
          int64_t step = countDown ? previous - now : now - previous;
          if (step < -kDayMs / 2) step += kDayMs;
          if (step > kDayMs / 2) step -= kDayMs;
          if (countDown && now == 0) {
            ASSERT_GE(step, 0) << "frame " << frame;
          } else {
            ASSERT_GE(step, lowestStep) << "frame " << frame;
          }
          ASSERT_LE(step, highestStep) << "frame " << frame;
          previous = now;
          mostElapsedMs = v.clockFrames * 1000.0 / fps;
          if (frame % 997 == 0) {
            ASSERT_TRUE(everyTextFits(v)) << "frame " << frame;
          }
        }
        if (factor == 500) {
          EXPECT_GT(mostElapsedMs, 2147483648.0 * 10);
        }
        if (countDown && (factor == 1 || factor == -1 || factor == 500)) {
          EXPECT_EQ(previous, 0);
        }
        if (factor == 0) {
          EXPECT_EQ(previous, start);
        }
      }
    }
  }
}

// 2^31 ms at factor 500 and 25 fps lies between frames 107374 and 107375: the
// clock runs on by 20 s there instead of jumping.
TEST(ClockSweep, RunsOnAcrossTwoToTheThirtyOneMilliseconds) {
  ClockInputs in = dayClip(25, 500, 0);
  in.startHour = in.startMinute = in.startSecond = in.startMillisecond = 0;
  in.frameTime = 107374;
  EXPECT_EQ(timeOfDay(computeClockValue(in)), 2147480000 % kDayMs);
  in.frameTime = 107375;
  EXPECT_EQ(timeOfDay(computeClockValue(in)), 2147500000 % kDayMs);
  in.countDown = 1;  // counting down from there holds at the stop (0)
  EXPECT_EQ(timeOfDay(computeClockValue(in)), 0);
  in.countDown = 0;
  in.stopSecond = 10;  // counting up, holds at the stop
  EXPECT_EQ(timeOfDay(computeClockValue(in)), 10000);
}

struct Fields {
  int32_t value;
  const char* name;
};

// NaN, infinities, huge times, frame rates of 0 and below, and every time
// field at INT32_MIN or INT32_MAX: defined results (this runs clean under
// UBSan), a time of day in range, texts inside their buffers.
TEST(ClockExtremes, StayDefinedAndInRange) {
  test::LocaleGuard locale(test::kCUtf8Locale);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double times[] = {nan, inf, -inf, 1e300, -1e300, 1e15, -1e15, 4e9, 0.0, 100.0};
  const double rates[] = {25.0, 29.97, 0.0, -0.0, -25.0, nan, inf, 1e-300};
  const int32_t factors[] = {kMin, -500, -1, 0, 1, 500, kMax};
  const Fields fieldSets[] = {{0, "zero"}, {kMin, "INT32_MIN"}, {kMax, "INT32_MAX"}, {-1, "-1"}};
  for (const double time : times) {
    for (const double fps : rates) {
      for (const int32_t factor : factors) {
        for (const Fields& fields : fieldSets) {
          for (const int32_t countDown : {0, 1}) {
            for (const int32_t style : {1, 10, 14}) {
              ClockInputs in;
              in.frameTime = time;
              in.framesPerSecond = fps;
              in.speedFactor = factor;
              in.startHour = in.startMinute = in.startSecond = in.startMillisecond = fields.value;
              in.startFrame = in.startDay = in.startMonth = in.startYear = fields.value;
              in.stopHour = in.stopMinute = in.stopSecond = in.stopMillisecond = fields.value;
              in.countDown = countDown;
              in.timerStyle = style;
              const ClockValue v = computeClockValue(in);
              // A clock counting up from before its start may show a negative
              // time that fits 32 bits, as it always did; only its size is bounded.
              ASSERT_TRUE(time < 0 ? fieldsBounded(v) : fieldsInRange(v))
                  << "time " << time << " fps " << fps << " factor " << factor << " fields " << fields.name << " down "
                  << countDown << " style " << style;
              ASSERT_TRUE(everyTextFits(v)) << "time " << time << " fps " << fps << " fields " << fields.name;
            }
          }
        }
      }
    }
  }
}

TEST(ClockExtremes, UnusableTimesAndRatesShowTheStart) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double time;
    double fps;
  };
  const Case cases[] = {{nan, 25}, {inf, 25}, {-inf, 25}, {100, 0}, {100, -25}, {100, nan}, {100, -0.0}};
  for (const Case& c : cases) {
    ClockInputs in = dayClip(c.fps, 1, 0);
    in.frameTime = c.time;
    EXPECT_EQ(timeOfDay(computeClockValue(in)), ((12 * 60 + 34) * 60 + 56) * 1000 + 789)
        << "time " << c.time << " fps " << c.fps;
  }
}

}  // namespace
}  // namespace horaz
