// The order in which registration tells the host things. The host builds its
// panel from these calls as they come, so the order is part of the contract.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "expected_registration.h"
#include "registered_plugin.h"

namespace horaz::test {
namespace {

using testhost::CallRecord;

// Builds the expected sequence of host calls (all but CreateInstance, which
// is checked on its own below).
class Script {
 public:
  Script& call(std::string operation, std::string subject) {
    calls.push_back({std::move(operation), std::move(subject)});
    return *this;
  }
  Script& attribute(const std::string& owner, const std::string& key) {
    return call("SetAttribute", owner + " " + key);
  }
  Script& parameter(const std::string& name) {
    call("DefineParameter", name);
    for (const ExpectedParameter& expected : kExpectedParameters)
      if (expected.name == name)
        for (const ExpectedAttribute& cell : expected.attributes) attribute(name, cell.key);
    return *this;
  }
  Script& parameters(const std::vector<std::string>& names) {
    for (const std::string& name : names) parameter(name);
    return *this;
  }
  Script& control(const std::string& subject) { return call("DefineControl", subject); }
  Script& items(const std::vector<ExpectedControl>& items) {
    for (const ExpectedControl& item : items) {
      control(*item.label);
      if (!item.attributes.empty()) attribute(*item.label, "Default");
    }
    return *this;
  }
  Script& child(const std::string& parent, const std::string& child) {
    return call("AddChild", parent + " <- " + child);
  }
  Script& children(const std::string& parent, const std::vector<ExpectedControl>& items) {
    for (const ExpectedControl& item : items) child(parent, *item.label);
    return *this;
  }
  // Unlabelled sliders, each added to `group` right after it is defined.
  Script& sliders(const std::string& group, const std::vector<std::string>& parameters) {
    for (const std::string& name : parameters) control("slider " + name).child(group, "slider " + name);
    return *this;
  }

