// Values no careful host sends: absurd parameter values, frame rates, pixel
// aspects and frame sizes. Each render stays defined, reads and writes only
// inside the host's buffers and releases everything; a frame the render
// cannot serve is refused with the output untouched. Also the reference
// host's own parameter handling.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "definition/font_record.h"
#include "host/vocabulary.h"
#include "render_test_support.h"

namespace horaz::test {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A frame that answers another size than its pixels have; everything else
// is the real frame's.
class MisreportedFrame final : public testhost::HostObject<acf::Frame> {
 public:
  MisreportedFrame(HostFrame& real, int32_t width, int32_t height)
      : HostObject(real.sharedLedger()), real_(CountedRef<HostFrame>::share(&real)), width_(width), height_(height) {}

  int32_t ACFCALL GetWidth() override { return width_; }
  int32_t ACFCALL GetHeight() override { return height_; }
  int32_t ACFCALL GetFieldMode() override { return real_->GetFieldMode(); }
  int32_t ACFCALL GetFieldKind() override { return real_->GetFieldKind(); }
  acf::Result ACFCALL GetPixelLayout(acf::PixelLayout** out) override { return real_->GetPixelLayout(out); }
  double ACFCALL GetPixelAspect() override { return real_->GetPixelAspect(); }
  int32_t ACFCALL GetFirstField() override { return real_->GetFirstField(); }
  uint8_t* ACFCALL GetRow(int32_t y, int32_t plane) override { return real_->GetRow(y, plane); }

