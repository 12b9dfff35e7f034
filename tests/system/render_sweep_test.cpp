// The render with each of its host calls failing in turn, for every clock
// type, both pixel families and both field modes. A failing object fetch,
// the font record's reads and the free-format pattern's read end the render
// with the host's code and leave the output frame untouched; a failing value
// read counts as 0 and the render goes on; a host without its render-time
// interface gives 0x8000FFFF.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fault_sweep.h"
#include "sweep_world.h"
#include "testhost/frame.h"

namespace horaz::test {
namespace {

using testhost::PixelFormat;

constexpr int32_t kWidth = 64;
constexpr int32_t kHeight = 48;

struct RenderCase {
  const char* name;
  int32_t clockType;  // 0 analog, 1 digital, 2 LED
  PixelFormat format;
  bool fields;
};

// Every byte of a frame's rows.
std::vector<uint8_t> bytesOf(const testhost::HostFrame& frame) {
  std::vector<uint8_t> bytes;
  for (int32_t y = 0; y < frame.height(); ++y) {
    const auto row = frame.memoryRowBytes(y);
    bytes.insert(bytes.end(), row.begin(), row.end());
  }
  return bytes;
}

class RenderTrial final : public Trial {
 public:
  RenderTrial(testhost::RenderHost& host, const RenderCase& renderCase) : host_(host), case_(renderCase) {
    host.resetParameters();
    host.setNumber("the List value", renderCase.clockType);
    // The digital clock shows a free-format text (one more read that can
    // fail the render), the LED clock a timecode (which asks for the field).
    host.setNumber("Style List", renderCase.clockType == 1 ? 13 : renderCase.clockType == 2 ? 10 : 1);
    host.setText("Start Time", "%H:%M:%S");
    host.setNumber("Size", 80.0);
    const testhost::FrameFormat format{renderCase.format};
    input_ = host.makeFrame(kWidth, kHeight, format);
    output_ = host.makeFrame(kWidth, kHeight, format);
    for (int32_t y = 0; y < kHeight; ++y) {
      std::memset(input_->memoryRow(y), 0x40 + (y & 0x1F), static_cast<size_t>(input_->rowBytes()));
      std::memset(output_->memoryRow(y), 0xA5, static_cast<size_t>(output_->rowBytes()));
    }
    for (testhost::HostFrame* frame : {input_.get(), output_.get()}) {
      frame->setFieldMode(renderCase.fields ? 1 : 0);
      frame->setFirstField(1);
    }
    before_ = bytesOf(*output_.get());
  }

  int32_t run() override {
    // In field rendering the second field: rows 1, 3, 5, ...
    const testhost::RenderCall call{12.0, case_.fields ? 2 : 0};
    return host_.renderCall(host_.effect(), call, *input_.get(), *output_.get()).result;
  }

  void check(int32_t expected, const std::string& failed) override {
    const std::vector<uint8_t> after = bytesOf(*output_.get());
    if (acf::failed(expected)) {
      EXPECT_EQ(after, before_) << "a failed render wrote the output frame";
    } else if (failed.empty()) {
      EXPECT_NE(after, before_) << "the render wrote nothing";
    }
  }

 private:
  testhost::RenderHost& host_;
  RenderCase case_;
  CountedRef<testhost::HostFrame> input_;
  CountedRef<testhost::HostFrame> output_;
  std::vector<uint8_t> before_;
};

// What the render returns when `operation` fails with `injected`.
int32_t renderExpectation(std::string_view operation, acf::Result injected) {
  // The only query the render makes is for the host's render-time interface.
  if (operation == "QueryInterface") return acf::kUnexpected;
  const bool valueRead =
      operation.starts_with("Parameter.GetValueAtTime(") || operation.starts_with("Parameter.GetValue(");
  const bool neededRead =
      operation == "Parameter.GetValue(PrivateData)" || operation == "Parameter.GetValue(Start Time)";
  if (valueRead && !neededRead) return acf::kOk;
  return injected;
}

class RenderSweep : public ::testing::TestWithParam<RenderCase> {};

TEST_P(RenderSweep, EveryFailingHostCallGivesItsCodeAndLeavesTheOutputAlone) {
  testhost::RenderHost& host = sweepHost();
  const SweepOutcome outcome = sweepHostCalls(
      std::string("render ") + GetParam().name, host.ledger(),
      [&] { return std::make_unique<RenderTrial>(host, GetParam()); }, acf::kOk, renderExpectation);
  EXPECT_GT(outcome.callsFailed, 40u);
}

INSTANTIATE_TEST_SUITE_P(ClockTypesFamiliesAndFields, RenderSweep,
                         ::testing::Values(RenderCase{"AnalogRgbProgressive", 0, PixelFormat::kBgra, false},
                                           RenderCase{"AnalogRgbFields", 0, PixelFormat::kRgba, true},
                                           RenderCase{"AnalogYccProgressive", 0, PixelFormat::kCbYCrY, false},
                                           RenderCase{"AnalogYccFields", 0, PixelFormat::kYCbYCr, true},
                                           RenderCase{"DigitalRgbProgressive", 1, PixelFormat::kArgb, false},
                                           RenderCase{"DigitalRgbFields", 1, PixelFormat::kBgra, true},
                                           RenderCase{"DigitalYccProgressive", 1, PixelFormat::kYCbYCr, false},
                                           RenderCase{"DigitalYccFields", 1, PixelFormat::kCbYCrY, true},
                                           RenderCase{"LedRgbProgressive", 2, PixelFormat::kRgba, false},
                                           RenderCase{"LedRgbFields", 2, PixelFormat::kArgb, true},
                                           RenderCase{"LedYccProgressive", 2, PixelFormat::kCbYCrY, false},
                                           RenderCase{"LedYccFields", 2, PixelFormat::kYCbYCr, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horaz::test
