// The companions and the render meet only in the parameters: what the
// overlay and the font action write, the next render draws.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effect_instance.h"
#include "testhost/font_command.h"
#include "testhost/render_host.h"
#include "testhost/viewer.h"

namespace horaz::test {
namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;

struct Box {
  int32_t left = kWidth, top = kHeight, right = -1, bottom = -1;
  bool empty() const { return right < left; }
  double centreX() const { return (left + right) / 2.0; }
  double centreY() const { return (top + bottom) / 2.0; }
};

// Where the output differs from the (uniform) input.
Box drawnBox(const testhost::HostFrame& input, const testhost::HostFrame& output) {
  Box box;
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x)
      if (!(output.pixelRgb(x, y) == input.pixelRgb(x, y))) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
      }
  return box;
}

std::vector<testhost::Rgb> picture(const testhost::HostFrame& frame) {
  std::vector<testhost::Rgb> pixels;
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) pixels.push_back(frame.pixelRgb(x, y));
  return pixels;
}

// The record a freshly applied effect holds.
LOGFONTW definitionDefaultRecord() {
  LOGFONTW record{};
  record.lfHeight = -32;
  record.lfCharSet = 1;
  return record;
}

class CompanionsWithRender : public ::testing::Test {
 protected:
  void SetUp() override {
    baseline_ = host_.ledger().liveObjects();
    input_ = host_.makeFrame(kWidth, kHeight);
    output_ = host_.makeFrame(kWidth, kHeight);
    input_->fillRgb({30, 60, 90, 255});
  }
  void TearDown() override {
    input_.reset();
    output_.reset();
    EXPECT_EQ(host_.ledger().liveObjects(), baseline_);
  }

  Box render() {
    EXPECT_EQ(host_.renderFrame(0, *input_.get(), *output_.get()), acf::kOk);
    return drawnBox(*input_.get(), *output_.get());
  }

  template <class Interface>
  CountedRef<Interface> makeComponent(const acf::Guid& classId) {
    return testhost::createComponentInstance<Interface>(host_.library(), host_.host().unknown(), classId);
  }

  testhost::RenderHost host_;
  int64_t baseline_ = 0;
  CountedRef<testhost::HostFrame> input_;
  CountedRef<testhost::HostFrame> output_;
};

TEST_F(CompanionsWithRender, APressDragAndReleaseMovesTheClockTheNextRenderDraws) {
  host_.setNumber("the List value", 0);
  host_.setNumber("X", 50);
  host_.setNumber("Y", 50);
  host_.setNumber("Size", 20);
  const Box before = render();
  ASSERT_FALSE(before.empty());
  EXPECT_NEAR(before.centreX(), 160, 2);
  EXPECT_NEAR(before.centreY(), 120, 2);

  {
    testhost::HostViewer viewer(host_.sharedLedger(), host_.sharedStore(), kWidth, kHeight);
    ASSERT_EQ(viewer.attach(makeComponent<acf::Overlay>(kOverlayClass)), acf::kOk);
    viewer.setMode(2);
    ASSERT_EQ(viewer.press(0.52, 0.49), 1);
    ASSERT_EQ(viewer.drag(0.6, 0.4), 1);
    ASSERT_EQ(viewer.drag(0.77, 0.24), 1);
    ASSERT_EQ(viewer.release(0.77, 0.24), 1);
  }
  EXPECT_NEAR(host_.numberAt("X", 0), 75, 1e-9);
  EXPECT_NEAR(host_.numberAt("Y", 0), 25, 1e-9);

  const Box after = render();
  ASSERT_FALSE(after.empty());
  EXPECT_NEAR(after.centreX(), 240, 2);
  EXPECT_NEAR(after.centreY(), 60, 2);
  EXPECT_EQ(after.right - after.left, before.right - before.left) << "moved, not resized";
}

TEST_F(CompanionsWithRender, AFontChosenWithTheFontCommandIsWhatTheDigitalClockDrawsIn) {
  host_.setNumber("the List value", 1);
  host_.setNumber("Size", 60);
  render();
  const std::vector<testhost::Rgb> defaultFont = picture(*output_.get());

  const testhost::FontChoice choice{u"DejaVu Serif", 60, 700, true, false, false};
  {
    auto action = makeComponent<acf::FontSelectionAction>(kFontActionClass);
    auto parameters = CountedRef<testhost::HostParameterSet>::adopt(
        testhost::make<testhost::HostParameterSet>(host_.sharedLedger(), host_.sharedStore(), 1.0, 25.0));
    const testhost::FontCommandOutcome outcome =
        testhost::runFontCommand(*action.get(), parameters.get(), testhost::FontDialogAnswer::confirm(choice));
    ASSERT_EQ(outcome.result, acf::kOk);
  }
  render();
  const std::vector<testhost::Rgb> chosenFont = picture(*output_.get());
  EXPECT_NE(chosenFont, defaultFont);

  // The same picture as a clip that stored that record by other means.
  host_.setFontRecord(testhost::applyFontChoice(definitionDefaultRecord(), choice));
  render();
  EXPECT_EQ(picture(*output_.get()), chosenFont);
}

}  // namespace
}  // namespace horaz::test
