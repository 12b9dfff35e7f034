// The render end to end through the plug-in's entry points: what each clock
// type writes, where the clock lands, how opacities reach the output, and
// the fallbacks for unreadable values.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "host/host_object.h"
#include "render_test_support.h"

namespace horaz::test {
namespace {

using testhost::Rgb;

constexpr int32_t kWidth = 720;
constexpr int32_t kHeight = 576;

// --- every clock type, every layout ------------------------------------------

class ClockTypeInLayout : public RenderTest, public ::testing::WithParamInterface<std::tuple<int32_t, FrameFormat>> {};

TEST_P(ClockTypeInLayout, DrawsTheClockAndCopiesEveryOtherRow) {
  const auto [clockType, format] = GetParam();
  host().setNumber("the List value", clockType);
  FramePair frames = makeFrames(host(), kWidth, kHeight, format);

  ASSERT_EQ(host().renderFrame(0, frames.in(), frames.out()), acf::kOk);

  // With the defaults the clock sits at the centre, 144 pixels of radius (or
  // less) around row 288; every picture row well outside carries the input.
  int32_t drawnRows = 0;
  for (int32_t y = 0; y < kHeight; ++y) {
    const int32_t row = frames.in().memoryRowOf(y);
    const bool equal = rowsEqual(frames.in(), frames.out(), row);
    if (y < 140 || y > 436) {
      EXPECT_TRUE(equal) << "picture row " << y;
    } else if (!equal) {
      ++drawnRows;
    }
  }
  EXPECT_GT(drawnRows, 20);
  EXPECT_TRUE(platformClean());
}

INSTANTIATE_TEST_SUITE_P(Defaults, ClockTypeInLayout,
                         ::testing::Combine(::testing::Values(kAnalog, kDigital, kLed),
                                            ::testing::ValuesIn(representativeFormats())),
                         [](const auto& info) {
                           return clockTypeName(std::get<0>(info.param)) + "_" + formatName(std::get<1>(info.param));
                         });

class UnknownClockType : public RenderTest, public ::testing::WithParamInterface<FrameFormat> {};

TEST_P(UnknownClockType, CopiesTheInputUnchanged) {
  for (const int32_t clockType : {3, -1, 1000}) {
    host().setNumber("the List value", clockType);
    FramePair frames = makeFrames(host(), 64, 48, GetParam(), 7);
    ASSERT_EQ(host().renderFrame(3, frames.in(), frames.out()), acf::kOk);
    EXPECT_TRUE(framesEqual(frames.in(), frames.out())) << "clock type " << clockType;
  }
  EXPECT_TRUE(platformClean());
}

INSTANTIATE_TEST_SUITE_P(Layouts, UnknownClockType, ::testing::ValuesIn(representativeFormats()),
                         [](const auto& info) { return formatName(info.param); });

// --- where the clock lands ---------------------------------------------------

// An analog clock at the start of the clip: all hands point up, so the left,
// right, top and bottom of the dial show only the dial.
struct DialCase {
  double x, y, size;
  int32_t centreX, centreY, radius;  // posX, posY, baseSize as the render computes them
};

class DialPlacement : public RenderTest, public ::testing::WithParamInterface<DialCase> {};

TEST_P(DialPlacement, DialSpansTheComputedCircle) {
  const DialCase c = GetParam();
  host().setNumber("X", c.x);
  host().setNumber("Y", c.y);
  host().setNumber("Size", c.size);
  FramePair frames = makeFrames(host(), kWidth, kHeight, {PixelFormat::kBgra});
  ASSERT_EQ(host().renderFrame(0, frames.in(), frames.out()), acf::kOk);

  const Rgb dial{50, 50, 50, 255};  // the background colour's defaults, opaque
  auto expectDial = [&](int32_t x, int32_t y) { EXPECT_EQ(frames.out().pixelRgb(x, y), dial) << x << "," << y; };
  auto expectInput = [&](int32_t x, int32_t y) {
    EXPECT_EQ(frames.out().pixelRgb(x, y), frames.in().pixelRgb(x, y)) << x << "," << y;
  };
  // A pixel inside and one outside each extreme of the circle, two pixels off
  // its axes, where neither hour marks nor hands are.
  const int32_t cx = c.centreX, cy = c.centreY, r = c.radius;
  expectDial(cx - r + 1, cy - 2);
  expectInput(cx - r - 3, cy - 2);
  expectDial(cx + r - 2, cy - 2);
  expectInput(cx + r + 2, cy - 2);
  expectDial(cx - 2, cy - r + 1);
  expectInput(cx - 2, cy - r - 3);
  expectDial(cx - 2, cy + r - 2);
  if (cy + r + 2 < kHeight) expectInput(cx - 2, cy + r + 2);
  // The hands meet at the centre, in the foreground colour's defaults (wide
  // enough to cover the centre pixel whole from a radius of some 40 on).
  if (r >= 40) {
    EXPECT_EQ(frames.out().pixelRgb(c.centreX, c.centreY), (Rgb{128, 128, 128, 255}));
  }
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, DialPlacement,
                         ::testing::Values(DialCase{50, 50, 50, 360, 288, 144},     // the defaults
                                           DialCase{25, 75, 50, 180, 432, 144},     // moved
                                           DialCase{50, 50, 25, 360, 288, 72},      // smaller
                                           DialCase{33.3, 40, 10, 239, 230, 28}));  // truncated, not rounded

// --- opacity to alpha --------------------------------------------------------

struct OpacityCase {
  double opacity;
  uint8_t alpha;  // trunc(opacity x 255 / 100)
};

class BackgroundOpacity : public RenderTest, public ::testing::WithParamInterface<OpacityCase> {};

TEST_P(BackgroundOpacity, BecomesTheDialsAlphaInTheFourthComponent) {
  const OpacityCase c = GetParam();
  host().setNumber("Background Opacity", c.opacity);
  for (const PixelFormat pixels : {PixelFormat::kRgba, PixelFormat::kBgra, PixelFormat::kArgb}) {
    FramePair frames = makeFrames(host(), kWidth, kHeight, {pixels});
    ASSERT_EQ(host().renderFrame(0, frames.in(), frames.out()), acf::kOk);
    const Rgb in = frames.in().pixelRgb(220, 288);
    const Rgb out = frames.out().pixelRgb(220, 288);
    if (c.alpha == 0) {
      EXPECT_EQ(out, in);
      continue;
    }
    // ((255 - a) x in) / 255 + (50 x a) / 255 for each colour channel.
    auto blended = [&](uint8_t input) { return uint8_t((255 - c.alpha) * input / 255 + 50 * c.alpha / 255); };
    EXPECT_EQ(out, (Rgb{blended(in.red), blended(in.green), blended(in.blue), c.alpha}))
        << testhost::pixelFormatName(pixels);
  }
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, BackgroundOpacity,
                         ::testing::Values(OpacityCase{50, 127}, OpacityCase{100, 255}, OpacityCase{0, 0},
                                           OpacityCase{99.9, 254}));

TEST_F(RenderTest, ForegroundOpacityBecomesTheHourMarksAlpha) {
  host().setNumber("Background Opacity", 0);
  host().setNumber("Foreground Opacity", 50);
  FramePair frames = makeFrames(host(), kWidth, kHeight, {PixelFormat::kRgba});
  ASSERT_EQ(host().renderFrame(0, frames.in(), frames.out()), acf::kOk);
  // The mark at three o'clock: a square from (490, 288), 4 pixels wide.
  EXPECT_EQ(frames.out().pixelRgb(491, 289).alpha, 127);
}

// --- unreadable values count as 0 --------------------------------------------

struct FallbackCase {
  const char* parameter;
  double setValue;       // what the host holds but cannot hand over
  double fallbackValue;  // what the render uses instead: 0, which means 1 for the style
};

class UnreadableList : public RenderTest, public ::testing::WithParamInterface<FallbackCase> {};

TEST_P(UnreadableList, FallsBackToTheValueZeroStandsFor) {
  const FallbackCase c = GetParam();
  host().setNumber("the List value", kDigital);
  auto render = [&] {
    FramePair frames = makeFrames(host(), kWidth, kHeight, {PixelFormat::kBgra});
    EXPECT_EQ(host().renderFrame(0, frames.in(), frames.out()), acf::kOk);
    return frames;
  };

  host().setNumber(c.parameter, c.fallbackValue);
  const FramePair expected = render();
  host().setNumber(c.parameter, c.setValue);
  const FramePair readable = render();
  host().ledger().failOperation(std::string("Parameter.GetValueAtTime(") + c.parameter + ")", kHostFailure);
  const FramePair unreadable = render();

  EXPECT_FALSE(framesEqual(readable.out(), expected.out())) << "the set value must show differently";
  EXPECT_TRUE(framesEqual(unreadable.out(), expected.out()));
}

INSTANTIATE_TEST_SUITE_P(Lists, UnreadableList,
                         ::testing::Values(FallbackCase{"Style List", 5, 1}, FallbackCase{"Alignment List", 1, 0}),
                         [](const auto& info) { return std::string(info.param.parameter).substr(0, 5); });

// --- the host's render-time interface and null arguments ---------------------

TEST_F(RenderTest, HostWithoutRenderInterfaceGetsUnexpectedAndAnUntouchedOutput) {
  host().host().setAnswers(acf::HostRenderInterface::kId, false);
  FramePair frames = makeFrames(host(), 64, 48);
  const int64_t baseline = host().ledger().liveObjects();

  EXPECT_EQ(host().renderFrame(0, frames.in(), frames.out()), acf::kUnexpected);
  EXPECT_TRUE(allBytesAre(frames.out(), 0xA5));
  EXPECT_EQ(host().ledger().liveObjects(), baseline);
  EXPECT_TRUE(platformClean());
}

TEST_F(RenderTest, NullArgumentsAreRefused) {
  FramePair frames = makeFrames(host(), 8, 8);
  acf::EffectInterface& effect = host().effect();
  EXPECT_EQ(effect.Render(nullptr, 0, 0, nullptr, 0, nullptr, nullptr), acf::kNullArgument);
  EXPECT_TRUE(allBytesAre(frames.out(), 0xA5));
}

TEST_F(RenderTest, OtherEffectOperationsAnswerAsTabled) {
  acf::EffectInterface& effect = host().effect();
  int32_t anything = 0;
  EXPECT_EQ(effect.Operation3(1, 2, 3, 4, 5, 6, 7), acf::kNotImplemented);
  EXPECT_EQ(effect.Operation4(&anything), acf::kOk);
  EXPECT_EQ(effect.Operation4(nullptr), acf::kNullArgument);
  EXPECT_EQ(effect.Operation5(1, 2), acf::kOk);
  EXPECT_EQ(effect.Operation6(1, 2, 3), acf::kOk);
  EXPECT_EQ(effect.Operation7(1, 2, 3, 4, 5), acf::kOk);
  EXPECT_EQ(effect.Operation9(1, 2, 3, 4, 5), acf::kOk);
  EXPECT_EQ(effect.Operation10(1, 2, 3), acf::kOk);
  EXPECT_EQ(effect.Operation11(1, 2), acf::kOk);
  EXPECT_EQ(anything, 0);
}

}  // namespace
}  // namespace horaz::test
