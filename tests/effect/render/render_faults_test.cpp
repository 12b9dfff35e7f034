// Fault injection: every host call of a render that can fail fails in turn.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render_test_support.h"

namespace horaz::test {
namespace {

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// What the render returns when `call` fails with kHostFailure: a value read
// is no error (the value counts as 0), except the font record and the
// free-format pattern; a missing render-time interface is kUnexpected; any
// other failure is passed on unchanged.
acf::Result expectedResult(const std::string& call) {
  if (call == "QueryInterface") return acf::kUnexpected;
  const bool valueRead = startsWith(call, "Parameter.GetValue");
  const bool mustSucceed =
      call.find("(PrivateData)") != std::string::npos || call.find("(Start Time)") != std::string::npos;
  if (valueRead && !mustSucceed) return acf::kOk;
  return kHostFailure;
}

struct SweepCase {
  int32_t clockType;
  FrameFormat format;
};

class FailingHostCall : public RenderTest, public ::testing::WithParamInterface<SweepCase> {};

TEST_P(FailingHostCall, ReturnsItsCodeAndReleasesEverything) {
  const SweepCase c = GetParam();
  host().setNumber("the List value", c.clockType);
  host().setNumber("Style List", 13);  // the text clocks then read the pattern too
  host().setText("Start Time", "%H:%M");
  Ledger& ledger = host().ledger();

  // The calls of a render that succeeds.
  FramePair frames = makeFrames(host(), 48, 32, c.format);
  ledger.resetCalls();
  ledger.setRecording(true);
  ASSERT_EQ(host().renderFrame(5, frames.in(), frames.out()), acf::kOk);
  ledger.setRecording(false);
  const std::vector<std::string> calls = ledger.log();
  ASSERT_GT(calls.size(), 60u);

  for (size_t index = 0; index < calls.size(); ++index) {
    SCOPED_TRACE("call " + std::to_string(index + 1) + ": " + calls[index]);
    fillBytes(frames.out(), 0xA5);
    const int64_t baseline = ledger.liveObjects();
    ledger.resetCalls();
    ledger.failCall(index + 1, kHostFailure);

    const acf::Result result = host().renderFrame(5, frames.in(), frames.out());
    ledger.clearFaults();

    const acf::Result expected = expectedResult(calls[index]);
    EXPECT_EQ(result, expected);
    if (acf::failed(expected)) {
      EXPECT_TRUE(allBytesAre(frames.out(), 0xA5)) << "a failed render wrote the output";
    }
    EXPECT_EQ(ledger.liveObjects(), baseline);
    EXPECT_TRUE(platformClean());
  }
}

INSTANTIATE_TEST_SUITE_P(ClockTypes, FailingHostCall,
                         ::testing::Values(SweepCase{kAnalog, {PixelFormat::kBgra}},
                                           SweepCase{kDigital, {PixelFormat::kCbYCrY}},
                                           SweepCase{kLed, {PixelFormat::kRgba, false, true}}),
                         [](const auto& info) { return clockTypeName(info.param.clockType); });

TEST_F(RenderTest, AnUnreadableValueCountsAsZero) {
  // The host holds an opaque foreground but cannot hand it over: with the
  // background transparent as well, nothing of the clock shows.
  host().setNumber("Background Opacity", 0);
  host().ledger().failOperation("Parameter.GetValueAtTime(Foreground Opacity)", kHostFailure);
  FramePair frames = makeFrames(host(), 48, 32);
  ASSERT_EQ(host().renderFrame(0, frames.in(), frames.out()), acf::kOk);
  EXPECT_TRUE(framesEqual(frames.in(), frames.out()));

  host().ledger().clearFaults();
  ASSERT_EQ(host().renderFrame(0, frames.in(), frames.out()), acf::kOk);
  EXPECT_FALSE(framesEqual(frames.in(), frames.out())) << "readable, the foreground shows";
}

}  // namespace
}  // namespace horaz::test
