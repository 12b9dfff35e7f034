#include "effect/clock_time.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace horaz {
namespace {

struct Hms {
  int32_t h, m, s, ms;
};

ClockInputs inputsAt(double frame, double fps, Hms start, Hms stop = {0, 0, 0, 0}) {
  ClockInputs in;
  in.frameTime = frame;
  in.framesPerSecond = fps;
  in.speedFactor = 1;
  in.speedApplies = 1;
  in.startHour = start.h;
  in.startMinute = start.m;
  in.startSecond = start.s;
  in.startMillisecond = start.ms;
  in.stopHour = stop.h;
  in.stopMinute = stop.m;
  in.stopSecond = stop.s;
  in.stopMillisecond = stop.ms;
  in.startDay = 7;
  in.startMonth = 3;
  in.startYear = 2010;
  in.timerStyle = 1;
  return in;
}

std::string shown(const ClockValue& v) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", v.hours, v.minutes, v.seconds, v.milliseconds);
  return text;
}

struct SpeedCase {
  int32_t factor;
  int32_t applies;
  double frame;
  double fps;
  const char* expected;
};

TEST(ClockSpeedFactor, ScalesTheElapsedTime) {
  const SpeedCase cases[] = {
      {1, 1, 100, 25, "10:00:04.000"},  {2, 1, 100, 25, "10:00:08.000"},   {0, 1, 100, 25, "10:00:00.000"},
      {0, 1, 1e6, 25, "10:00:00.000"},  {-1, 1, 100, 25, "10:00:04.000"},  {-2, 1, 100, 25, "10:00:02.000"},
      {-4, 1, 100, 25, "10:00:01.000"}, {500, 1, 100, 25, "10:33:20.000"}, {-500, 1, 100, 25, "10:00:00.008"},
      {4, 0, 100, 25, "10:00:04.000"},  {0, 0, 100, 25, "10:00:04.000"},   {-4, 0, 100, 25, "10:00:04.000"},
      {1, 1, 13, 25, "10:00:00.520"},   {1, 1, 1, 30, "10:00:00.033"},     {1, 1, 1, 29.97, "10:00:00.033"},
      {1, 1, 2, 30, "10:00:00.066"},    {-3, 1, 1, 25, "10:00:00.013"},
  };
  for (const SpeedCase& c : cases) {
    ClockInputs in = inputsAt(c.frame, c.fps, {10, 0, 0, 0});
    in.speedFactor = c.factor;
    in.speedApplies = c.applies;
    const ClockValue v = computeClockValue(in);
    EXPECT_EQ(shown(v), c.expected) << "factor " << c.factor << " applies " << c.applies << " frame " << c.frame
                                    << " fps " << c.fps;
  }
}

struct DirectionCase {
  Hms start;
  Hms stop;
  int32_t countDown;
  double frame;  // at 25 frames per second
  const char* expected;
};

TEST(ClockDirectionAndStop, CountsAndHolds) {
  const DirectionCase cases[] = {
      // Down from one minute to 30 s.
      {{0, 1, 0, 0}, {0, 0, 30, 0}, 1, 0, "00:01:00.000"},
      {{0, 1, 0, 0}, {0, 0, 30, 0}, 1, 250, "00:00:50.000"},
      {{0, 1, 0, 0}, {0, 0, 30, 0}, 1, 749, "00:00:30.040"},
      {{0, 1, 0, 0}, {0, 0, 30, 0}, 1, 750, "00:00:30.000"},
      {{0, 1, 0, 0}, {0, 0, 30, 0}, 1, 100000, "00:00:30.000"},
      // Down to 0: holds at zero, never negative.
      {{0, 1, 0, 0}, {0, 0, 0, 0}, 1, 1499, "00:00:00.040"},
      {{0, 1, 0, 0}, {0, 0, 0, 0}, 1, 1500, "00:00:00.000"},
      {{0, 1, 0, 0}, {0, 0, 0, 0}, 1, 9000, "00:00:00.000"},
      // Down with a stop at or above the start: the stop from the first frame.
      {{0, 0, 10, 0}, {0, 0, 20, 0}, 1, 0, "00:00:20.000"},
      {{0, 0, 10, 0}, {0, 0, 10, 0}, 1, 0, "00:00:10.000"},
      // Start and stop milliseconds count.
      {{0, 0, 1, 500}, {0, 0, 0, 250}, 1, 25, "00:00:00.500"},
      {{0, 0, 1, 500}, {0, 0, 0, 250}, 1, 50, "00:00:00.250"},
      // Up to a stop of 10 s.
      {{0, 0, 0, 0}, {0, 0, 10, 0}, 0, 249, "00:00:09.960"},
      {{0, 0, 0, 0}, {0, 0, 10, 0}, 0, 250, "00:00:10.000"},
      {{0, 0, 0, 0}, {0, 0, 10, 0}, 0, 90000, "00:00:10.000"},
      // Up with a stop below the start: the stop from the first frame.
      {{0, 0, 20, 0}, {0, 0, 10, 0}, 0, 0, "00:00:10.000"},
      // Up with stop 0: never stops.
      {{0, 0, 0, 0}, {0, 0, 0, 0}, 0, 25 * 3600 * 5, "05:00:00.000"},
      // A stop of only milliseconds is a stop.
      {{0, 0, 0, 0}, {0, 0, 0, 100}, 0, 25, "00:00:00.100"},
  };
  for (const DirectionCase& c : cases) {
    ClockInputs in = inputsAt(c.frame, 25, c.start, c.stop);
    in.countDown = c.countDown;
    EXPECT_EQ(shown(computeClockValue(in)), c.expected) << "down " << c.countDown << " frame " << c.frame;
  }
}

