// The update handler, driven through the reference host's panel: which time
// controls each timer style leaves available, in which order they are set,
// and how failures of the host end the sequence.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "effect_instance.h"
#include "testhost/panel.h"
#include "testhost/panel_session.h"
#include "testhost/time_source.h"

namespace horaz::test {
namespace {

using Change = testhost::HostPanel::AvailabilityChange;

// The eleven controls the handler manages, by the parameter they show.
const std::map<std::string, acf::Guid>& timeControls() {
  static const std::map<std::string, acf::Guid> controls{
      {"Start Time Millsecond", acf::makeGuid("{87125D5C-455E-43A6-B246-ABD758CA2762}")},
      {"Start Time Frame", acf::makeGuid("{2D597EE3-191E-46B6-8EEF-D967E15EECB0}")},
      {"Start Time Day", acf::makeGuid("{AA956FBA-DF2D-45F5-B0F1-D36C6EA18E68}")},
      {"Start Time Month", acf::makeGuid("{813C63D1-E786-4F4A-B7BB-9277A7C9F7A8}")},
      {"Start Time Year", acf::makeGuid("{5972AD60-9D98-4CB3-89F5-C715426C91FB}")},
      {"Stop Time Hour", acf::makeGuid("{43BEBBC8-8A86-4248-9830-D419A3C6D608}")},
      {"Stop Time Minute", acf::makeGuid("{DA897CAE-CAA4-4CC1-B0E5-51658A8A3B8F}")},
      {"Stop Time Second", acf::makeGuid("{BF809D5F-F5E7-4ABF-B0B2-1907A31AB2C9}")},
      {"Stop Time Millsecond", acf::makeGuid("{D9CDE4CB-874D-4C25-B1D6-910BA39CB1DB}")},
      {"Stop Time Frame", acf::makeGuid("{CB24E266-498C-4F7F-9FE6-821D7F5E3B09}")},
      {"Start Time", acf::makeGuid("{8E5E17B8-4703-42BE-83B5-D68720678F2C}")},
  };
  return controls;
}

struct Step {
  const char* control;
  int32_t available;
};
using Sequence = std::vector<Step>;

const Sequence kTimeOfDay{
    {"Stop Time Hour", 1},        {"Stop Time Minute", 1}, {"Stop Time Second", 1}, {"Stop Time Millsecond", 1},
    {"Start Time Millsecond", 1}, {"Start Time Frame", 0}, {"Stop Time Frame", 0},  {"Start Time Day", 0},
    {"Start Time Month", 0},      {"Start Time Year", 0},  {"Start Time", 0}};
const Sequence kTimecode{{"Start Time Millsecond", 0}, {"Start Time Frame", 1}, {"Stop Time Frame", 0},
                         {"Stop Time Hour", 0},        {"Stop Time Minute", 0}, {"Stop Time Second", 0},
                         {"Stop Time Millsecond", 0},  {"Start Time Day", 0},   {"Start Time Month", 0},
                         {"Start Time Year", 0},       {"Start Time", 0}};
const Sequence kDate{{"Start Time Millsecond", 0}, {"Start Time Frame", 0}, {"Stop Time Frame", 0},
                     {"Start Time Day", 1},        {"Start Time Month", 1}, {"Start Time Year", 1},
                     {"Stop Time Hour", 1},        {"Stop Time Minute", 1}, {"Stop Time Second", 1},
                     {"Stop Time Millsecond", 1},  {"Start Time", 0}};
const Sequence kFreeFormat{{"Start Time Millsecond", 0}, {"Start Time Frame", 0}, {"Stop Time Hour", 1},
                           {"Stop Time Minute", 1},      {"Stop Time Second", 1}, {"Stop Time Millsecond", 1},
                           {"Stop Time Frame", 0},       {"Start Time Day", 1},   {"Start Time Month", 1},
                           {"Start Time Year", 1},       {"Start Time", 1}};
const Sequence kFrameCount{{"Start Time Millsecond", 0}, {"Start Time Frame", 1}, {"Stop Time Hour", 0},
                           {"Stop Time Minute", 0},      {"Stop Time Second", 0}, {"Stop Time Millsecond", 0},
                           {"Stop Time Frame", 0},       {"Start Time Day", 0},   {"Start Time Month", 0},
                           {"Start Time Year", 0},       {"Start Time", 0}};
const Sequence kNothing{};

std::vector<Change> changesOf(const Sequence& sequence) {
  std::vector<Change> changes;
  for (const Step& step : sequence) changes.push_back({timeControls().at(step.control), step.available});
  return changes;
}

std::string describe(const testhost::HostPanel& panel, const std::vector<Change>& changes) {
  std::string text;
  for (const Change& change : changes)
    text += panel.controlName(change.control) + "=" + std::to_string(change.available) + "; ";
  return text;
}

class UpdateHandlerTest : public EffectInstance {
 protected:
  CountedRef<testhost::HostPanel> makePanel() {
    return CountedRef<testhost::HostPanel>::adopt(
        testhost::make<testhost::HostPanel>(ledger_, host_->model(), registration_.componentHandles[0]));
  }