 private:
  CountedRef<HostFrame> real_;
  int32_t width_;
  int32_t height_;
};

struct SizeCase {
  const char* name;
  int32_t width, height;  // what both frames claim
  acf::Result expected;
};

class MisreportedSize : public RenderTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(MisreportedSize, IsRefusedOrServedWithoutTouchingTheOutput) {
  const SizeCase c = GetParam();
  FramePair frames = makeFrames(host(), 40, 30);
  {
    auto input = CountedRef<MisreportedFrame>::adopt(new MisreportedFrame(frames.in(), c.width, c.height));
    auto output = CountedRef<MisreportedFrame>::adopt(new MisreportedFrame(frames.out(), c.width, c.height));
    const int64_t baseline = host().ledger().liveObjects();
    EXPECT_EQ(host().renderCall(host().effect(), {0.0, 0}, *input.get(), *output.get()).result, c.expected);
    EXPECT_EQ(host().ledger().liveObjects(), baseline);
  }
  EXPECT_TRUE(allBytesAre(frames.out(), 0xA5));
  EXPECT_TRUE(platformClean());
}

INSTANTIATE_TEST_SUITE_P(Frames, MisreportedSize,
                         ::testing::Values(SizeCase{"empty", 0, 0, acf::kOk}, SizeCase{"no_rows", 40, 0, acf::kOk},
                                           SizeCase{"no_columns", 0, 30, acf::kOk},
                                           SizeCase{"too_large_for_a_surface", 100000, 100000, acf::kOutOfMemory},
                                           SizeCase{"negative_width", -40, 30, acf::kOutOfMemory},
                                           SizeCase{"negative_height", 40, -30, acf::kOutOfMemory}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RenderTest, InputSmallerThanTheOutputIsRefused) {
  auto input = host().makeFrame(32, 30);
  auto output = host().makeFrame(40, 30);
  fillBytes(*output.get(), 0xA5);
  EXPECT_EQ(host().renderFrame(0, *input.get(), *output.get()), acf::kUnexpected);
  EXPECT_TRUE(allBytesAre(*output.get(), 0xA5));
  auto shorter = host().makeFrame(40, 29);
  EXPECT_EQ(host().renderFrame(0, *shorter.get(), *output.get()), acf::kUnexpected);
  EXPECT_TRUE(allBytesAre(*output.get(), 0xA5));
  EXPECT_TRUE(platformClean());
}

TEST_F(RenderTest, LargerInputIsReadOnlyWhereTheOutputIs) {
  host().setNumber("the List value", 3);
  auto input = host().makeFrame(48, 32, {PixelFormat::kRgba});
  auto output = host().makeFrame(40, 30, {PixelFormat::kRgba});
  fillNoise(*input.get(), 3);
  ASSERT_EQ(host().renderFrame(0, *input.get(), *output.get()), acf::kOk);
  for (int32_t y = 0; y < 30; ++y)
    EXPECT_EQ(std::memcmp(output->memoryRow(y), input->memoryRow(y), 40 * 4), 0) << "row " << y;
}

// --- parameter values far outside their ranges -------------------------------

struct ValueCase {
  const char* parameter;
  double value;
};

class AbsurdParameterValue : public RenderTest, public ::testing::WithParamInterface<std::tuple<int32_t, ValueCase>> {};

TEST_P(AbsurdParameterValue, RendersAndReleasesEverything) {
  const auto [clockType, c] = GetParam();
  host().setNumber("the List value", clockType);
  host().setNumber(c.parameter, c.value);
  for (const FrameFormat format : {FrameFormat{PixelFormat::kBgra}, FrameFormat{PixelFormat::kYCbYCr, true}}) {
    FramePair frames = makeFrames(host(), 64, 48, format);
    const int64_t baseline = host().ledger().liveObjects();
    EXPECT_EQ(host().renderFrame(12, frames.in(), frames.out()), acf::kOk);
    EXPECT_EQ(host().ledger().liveObjects(), baseline);
  }
  EXPECT_TRUE(platformClean());
}

INSTANTIATE_TEST_SUITE_P(
    Values, AbsurdParameterValue,
    ::testing::Combine(::testing::Values(kAnalog, kDigital, kLed),
                       ::testing::Values(ValueCase{"X", kNaN}, ValueCase{"X", kInf}, ValueCase{"X", -kInf},
                                         ValueCase{"X", 1e300}, ValueCase{"Y", -1e300}, ValueCase{"Y", kNaN},
                                         ValueCase{"Size", kNaN}, ValueCase{"Size", kInf}, ValueCase{"Size", 1e300},
                                         ValueCase{"Size", -50}, ValueCase{"Size", 1e7},
                                         ValueCase{"Foreground Opacity", kNaN}, ValueCase{"Foreground Opacity", 1e12},
                                         ValueCase{"Background Opacity", -kInf}, ValueCase{"Foreground Red", 1e300},
                                         ValueCase{"Foreground Green", -300}, ValueCase{"Background Blue", kNaN},
                                         ValueCase{"Time Speed Factor", -2147483648.0},
                                         ValueCase{"Time Speed Factor", 2147483647.0},
                                         ValueCase{"Start Time Hour", -2147483648.0},
                                         ValueCase{"Start Time Year", 2147483647.0}, ValueCase{"Style List", 16},
                                         ValueCase{"Style List", -3}, ValueCase{"Alignment List", 7})),
    [](const auto& info) {
      std::string name = clockTypeName(std::get<0>(info.param)) + "_" + std::get<1>(info.param).parameter + "_" +
                         std::to_string(info.index);
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

struct ClipCase {
  const char* name;
  double framesPerSecond;
  double pixelAspect;
};

class AbsurdClip : public RenderTest, public ::testing::WithParamInterface<std::tuple<int32_t, ClipCase>> {};

TEST_P(AbsurdClip, RendersAndReleasesEverything) {
  const auto [clockType, c] = GetParam();
  host().setNumber("the List value", clockType);
  host().setNumber("Style List", 10);  // the timecode divides by the frame rate
  RenderSettings settings;
  settings.framesPerSecond = c.framesPerSecond;
  settings.pixelAspect = c.pixelAspect;
  FramePair frames = makeFrames(host(), 64, 48);
  EXPECT_EQ(host().renderFrame(30, frames.in(), frames.out(), settings), acf::kOk);
  EXPECT_TRUE(platformClean());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, AbsurdClip,
    ::testing::Combine(::testing::Values(kAnalog, kDigital, kLed),
                       ::testing::Values(ClipCase{"rate_0", 0.0, 1.0}, ClipCase{"rate_nan", kNaN, 1.0},
                                         ClipCase{"rate_inf", kInf, 1.0}, ClipCase{"rate_negative", -25.0, 1.0},
                                         ClipCase{"rate_tiny", 1e-300, 1.0}, ClipCase{"aspect_0", 25.0, 0.0},
                                         ClipCase{"aspect_nan", 25.0, kNaN}, ClipCase{"aspect_inf", 25.0, kInf},
                                         ClipCase{"aspect_negative", 25.0, -1.0}, ClipCase{"aspect_tiny", 25.0, 1e-300},
                                         ClipCase{"aspect_huge", 25.0, 1e300},
                                         ClipCase{"aspect_factor_subnormal", 25.0, 1e40})),
    [](const auto& info) { return clockTypeName(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name; });

// --- the reference host's parameters -----------------------------------------

TEST_F(RenderTest, ParametersStartAtTheirRegisteredDefaults) {
  EXPECT_EQ(host().numberAt("X", 0), 50.0);
  EXPECT_EQ(host().numberAt("Size", 0), 50.0);
  EXPECT_EQ(host().numberAt("Foreground Red", 0), 128.0);
  EXPECT_EQ(host().numberAt("Background Opacity", 0), 100.0);
  EXPECT_EQ(host().numberAt("Time Speed Factor", 0), 1.0);
  EXPECT_EQ(host().numberAt("Start Time Year", 0), 2010.0);
  // The lists declare no default: a host gives them 0.
  EXPECT_EQ(host().numberAt("the List value", 0), 0.0);
  EXPECT_EQ(host().numberAt("Style List", 0), 0.0);
  EXPECT_EQ(host().numberAt("Alignment List", 0), 0.0);
  const acf::Guid fontId = host().parameterId("PrivateData");
  EXPECT_EQ(host().store().valueTypeOf(fontId), acf::value_type::kData);
  const std::vector<uint8_t> font = host().store().currentValue(fontId);
  EXPECT_EQ(font, std::vector<uint8_t>(definition::kDefaultFontRecordBytes.begin(),
                                       definition::kDefaultFontRecordBytes.end()));
  EXPECT_TRUE(host().store().currentValue(host().parameterId("Start Time")).empty());
}

TEST_F(RenderTest, NumbersAreStoredInTheParametersOwnType) {
  host().setNumber("Start Time Hour", 7.9);  // an integer parameter: truncated
  EXPECT_EQ(host().numberAt("Start Time Hour", 0), 7.0);
  host().setNumberKeyframe("X", 0, 10);
  host().setNumberKeyframe("X", 10, 30);
  EXPECT_EQ(host().numberAt("X", 5), 20.0);  // doubles interpolate
  host().setNumberKeyframe("Style List", 0, 1);
  host().setNumberKeyframe("Style List", 10, 5);
  EXPECT_EQ(host().numberAt("Style List", 9.9), 1.0);  // integers hold
  EXPECT_THROW(host().setNumber("No Such Parameter", 1), std::invalid_argument);
  EXPECT_THROW(host().setNumber("Start Time", 1), std::invalid_argument);
  host().resetParameters();
  EXPECT_EQ(host().numberAt("X", 5), 50.0);
}

}  // namespace
}  // namespace horaz::test
