// The order in which a render asks the host: every call that can fail, as
// the host's ledger logs it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render_test_support.h"

namespace horaz::test {
namespace {

std::string fetch(const std::string& name) { return "ParameterSet.GetParameter(" + name + ")"; }
std::string atTime(const std::string& name) { return "Parameter.GetValueAtTime(" + name + ")"; }
std::string withoutTime(const std::string& name) { return "Parameter.GetValue(" + name + ")"; }

// The calls of a render up to and including the parameter reads.
std::vector<std::string> expectedCalls(bool readsStartTimeText) {
  std::vector<std::string> calls = {
      "OutputSet.GetOutputFrame",
      "QueryInterface",  // the host's render-time interface
      "Frame.GetPixelLayout",     "ParameterSet.GetInputAccessor", "InputAccessor.GetInputFrame",
  };
  auto add = [&calls](std::initializer_list<std::string> more) { calls.insert(calls.end(), more); };
  // Foreground channels, clock type and style: objects first, then values.
  add({fetch("Foreground Red"), fetch("Foreground Blue"), fetch("Foreground Green"), fetch("Foreground Opacity"),
       fetch("the List value"), fetch("Style List")});
  add({atTime("Foreground Red"), atTime("Foreground Blue"), atTime("Foreground Green"), atTime("Foreground Opacity"),
       atTime("the List value"), atTime("Style List")});
  // Background channels likewise.
  add({fetch("Background Red"), fetch("Background Blue"), fetch("Background Green"), fetch("Background Opacity")});
  add({atTime("Background Red"), atTime("Background Blue"), atTime("Background Green"), atTime("Background Opacity")});
  // Each of the others right after its object.
  for (const char* name : {"Alignment List", "Time Speed Factor", "X", "Y", "Size"}) add({fetch(name), atTime(name)});
  add({fetch("Start Time Hour"), withoutTime("Start Time Hour")});
  for (const char* name : {"Start Time Minute", "Start Time Second"}) add({fetch(name), atTime(name)});
  add({fetch("Start Time Millsecond"), withoutTime("Start Time Millsecond")});
  for (const char* name : {"Start Time Frame", "Start Time Day", "Start Time Month", "Start Time Year"})
    add({fetch(name), atTime(name)});
  add({fetch("Stop Time Hour"), withoutTime("Stop Time Hour")});
  for (const char* name : {"Stop Time Minute", "Stop Time Second"}) add({fetch(name), atTime(name)});
  add({fetch("Stop Time Millsecond"), withoutTime("Stop Time Millsecond")});
  add({fetch("Stop Time Frame"), atTime("Stop Time Frame"), fetch("Count Down"), atTime("Count Down")});
  add({fetch("PrivateData"), "Parameter.GetInfo(PrivateData)", withoutTime("PrivateData")});
  if (readsStartTimeText) add({fetch("Start Time"), withoutTime("Start Time")});
  return calls;
}

struct OrderCase {
  int32_t clockType;
  int32_t timerStyle;
  bool readsStartTimeText;  // only the text clocks make a text, only style 13 needs the pattern
};

class RenderCallOrder : public RenderTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(RenderCallOrder, FollowsThePipeline) {
  const OrderCase c = GetParam();
  host().setNumber("the List value", c.clockType);
  host().setNumber("Style List", c.timerStyle);
  host().setText("Start Time", "%H:%M:%S");
  FramePair frames = makeFrames(host(), 32, 24);
  host().ledger().resetCalls();
  host().ledger().setRecording(true);

  ASSERT_EQ(host().renderFrame(0, frames.in(), frames.out()), acf::kOk);
  EXPECT_EQ(host().ledger().log(), expectedCalls(c.readsStartTimeText));
}

INSTANTIATE_TEST_SUITE_P(ClockTypesAndStyles, RenderCallOrder,
                         ::testing::Values(OrderCase{kAnalog, 1, false}, OrderCase{kAnalog, 13, false},
                                           OrderCase{kDigital, 1, false}, OrderCase{kDigital, 13, true},
                                           OrderCase{kLed, 13, true}, OrderCase{3, 13, false}));

TEST_F(RenderTest, InputFrameIsAskedWithTheRequestValueFieldAndFieldMode) {
  FramePair frames = makeFrames(host(), 16, 8);
  frames.out().setFieldMode(2);
  RenderSettings settings;
  settings.requestValue = 77;
  const testhost::RenderOutcome outcome =
      host().renderCall(host().effect(), {4.0, 2}, frames.in(), frames.out(), settings);
  ASSERT_EQ(outcome.result, acf::kOk);
  ASSERT_TRUE(outcome.inputRequest.has_value());
  EXPECT_EQ(*outcome.inputRequest, (testhost::InputFrameRequest{77, 2, 2}));
}

}  // namespace
}  // namespace horaz::test