TEST(ClockWrap, WrapsAtMidnightAndKeepsTheDate) {
  struct Case {
    Hms start;
    double frame;
    const char* expected;
  };
  const Case cases[] = {
      {{23, 59, 59, 0}, 24, "23:59:59.960"},
      {{23, 59, 59, 0}, 25, "00:00:00.000"},
      {{23, 59, 59, 0}, 50, "00:00:01.000"},
      {{0, 0, 0, 0}, 25.0 * 3600 * 25, "01:00:00.000"},
      {{12, 0, 0, 0}, 25.0 * 3600 * 36, "00:00:00.000"},
  };
  for (const Case& c : cases) {
    const ClockValue v = computeClockValue(inputsAt(c.frame, 25, c.start));
    EXPECT_EQ(shown(v), c.expected) << "frame " << c.frame;
    EXPECT_EQ(v.day, 7);
    EXPECT_EQ(v.month, 3);
    EXPECT_EQ(v.year, 2010);
  }
}

struct StyleCase {
  int32_t style;
  const char* expected;
  double clockFrames;
};

// Start 00:00:00.500, start frame 12, stop 00:00:01.000, frame 100 at 25 fps.
TEST(ClockFrameBasedStyles, AddTheStartFrameAndIgnoreTheStop) {
  const StyleCase cases[] = {
      {10, "00:00:04.480", 112},  // 112 frames; the start millisecond does not count
      {14, "00:00:04.480", 112}, {15, "00:00:04.480", 112},
      {1, "00:00:01.000", 100},  // held at the stop; the start frame does not count
      {0, "00:00:01.000", 100},  // style 0 is style 1
      {9, "00:00:01.000", 100},  {11, "00:00:01.000", 100},
      {13, "00:00:01.000", 100},
  };
  for (const StyleCase& c : cases) {
    ClockInputs in = inputsAt(100, 25, {0, 0, 0, 500}, {0, 0, 1, 0});
    in.startFrame = 12;
    in.timerStyle = c.style;
    const ClockValue v = computeClockValue(in);
    EXPECT_EQ(shown(v), c.expected) << "style " << c.style;
    EXPECT_DOUBLE_EQ(v.clockFrames, c.clockFrames) << "style " << c.style;
  }
}

// Counting down, a timecode starts at its start time and frame; the frame
// counters keep counting their frames up from the start frame.
TEST(ClockFrameBasedStyles, CountingDownStartsAtTheStartFrame) {
  const StyleCase cases[] = {
      {10, "00:01:00.480", 12},
      {14, "00:01:00.480", 12},
      {15, "00:01:00.480", 12},
  };
  for (const StyleCase& c : cases) {
    ClockInputs in = inputsAt(0, 25, {0, 1, 0, 0});
    in.startFrame = 12;
    in.countDown = 1;
    in.timerStyle = c.style;
    const ClockValue v = computeClockValue(in);
    EXPECT_EQ(shown(v), c.expected) << "style " << c.style;
    EXPECT_DOUBLE_EQ(v.clockFrames, c.clockFrames) << "style " << c.style;
  }
}

TEST(ClockFrameBasedStyles, StartFrameAtFrameZero) {
  ClockInputs in = inputsAt(0, 25, {0, 0, 0, 0});
  in.startFrame = 12;
  in.timerStyle = 10;
  const ClockValue v = computeClockValue(in);
  EXPECT_EQ(shown(v), "00:00:00.480");
  EXPECT_DOUBLE_EQ(v.clockFrames, 12.0);
}

}  // namespace
}  // namespace horaz
