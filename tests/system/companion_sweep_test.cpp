// The companions with each of their host calls failing in turn. The update
// handler and the font action return the failing call's code (the handler's
// read of the timer style excepted: it counts as style 0); the overlay's
// refresh failures make its operation answer 0 and change nothing, and its
// parameter writes are not checked.
#include <gtest/gtest.h>

#include <vector>

#include <horaz_platform/status.h>

#include "fault_sweep.h"
#include "sweep_world.h"
#include "testhost/component_instance.h"
#include "testhost/font_command.h"
#include "testhost/panel.h"
#include "testhost/time_source.h"
#include "testhost/viewer.h"

namespace horaz::test {
namespace {

CountedRef<testhost::HostParameterSet> parameterSetOf(testhost::RenderHost& host, double aspect = 1.0) {
  return CountedRef<testhost::HostParameterSet>::adopt(
      testhost::make<testhost::HostParameterSet>(host.sharedLedger(), host.sharedStore(), aspect, 25.0));
}

template <class Interface>
CountedRef<Interface> component(testhost::RenderHost& host, const acf::Guid& classId) {
  return testhost::createComponentInstance<Interface>(host.library(), host.host().unknown(), classId);
}

// --- update handler -----------------------------------------------------------

class UpdateHandlerTrial final : public Trial {
 public:
  UpdateHandlerTrial(testhost::RenderHost& host, int32_t style)
      : host_(host),
        handler_(component<acf::UpdateHandler>(host, kUpdateHandlerClass)),
        panel_(CountedRef<testhost::HostPanel>::adopt(
            testhost::make<testhost::HostPanel>(host.sharedLedger(), host.model(), effectHandle(host)))),
        parameters_(parameterSetOf(host)),
        timeSource_(CountedRef<testhost::HostTimeSource>::adopt(
            testhost::make<testhost::HostTimeSource>(host.sharedLedger(), 5.0, 0))) {
    host.resetParameters();
    host.setNumber("Style List", style);
  }
  int32_t run() override {
    return handler_->UpdateParams(parameters_.get(), host_.host().unknown(), timeSource_.get(), panel_.get(), 0);
  }

 private:
  testhost::RenderHost& host_;
  CountedRef<acf::UpdateHandler> handler_;
  CountedRef<testhost::HostPanel> panel_;
  CountedRef<testhost::HostParameterSet> parameters_;
  CountedRef<testhost::HostTimeSource> timeSource_;
};

class UpdateHandlerSweep : public ::testing::TestWithParam<int32_t> {};

TEST_P(UpdateHandlerSweep, EveryFailingHostCallIsReturned) {
  testhost::RenderHost& host = sweepHost();
  const int32_t style = GetParam();
  const SweepOutcome outcome = sweepHostCalls(
      "update handler, style " + std::to_string(style), host.ledger(),
      [&] { return std::make_unique<UpdateHandlerTrial>(host, style); }, acf::kOk,
      [](std::string_view operation, acf::Result injected) {
        // An unreadable style counts as 0 and the time-of-day controls are set.
        return operation == "Parameter.GetValueAtTime(Style List)" ? acf::kOk : injected;
      });
  // The parameter, its read and eleven controls, each looked up and set.
  EXPECT_EQ(outcome.callsFailed, 24u);
}

// Time of day, timecode, date, free format, frame count.
INSTANTIATE_TEST_SUITE_P(TimerStyleGroups, UpdateHandlerSweep, ::testing::Values(1, 10, 11, 13, 14));

// --- font action ----------------------------------------------------------------

class FontActionTrial final : public Trial {
 public:
  FontActionTrial(testhost::RenderHost& host, bool confirm)
      : host_(host), action_(component<acf::FontSelectionAction>(host, kFontActionClass)), confirm_(confirm) {
    host.resetParameters();
    before_ = host.store().currentValue(host.parameterId("PrivateData"));
  }
  int32_t run() override {
    auto parameters = parameterSetOf(host_);
    testhost::FontChoice choice;
    choice.faceName = u"DejaVu Serif";
    choice.weight = 700;
    const auto answer = confirm_ ? testhost::FontDialogAnswer::confirm(choice) : testhost::FontDialogAnswer::cancel();
    outcome_ = testhost::runFontCommand(*action_.get(), parameters.get(), answer);
    return outcome_.result;
  }
  void check(int32_t expected, const std::string& failed) override {
    const std::vector<uint8_t> after = host_.store().currentValue(host_.parameterId("PrivateData"));
    // A failing read ends the action before the dialog.
    const bool beforeDialog = !failed.empty() && !failed.starts_with("Parameter.SetValue(");
    if (beforeDialog) {
      EXPECT_FALSE(outcome_.dialog) << "the dialog was shown after a failed read";
    }
    if (acf::failed(expected) || !confirm_) {
      EXPECT_EQ(after, before_) << "the font record was changed";
    }
  }