  // One UpdateParams call as the host makes it, at `time`.
  acf::Result update(acf::UpdateHandler& handler, acf::ParameterSet* parameters, testhost::HostPanel* panel,
                     double time = 0.0) {
    auto timeSource =
        CountedRef<testhost::HostTimeSource>::adopt(testhost::make<testhost::HostTimeSource>(ledger_, time, 0));
    return handler.UpdateParams(parameters, host_->unknown(), timeSource.get(), panel, 0);
  }

  CountedRef<acf::UpdateHandler> handler_ = makeComponent<acf::UpdateHandler>(kUpdateHandlerClass);

  void TearDown() override {
    handler_.reset();
    EffectInstance::TearDown();
  }
};

struct StyleCase {
  int32_t style;
  const Sequence* sequence;
};

// Every style from -1 to 16: the calls in order, the flags they leave, and
// no other control touched (every other control still has the host's 1).
TEST_F(UpdateHandlerTest, EachTimerStyleSetsItsGroupsControlsInOrder) {
  const std::vector<StyleCase> cases{
      {-1, &kNothing},  {0, &kTimeOfDay}, {1, &kTimeOfDay},   {2, &kTimeOfDay},   {3, &kTimeOfDay},   {4, &kTimeOfDay},
      {5, &kTimeOfDay}, {6, &kTimeOfDay}, {7, &kTimeOfDay},   {8, &kTimeOfDay},   {9, &kTimeOfDay},   {10, &kTimecode},
      {11, &kDate},     {12, &kDate},     {13, &kFreeFormat}, {14, &kFrameCount}, {15, &kFrameCount}, {16, &kNothing},
  };
  for (const StyleCase& styleCase : cases) {
    SCOPED_TRACE("style " + std::to_string(styleCase.style));
    setInt("Style List", styleCase.style);
    auto panel = makePanel();
    auto parameters = parameterSet();
    ASSERT_EQ(update(*handler_.get(), parameters.get(), panel.get()), acf::kOk);

    const std::vector<Change> expected = changesOf(*styleCase.sequence);
    EXPECT_EQ(panel->changes(), expected) << "got " << describe(*panel.get(), panel->changes());
    for (const acf::Guid& control : panel->controlIds()) {
      int32_t flag = 1;
      for (const Change& change : expected)
        if (change.control == control) flag = change.available;
      EXPECT_EQ(panel->availability(control), flag) << panel->controlName(control);
    }
    if (!styleCase.sequence->empty()) {
      EXPECT_EQ(panel->availability(timeControls().at("Stop Time Frame")), 0);
      EXPECT_EQ(panel->availability(timeControls().at("Start Time")), styleCase.style == 13 ? 1 : 0);
    }
  }
}

TEST_F(UpdateHandlerTest, ReadsTheStyleAtTheTimeSourcesTime) {
  store_->setKeyframe(id("Style List"), 0.0, testhost::bytesOf(int32_t{4}));
  store_->setKeyframe(id("Style List"), 100.0, testhost::bytesOf(int32_t{13}));
  auto parameters = parameterSet();

  auto early = makePanel();
  ASSERT_EQ(update(*handler_.get(), parameters.get(), early.get(), 50.0), acf::kOk);
  EXPECT_EQ(early->changes(), changesOf(kTimeOfDay));

  auto late = makePanel();
  ASSERT_EQ(update(*handler_.get(), parameters.get(), late.get(), 100.0), acf::kOk);
  EXPECT_EQ(late->changes(), changesOf(kFreeFormat));
}

TEST_F(UpdateHandlerTest, ANullArgumentAmongTheFirstFourIsRefusedBeforeAnyHostCall) {
  auto panel = makePanel();
  auto parameters = parameterSet();
  auto timeSource =
      CountedRef<testhost::HostTimeSource>::adopt(testhost::make<testhost::HostTimeSource>(ledger_, 0.0, 0));
  acf::IUnknown* second = host_->unknown();
  struct Case {
    const char* missing;
    acf::ParameterSet* parameters;
    acf::IUnknown* second;
    acf::TimeSource* time;
    acf::Panel* layout;
  };
  const Case cases[]{
      {"parameters", nullptr, second, timeSource.get(), panel.get()},
      {"second (otherwise unused)", parameters.get(), nullptr, timeSource.get(), panel.get()},
      {"time source", parameters.get(), second, nullptr, panel.get()},
      {"layout", parameters.get(), second, timeSource.get(), nullptr},
  };
  ledger_->resetCalls();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.missing);
    EXPECT_EQ(handler_->UpdateParams(c.parameters, c.second, c.time, c.layout, 0), acf::kNullPointer);
  }
  EXPECT_EQ(ledger_->callCount(), 0u);
  EXPECT_TRUE(panel->changes().empty());
}