  std::vector<CallRecord> calls;
};

std::vector<CallRecord> withoutCreation(const std::vector<CallRecord>& calls) {
  std::vector<CallRecord> kept;
  for (const CallRecord& call : calls)
    if (call.operation != "CreateInstance") kept.push_back(call);
  return kept;
}

void expectSameCalls(const std::vector<CallRecord>& actual, const std::vector<CallRecord>& expected) {
  const size_t common = std::min(actual.size(), expected.size());
  for (size_t i = 0; i < common; ++i) ASSERT_EQ(actual[i], expected[i]) << "call " << i;
  EXPECT_EQ(actual.size(), expected.size());
}

class CallOrderTest : public ::testing::Test {
 protected:
  // The calls of one entry point on a fresh host.
  std::vector<CallRecord> callsOf(bool registerPlugin, uint32_t index = 0) {
    CountedRef<testhost::Host> host = testhost::Host::create();
    CountedRef<acf::IUnknown> definition;
    const acf::Result result =
        registerPlugin
            ? plugin().registerPlugin(host->unknown(), reinterpret_cast<acf::PluginDefinition**>(definition.put()))
            : plugin().registerComponent(host->unknown(), index,
                                         reinterpret_cast<acf::ComponentDefinition**>(definition.put()));
    EXPECT_EQ(result, acf::kOk);
    return host->model().calls();
  }
};

const std::vector<std::string> kStartTimeParameters{"Start Time Hour",       "Start Time Minute", "Start Time Second",
                                                    "Start Time Millsecond", "Start Time Frame",  "Start Time Day",
                                                    "Start Time Month",      "Start Time Year"};
const std::vector<std::string> kStopTimeParameters{"Stop Time Hour", "Stop Time Minute", "Stop Time Second",
                                                   "Stop Time Millsecond", "Stop Time Frame"};

TEST_F(CallOrderTest, EffectIsDescribedInItsFixedOrder) {
  const std::string effect = "AVX2Horaz";
  Script s;
  s.call("DefineComponent", effect)
      .attribute(effect, "{A9DADEFC-D63D-46D9-BD5D-527B495FED97}")
      .attribute(effect, "{1DF5C91E-7177-3277-BFEA-37B34A851B7F}")
      .attribute(effect, "{B37C621C-E2A7-11D6-A33B-00306542A024}");
  // Alignment.
  s.items(kAlignmentItems).parameter("Alignment List").control("Alignment").children("Alignment", kAlignmentItems);
  s.control("Digital Clock Alignment").child("Digital Clock Alignment", "Alignment");
  s.call("AddControl", "Digital Clock Alignment");
  // Foreground: channels, then the colour control's attributes, then opacity.
  s.parameters({"Foreground Red", "Foreground Green", "Foreground Blue", "Foreground RGB Color", "Foreground Opacity"});
  s.control("Foreground Red").control("Foreground Green").control("Foreground Blue");
  s.control("Foreground Color(RGB)");
  for (const char* channel : {"Foreground Red", "Foreground Green", "Foreground Blue"})
    s.child("Foreground Color(RGB)", channel);
  for (const char* key : {"Default", "Minimum", "Maximum", "Attr 5", "Step"}) s.attribute("Foreground Color(RGB)", key);
  s.control("Foreground Opacity");
  // Background: the opacity slider comes before the channels are added.
  s.parameters({"Background Red", "Background Green", "Background Blue", "Background RGB Color", "Background Opacity"});
  s.control("Background Red").control("Background Green").control("Background Blue");
  s.control("Background Color(RGB)").control("Background Opacity");
  for (const char* channel : {"Background Red", "Background Green", "Background Blue"})
    s.child("Background Color(RGB)", channel);
  for (const char* key : {"Default", "Minimum", "Maximum", "Step"}) s.attribute("Background Color(RGB)", key);
  // Clock type and position.
  s.items(kClockTypeItems).parameter("the List value").control("Clock Type List");
  s.children("Clock Type List", kClockTypeItems);
  s.parameters({"X", "Y", "Size"}).control("Position/Size").sliders("Position/Size", {"X", "Y", "Size"});
  s.call("AddControl", "Clock Type List").call("AddControl", "Position/Size");
  // Time.
  s.parameter("Time Speed Factor").parameters(kStartTimeParameters).parameters(kStopTimeParameters);
  s.parameter("Count Down");
  s.control("Time").control("Start Time").child("Time", "Start Time").sliders("Start Time", kStartTimeParameters);
  s.control("Stop Time").child("Time", "Stop Time").sliders("Stop Time", kStopTimeParameters);
  s.control("check box Count Down").child("Time", "check box Count Down");
  s.control("slider Time Speed Factor").child("Time", "slider Time Speed Factor");
  s.call("AddControl", "Time");
  // Timer style list, then the colour group, then the timer style group.
  s.items(kTimerStyleItems).parameter("Style List").control("Timer Style").children("Timer Style", kTimerStyleItems);
  s.control("Colors");
  for (const char* child :
       {"Foreground Color(RGB)", "Foreground Opacity", "Background Color(RGB)", "Background Opacity"})
    s.child("Colors", child);
  s.call("AddControl", "Colors");
  s.control("Timer Style").child("Timer Style", "Timer Style");
  s.parameter("Start Time").control("Start Time").child("Timer Style", "Start Time");
  s.call("AddControl", "Timer Style");
  // Ports, pixel kinds, the last two attributes and the font record.
  s.call("AddInput", "Input").call("AddOutput", "Output");
  s.call("AddPixelKind", "4, 1, 0").call("AddPixelKind", "3, 1, 0").call("AddPixelKind", "2, 1, 0");
  s.attribute(effect, "{B3ECFBE6-E2A7-11D6-9012-00306542A024}")
      .attribute(effect, "{0C39EDDF-E166-00AB-ABEA-F2DAC41C3018}");
  s.parameter("PrivateData").call("AddParameter", "PrivateData");

  expectSameCalls(withoutCreation(callsOf(false, 0)), s.calls);
}

TEST_F(CallOrderTest, EveryDefinitionIsDefinedRightAfterItIsCreated) {
  const std::vector<CallRecord> calls = callsOf(false, 0);
  std::map<std::string, int> created;
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].operation != "CreateInstance") continue;
    ++created[calls[i].subject];
    ASSERT_LT(i + 1, calls.size());
    const std::string& next = calls[i + 1].operation;
    const std::string expected = calls[i].subject == "parameter definition" ? "DefineParameter"
                                 : calls[i].subject == "control definition" ? "DefineControl"
                                                                            : "DefineComponent";
    EXPECT_EQ(next, expected) << "call " << i + 1;
  }
  const std::map<std::string, int> expected{
      {"effect definition", 1}, {"parameter definition", 33}, {"control definition", 60}};
  EXPECT_EQ(created, expected);
}

TEST_F(CallOrderTest, PluginIsDefinedThenDescribed) {
  const std::vector<CallRecord> expected{{"CreateInstance", "plug-in definition"},
                                         {"DefinePlugin", "AVX2Horaz.avx"},
                                         {"SetAttribute", "plug-in {3C099C4A-7FD2-11D6-9AEF-00306542A024}"}};
  EXPECT_EQ(callsOf(true), expected);
}

TEST_F(CallOrderTest, CompanionsAreDefinedAndOnlyTheOverlaySetsAttributesAfterwards) {
  for (uint32_t index = 1; index <= 3; ++index) {
    SCOPED_TRACE("component " + std::to_string(index));
    const std::string name = kExpectedComponents[index].name;
    std::vector<CallRecord> expected{{"CreateInstance", "component definition"}, {"DefineComponent", name}};
    for (const ExpectedAttribute& attribute : kExpectedComponents[index].attributes)
      expected.push_back({"SetAttribute", name + " " + attribute.key});
    EXPECT_EQ(callsOf(false, index), expected);
  }
}

}  // namespace
}  // namespace horaz::test