 private:
  testhost::RenderHost& host_;
  CountedRef<acf::FontSelectionAction> action_;
  bool confirm_;
  std::vector<uint8_t> before_;
  testhost::FontCommandOutcome outcome_;
};

class FontActionSweep : public ::testing::TestWithParam<bool> {};

TEST_P(FontActionSweep, EveryFailingHostCallIsReturned) {
  testhost::RenderHost& host = sweepHost();
  const bool confirm = GetParam();
  const SweepOutcome outcome = sweepHostCalls(
      confirm ? "font action, confirmed" : "font action, cancelled", host.ledger(),
      [&] { return std::make_unique<FontActionTrial>(host, confirm); }, acf::kOk,
      [](std::string_view, acf::Result injected) { return injected; });
  // Fetch, size query and read; and the write when the user confirmed.
  EXPECT_EQ(outcome.callsFailed, confirm ? 4u : 3u);
}

INSTANTIATE_TEST_SUITE_P(Answers, FontActionSweep, ::testing::Bool(), [](const auto& info) {
  return info.param ? std::string("Confirmed") : std::string("Cancelled");
});

// --- overlay ----------------------------------------------------------------------

enum class OverlayOperation { kDraw, kPress, kDragHandle, kDragInside };

struct OverlayCase {
  const char* name;
  OverlayOperation operation;
  int32_t succeeded;  // what the operation answers when no call fails
};

class OverlayTrial final : public Trial {
 public:
  OverlayTrial(testhost::RenderHost& host, const OverlayCase& overlayCase)
      : host_(host),
        case_(overlayCase),
        viewer_(std::make_unique<testhost::HostViewer>(host.sharedLedger(), host.sharedStore(), 320, 240)),
        overlay_(component<acf::Overlay>(host, kOverlayClass)) {
    host.resetParameters();
    host.setNumber("X", 40.0);
    host.setNumber("Y", 60.0);
    host.setNumber("Size", 50.0);
    viewer_->setHitScale(100);
    EXPECT_EQ(overlay_->Attach(viewer_->overlayContext()), acf::kOk);
    // The drags start from a grab made before the counted call.
    if (case_.operation == OverlayOperation::kDragHandle) {
      viewer_->setMode(1);
      EXPECT_EQ(overlay_->MouseDown(0.4, 0.6, 0), 1);
    } else if (case_.operation == OverlayOperation::kDragInside) {
      viewer_->setMode(2);
      EXPECT_EQ(overlay_->MouseDown(0.45, 0.6, 0), 1);
    } else {
      viewer_->setMode(1);
    }
    before_ = clock();
  }
  ~OverlayTrial() override {
    overlay_->Detach();
    overlay_.reset();
    viewer_.reset();
  }

  int32_t run() override {
    switch (case_.operation) {
      case OverlayOperation::kDraw: return overlay_->Draw(1);
      case OverlayOperation::kPress: return overlay_->MouseDown(0.4, 0.6, 0);
      case OverlayOperation::kDragHandle:
      case OverlayOperation::kDragInside: return overlay_->MouseDrag(0.25, 0.75, 0);
    }
    return -1;
  }
  void check(int32_t expected, const std::string& failed) override {
    // A refresh that failed changes no parameter.
    if (!failed.empty() && expected == 0) {
      EXPECT_EQ(clock(), before_) << "parameters written after a failed refresh";
    }
  }
  bool keepsHostObjects() const override { return true; }

 private:
  std::vector<double> clock() const {
    return {host_.numberAt("X", 0.0), host_.numberAt("Y", 0.0), host_.numberAt("Size", 0.0)};
  }

  testhost::RenderHost& host_;
  OverlayCase case_;
  std::unique_ptr<testhost::HostViewer> viewer_;
  CountedRef<acf::Overlay> overlay_;
  std::vector<double> before_;
};

class OverlaySweep : public ::testing::TestWithParam<OverlayCase> {};

TEST_P(OverlaySweep, FailedRefreshesAnswerZeroAndWritesAreIgnored) {
  testhost::RenderHost& host = sweepHost();
  const OverlayCase overlayCase = GetParam();
  const int gdiObjects = platform::liveGdiObjects().total();
  const SweepOutcome outcome = sweepHostCalls(
      std::string("overlay ") + overlayCase.name, host.ledger(),
      [&] { return std::make_unique<OverlayTrial>(host, overlayCase); }, overlayCase.succeeded,
      [&](std::string_view operation, acf::Result) {
        if (overlayCase.operation == OverlayOperation::kDraw) return 0;  // Draw answers 0 whatever happens
        // A failing write is not looked at; anything else is the refresh.
        return operation.starts_with("Parameter.SetValueAtTime(") ? overlayCase.succeeded : 0;
      });
  EXPECT_GT(outcome.callsFailed, 0u);
  // The palette is module-wide and made once; nothing else may stay.
  if (overlayCase.operation != OverlayOperation::kDraw) {
    EXPECT_EQ(platform::liveGdiObjects().total(), gdiObjects);
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, OverlaySweep,
                         ::testing::Values(OverlayCase{"Draw", OverlayOperation::kDraw, 0},
                                           OverlayCase{"PressOnTheCentre", OverlayOperation::kPress, 1},
                                           OverlayCase{"DragTheCentreHandle", OverlayOperation::kDragHandle, 1},
                                           OverlayCase{"DragInsideTheEllipse", OverlayOperation::kDragInside, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horaz::test