// Every failable host call of one update failing in turn: the look-ups and
// SetAvailability end the call with their code and leave the controls set so
// far as they are; a failing read of the style is not checked and leaves
// style 0, the time-of-day controls.
TEST_F(UpdateHandlerTest, EachFailingHostCallEndsTheSequenceWithItsCode) {
  setInt("Style List", 13);
  auto parameters = parameterSet();
  std::vector<std::string> calls;
  {
    auto panel = makePanel();
    ledger_->resetCalls();
    ledger_->setRecording(true);
    ASSERT_EQ(update(*handler_.get(), parameters.get(), panel.get()), acf::kOk);
    ledger_->setRecording(false);
    calls = ledger_->log();
  }
  ASSERT_EQ(calls.size(), 2u + 2u * 11u) << "look-up and read of the style, then look-up and set per control";

  const std::vector<Change> all = changesOf(kFreeFormat);
  for (size_t failing = 0; failing < calls.size(); ++failing) {
    SCOPED_TRACE("failing call " + std::to_string(failing + 1) + ": " + calls[failing]);
    auto panel = makePanel();
    ledger_->resetCalls();
    ledger_->failCall(failing + 1, kHostFailure);
    const acf::Result result = update(*handler_.get(), parameters.get(), panel.get());
    ledger_->clearFaults();

    if (calls[failing].starts_with("Parameter.GetValueAtTime")) {
      EXPECT_EQ(result, acf::kOk);
      EXPECT_EQ(panel->changes(), changesOf(kTimeOfDay));
      continue;
    }
    EXPECT_EQ(result, kHostFailure);
    // Controls before the failing one were set; a failing SetAvailability
    // changed nothing.
    const size_t setBefore = failing < 2 ? 0 : (failing - 2) / 2;
    EXPECT_EQ(panel->changes(), std::vector<Change>(all.begin(), all.begin() + setBefore));
  }
}

// A parameter set that answers success without an interface.
class SilentParameterSet final : public testhost::HostObject<acf::ParameterSet> {
 public:
  explicit SilentParameterSet(std::shared_ptr<testhost::Ledger> ledger) : HostObject(std::move(ledger)) {}
  double ACFCALL GetAspect() override { return 1.0; }
  acf::Result ACFCALL GetInputAccessor(int32_t, const acf::Guid&, const acf::Guid&, void** out) override {
    *out = nullptr;
    return acf::kNoInterface;
  }
  acf::Result ACFCALL GetParameter(const acf::Guid&, const acf::Guid&, void** out) override {
    *out = nullptr;
    return acf::kOk;
  }
  double ACFCALL GetFramesPerSecond() override { return 25.0; }
};

TEST_F(UpdateHandlerTest, SuccessWithoutAStyleInterfaceMeansStyleZero) {
  auto parameters = CountedRef<SilentParameterSet>::adopt(testhost::make<SilentParameterSet>(ledger_));
  auto panel = makePanel();
  EXPECT_EQ(update(*handler_.get(), parameters.get(), panel.get()), acf::kOk);
  EXPECT_EQ(panel->changes(), changesOf(kTimeOfDay));
}

// The host's side: the panel is brought up to date when it opens and after
// every parameter change, until it is closed.
TEST_F(UpdateHandlerTest, TheOpenPanelFollowsEveryParameterChange) {
  setInt("Style List", 10);
  auto panel = makePanel();
  testhost::PanelSession session(handler_, panel, store_, host_->unknown());
  ASSERT_EQ(session.open(), acf::kOk);
  EXPECT_EQ(panel->changes(), changesOf(kTimecode));

  panel->clearChanges();
  setInt("Style List", 11);
  EXPECT_EQ(panel->changes(), changesOf(kDate));

  // A change made through a parameter object, as the viewer's overlay makes.
  panel->clearChanges();
  {
    auto parameters = parameterSet();
    CountedRef<acf::Parameter> style;
    ASSERT_EQ(parameters->GetParameter(id("Style List"), acf::Parameter::kId, style.putVoid()), acf::kOk);
    const int32_t frameCounter = 14;
    ASSERT_EQ(style->SetValue(acf::value_type::kInteger, &frameCounter, sizeof frameCounter), acf::kOk);
  }
  EXPECT_EQ(panel->changes(), changesOf(kFrameCount));

  session.close();
  panel->clearChanges();
  setInt("Style List", 13);
  EXPECT_TRUE(panel->changes().empty());
  EXPECT_EQ(session.results(), (std::vector<acf::Result>{acf::kOk, acf::kOk, acf::kOk}));
}

}  // namespace
}  // namespace horaz::test
