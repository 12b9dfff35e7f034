// The on-screen overlay in the reference host's viewer: the marker it draws
// (checked on the viewer's pixels and on the drawing calls), the handles it
// grabs and the parameters it writes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <horaz_platform/recording.h>
#include <horaz_platform/status.h>
#include <wingdi.h>

#include "effect_instance.h"
#include "testhost/viewer.h"

namespace horaz::test {
namespace {

// 0xAARRGGBB as the viewer's bitmap holds GDI's opaque drawing.
constexpr uint32_t kNothing = 0x00000000;
constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kGreen = 0xFF00FF00;

constexpr int32_t kWidth = 400;
constexpr int32_t kHeight = 200;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

enum ClockType : int32_t { kAnalog = 0, kDigital = 1, kLed = 2 };

class OverlayTest : public EffectInstance {
 protected:
  void SetUp() override {
    EffectInstance::SetUp();
    viewer_ = std::make_unique<testhost::HostViewer>(ledger_, store_, kWidth, kHeight);
    viewer_->setHitScale(100);  // tolerance 0.3
    ASSERT_EQ(viewer_->attach(overlay_), acf::kOk);
  }
  void TearDown() override {
    viewer_.reset();
    overlay_.reset();
    EffectInstance::TearDown();
  }

  void setClock(double x, double y, double size, int32_t type) {
    setDouble("X", x);
    setDouble("Y", y);
    setDouble("Size", size);
    setInt("the List value", type);
  }

  // The first pixel drawn in column `x` between rows `fromY` and `toY`.
  uint32_t firstDrawnInColumn(int32_t x, int32_t fromY, int32_t toY) const {
    for (int32_t y = fromY; y <= toY; ++y)
      if (const uint32_t colour = viewer_->pixel(x, y); colour != kNothing) return colour;
    return kNothing;
  }

  HDC viewerDc() { return viewer_->context().GetDeviceContext(); }

  CountedRef<acf::Overlay> overlay_ = makeComponent<acf::Overlay>(kOverlayClass);
  std::unique_ptr<testhost::HostViewer> viewer_;
};

// --- The marker ----------------------------------------------------------------

TEST_F(OverlayTest, TheEllipseShowsTheExtentOfEachClockType) {
  struct Case {
    int32_t type;
    double aspect;
    std::vector<double> bounds;  // left, top, right, bottom in viewer pixels
  };
  // Size 50 at the centre of a 400 x 200 viewer: S = 0.5 for the analog
  // clock (and any unknown type), 0.2 for the digital one, 0.5 / 4.5 for the
  // LED one; horizontally S x A with A = 1 / (2e).
  const Case cases[]{
      {kAnalog, 1.0, {100, 50, 300, 150}}, {kDigital, 1.0, {160, 80, 240, 120}}, {kLed, 1.0, {178, 89, 222, 111}},
      {7, 1.0, {100, 50, 300, 150}},       {kAnalog, 2.0, {150, 50, 250, 150}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.type) + ", aspect " + std::to_string(c.aspect));
    setClock(50, 50, 50, c.type);
    viewer_->setAspect(c.aspect);
    viewer_->clear();
    platform::DrawRecording recording(viewerDc());
    EXPECT_EQ(viewer_->draw(0), acf::kOk);
    const auto ellipses = recording.named("Ellipse");
    ASSERT_EQ(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0].numbers, c.bounds);
    EXPECT_TRUE(ellipses[0].gdiBrush.hollow);
    // The outline's top and the centre cross are drawn; the inside is not.
    const int32_t top = static_cast<int32_t>(c.bounds[1]);
    EXPECT_EQ(firstDrawnInColumn(200, top - 2, top + 2), kBlack);
    EXPECT_EQ(viewer_->pixel(198, 100), kBlack);
    EXPECT_EQ(viewer_->pixel(200, (top + 100) / 2), kNothing);
  }
}

TEST_F(OverlayTest, TheCentreCrossHasFourPixelArmsAndDragModeAddsADiagonalCross) {
  setClock(25, 75, 20, kAnalog);  // centre at (100, 150)
  for (const int32_t mode : {0, 1, 2}) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    viewer_->setMode(mode);
    viewer_->clear();
    platform::DrawRecording recording(viewerDc());
    viewer_->draw(0);
    std::vector<std::vector<double>> lines;
    const auto& calls = recording.calls();
    for (size_t i = 0; i + 1 < calls.size(); ++i)
      if (calls[i].name == "MoveToEx" && calls[i + 1].name == "LineTo") {
        std::vector<double> line = calls[i].numbers;
        line.insert(line.end(), calls[i + 1].numbers.begin(), calls[i + 1].numbers.end());
        lines.push_back(line);
      }
    std::vector<std::vector<double>> expected{{96, 150, 104, 150}, {100, 146, 100, 154}};
    if (mode == 2) {
      expected.push_back({90, 140, 110, 160});
      expected.push_back({110, 140, 90, 160});
    }
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(viewer_->pixel(107, 157), mode == 2 ? kBlack : kNothing);
  }
}

TEST_F(OverlayTest, ColoursFollowActivityAndTheGrabbedHandle) {
  setClock(50, 50, 50, kAnalog);  // ellipse 100..300 x 50..150, centre (200, 100)
  viewer_->setMode(0);
  struct Case {
    const char* state;
    int32_t active;
    double pressX, pressY;  // none when NaN
    uint32_t cross, ellipse;
  };
  const Case cases[]{
      {"inactive", 0, kNaN, kNaN, kBlack, kBlack},
      {"inactive while moving", 0, 0.5, 0.5, kBlack, kBlack},
      {"inactive while sizing", 0, 0.5, 0.75, kBlack, kBlack},
      {"active", 1, kNaN, kNaN, kBlue, kGreen},
      {"active while moving", 1, 0.5, 0.5, kWhite, kGreen},
      {"active while sizing", 1, 0.5, 0.75, kBlue, kWhite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    viewer_->release(0, 0);
    if (!std::isnan(c.pressX)) {
      ASSERT_EQ(viewer_->press(c.pressX, c.pressY), 1);
    }
    viewer_->clear();
    EXPECT_EQ(viewer_->draw(c.active), acf::kOk);
    EXPECT_EQ(viewer_->pixel(198, 100), c.cross);
    EXPECT_EQ(viewer_->pixel(200, 98), c.cross);
    EXPECT_EQ(firstDrawnInColumn(200, 48, 52), c.ellipse);
    EXPECT_EQ(firstDrawnInColumn(100, 95, 105), c.ellipse);
    EXPECT_EQ(viewer_->pixel(150, 100), kNothing) << "the ellipse is not filled";
  }
}

TEST_F(OverlayTest, ThePenAndBrushOfTheViewerAreSelectedAgainOnEveryWayOut) {
  setClock(50, 50, 50, kAnalog);
  const HDC dc = viewerDc();
  const HPEN hostPen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  const HBRUSH hostBrush = CreateSolidBrush(RGB(4, 5, 6));
  const HGDIOBJ originalPen = SelectObject(dc, hostPen);
  const HGDIOBJ originalBrush = SelectObject(dc, hostBrush);

  // The failable calls of one draw; the three point conversions come last.
  ledger_->resetCalls();
  ledger_->setRecording(true);
  viewer_->draw(1);
  ledger_->setRecording(false);
  const std::vector<std::string> log = ledger_->log();
  std::vector<uint64_t> conversions;
  for (size_t i = 0; i < log.size(); ++i)
    if (log[i] == "OverlayContext.ToViewerPoint") conversions.push_back(i + 1);
  ASSERT_EQ(conversions.size(), 3u);

  // A whole draw, and draws cut short by a viewer that cannot convert the
  // first, the second or the third point.
  conversions.insert(conversions.begin(), 0);
  for (const uint64_t failing : conversions) {
    SCOPED_TRACE("failing call " + std::to_string(failing));
    ledger_->resetCalls();
    if (failing) ledger_->failCall(failing, kHostFailure);
    EXPECT_EQ(viewer_->draw(1), acf::kOk);
    ledger_->clearFaults();
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), hostPen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), hostBrush);
  }
  SelectObject(dc, originalPen);
  SelectObject(dc, originalBrush);
  DeleteObject(hostPen);
  DeleteObject(hostBrush);
}

TEST_F(OverlayTest, NothingIsDrawnOrAskedWithoutAnAttachedViewer) {
  setClock(50, 50, 50, kAnalog);
  auto lonely = makeComponent<acf::Overlay>(kOverlayClass);
  ledger_->resetCalls();
  EXPECT_EQ(lonely->Draw(1), acf::kOk);
  EXPECT_EQ(lonely->MouseDown(0.5, 0.5, 0), 0);
  EXPECT_EQ(lonely->MouseDown2(0.5, 0.5, 0), 0);
  EXPECT_EQ(lonely->MouseDrag(0.2, 0.2, 0), 0);
  EXPECT_EQ(lonely->MouseUp(0.2, 0.2, 0), 1);
  EXPECT_EQ(ledger_->callCount(), 0u);

  // Detached from the viewer, the viewer's overlay draws nothing there.
  ASSERT_EQ(overlay_->Detach(), acf::kOk);
  viewer_->clear();
  EXPECT_EQ(overlay_->Draw(1), acf::kOk);
  for (int32_t y = 0; y < kHeight; y += 2)
    for (int32_t x = 0; x < kWidth; x += 2) ASSERT_EQ(viewer_->pixel(x, y), kNothing) << x << ", " << y;
  EXPECT_EQ(overlay_->Attach(nullptr), acf::kNullArgument);
}

// --- Grabbing and dragging ------------------------------------------------------

struct PressCase {
  const char* name;
  int32_t mode;
  double size;
  int32_t type;
  double x, y;
  int32_t expected;     // MouseDown's answer
  const char* grabbed;  // "ring", "centre" or "none", told by what a drag writes
};

TEST_F(OverlayTest, APressGrabsTheRingTheCentreOrNothing) {
  // Centre (0.5, 0.5), aspect 1 (A = 0.5), hit scale 100 (tolerance 0.3).
  const PressCase cases[]{
      {"handles: on the ring of a large clock", 0, 80, kAnalog, 0.5, 0.9, 1, "ring"},
      {"handles: at the centre of a large clock", 1, 80, kAnalog, 0.5, 0.5, 1, "centre"},
      {"handles: between centre and ring", 0, 80, kAnalog, 0.5, 0.7, 0, "none"},
      {"handles: far outside", 1, 80, kAnalog, 0.95, 0.95, 0, "none"},
      {"handles: centre of a clock smaller than the tolerance grabs the ring", 0, 10, kAnalog, 0.5, 0.5, 1, "ring"},
      {"handles: digital clock ring at S = 0.2", 0, 50, kDigital, 0.5, 0.6, 1, "ring"},
      {"drag mode: inside", 2, 50, kAnalog, 0.55, 0.45, 1, "centre"},
      {"drag mode: exactly on the ellipse counts as inside", 2, 50, kAnalog, 0.5, 0.75, 1, "centre"},
      {"drag mode: outside", 2, 50, kAnalog, 0.5, 0.8, 0, "none"},
      {"unknown mode 3", 3, 50, kAnalog, 0.5, 0.5, 0, "none"},
      {"negative mode", -1, 50, kAnalog, 0.5, 0.5, 0, "none"},
      {"a press at not-a-number hits nothing", 0, 10, kAnalog, kNaN, 0.5, 0, "none"},
      {"a press at not-a-number hits nothing in drag mode", 2, 50, kAnalog, 0.5, kNaN, 0, "none"},
  };
  for (const bool throughSecondEntry : {false, true}) {
    for (const PressCase& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (throughSecondEntry ? " (MouseDown2)" : ""));
      setClock(50, 50, c.size, c.type);
      viewer_->setMode(c.mode);
      const int32_t answer = throughSecondEntry ? overlay_->MouseDown2(c.x, c.y, 0) : overlay_->MouseDown(c.x, c.y, 0);
      EXPECT_EQ(answer, c.expected);

      // A handle-mode drag to (0.3, 0.4) moves the centre there or resizes
      // to its distance; a drag-mode drag moves the centre by the same step.
      const double dragX = 0.3, dragY = 0.4;
      EXPECT_EQ(viewer_->drag(dragX, dragY), 1);
      const std::string grabbed = c.grabbed;
      const bool sizeChanged = doubleValue("Size") != c.size;
      const bool centreChanged = doubleValue("X") != 50 || doubleValue("Y") != 50;
      EXPECT_EQ(sizeChanged, grabbed == "ring");
      EXPECT_EQ(centreChanged, grabbed == "centre");
      EXPECT_EQ(viewer_->release(0, 0), 1);
    }
  }
}

TEST_F(OverlayTest, AHandleModeDragPutsTheCentreUnderTheMouse) {
  setClock(50, 50, 80, kAnalog);
  viewer_->setMode(1);
  ASSERT_EQ(viewer_->press(0.5, 0.5), 1);
  EXPECT_EQ(viewer_->drag(0.25, 0.75), 1);
  EXPECT_DOUBLE_EQ(doubleValue("X"), 25);
  EXPECT_DOUBLE_EQ(doubleValue("Y"), 75);
  EXPECT_DOUBLE_EQ(doubleValue("Size"), 80);
}

TEST_F(OverlayTest, ADragModeDragKeepsTheOffsetFromThePress) {
  setClock(50, 50, 50, kAnalog);
  viewer_->setMode(2);
  ASSERT_EQ(viewer_->press(0.55, 0.45), 1);
  EXPECT_EQ(viewer_->drag(0.65, 0.60), 1);
  EXPECT_NEAR(doubleValue("X"), 60, 1e-9);
  EXPECT_NEAR(doubleValue("Y"), 65, 1e-9);
  // The next drag is measured from the same press, after the refresh.
  EXPECT_EQ(viewer_->drag(0.05, 0.05), 1);
  EXPECT_NEAR(doubleValue("X"), 0, 1e-9);
  EXPECT_NEAR(doubleValue("Y"), 10, 1e-9);

  // A press outside grabs nothing; the drag still answers 1 and writes nothing.
  viewer_->release(0, 0);
  setClock(50, 50, 50, kAnalog);
  EXPECT_EQ(viewer_->press(0.95, 0.05), 0);
  EXPECT_EQ(viewer_->drag(0.2, 0.2), 1);
  EXPECT_EQ(doubleValue("X"), 50);
  EXPECT_EQ(doubleValue("Y"), 50);
}

TEST_F(OverlayTest, SizingWritesTheSizeThatGivesTheDraggedExtent) {
  struct Case {
    int32_t type;
    double dragY;  // the drag's distance d is (dragY - 0.5) / 0.5
    double size;
  };
  const Case cases[]{
      {kAnalog, 0.65, 30},
      {kDigital, 0.6, 50},  // d = 0.2
      {kLed, 0.55, 45},
      {kDigital, 1.5, 500},  // written as computed, beyond the slider's 100
  };
  viewer_->setMode(0);
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.type));
    setClock(50, 50, 50, c.type);
    const double extent = c.type == kDigital ? 0.2 : c.type == kLed ? 0.5 / 4.5 : 0.5;
    ASSERT_EQ(viewer_->press(0.5, 0.5 + extent * 0.5), 1) << "on the ring";
    EXPECT_EQ(viewer_->drag(0.5, c.dragY), 1);
    EXPECT_NEAR(doubleValue("Size"), c.size, 1e-9);
    EXPECT_EQ(doubleValue("X"), 50);
    viewer_->release(0, 0);
  }
}

TEST_F(OverlayTest, WritesLandAtTheViewersTime) {
  const acf::Guid x = id("X");
  store_->setKeyframe(x, 0.0, testhost::bytesOf(50.0));
  store_->setKeyframe(x, 100.0, testhost::bytesOf(50.0));
  setDouble("Y", 50);
  setDouble("Size", 80);
  viewer_->setTime(40.0);
  viewer_->setMode(1);
  ASSERT_EQ(viewer_->press(0.5, 0.5), 1);
  ASSERT_EQ(viewer_->drag(0.2, 0.5), 1);
  EXPECT_DOUBLE_EQ(store_->doubleAt(x, 40.0), 20.0);
  EXPECT_DOUBLE_EQ(store_->doubleAt(x, 0.0), 50.0);
  EXPECT_DOUBLE_EQ(store_->doubleAt(x, 100.0), 50.0);
}

TEST_F(OverlayTest, AFailingRefreshChangesNothing) {
  setClock(50, 50, 80, kAnalog);
  viewer_->setMode(1);
  ASSERT_EQ(viewer_->press(0.5, 0.5), 1);  // fetches and keeps the parameters
  // The calls of one refresh, from a recorded press.
  ledger_->resetCalls();
  ledger_->setRecording(true);
  ASSERT_EQ(viewer_->press(0.5, 0.5), 1);
  ledger_->setRecording(false);
  const std::vector<std::string> refreshCalls = ledger_->log();
  ASSERT_EQ(refreshCalls,
            (std::vector<std::string>{"OverlayContext.GetParameterSet", "OverlayContext.GetTimeSource",
                                      "Parameter.GetValueAtTime(X)", "Parameter.GetValueAtTime(Y)",
                                      "Parameter.GetValueAtTime(Size)", "Parameter.GetValueAtTime(the List value)"}));

  for (size_t failing = 0; failing < refreshCalls.size(); ++failing) {
    SCOPED_TRACE(refreshCalls[failing]);
    // The centre is still grabbed from the press above; a drag whose refresh
    // fails answers 0 and writes nothing.
    ledger_->resetCalls();
    ledger_->failCall(failing + 1, kHostFailure);
    EXPECT_EQ(viewer_->drag(0.2, 0.3), 0);
    ledger_->clearFaults();
    EXPECT_EQ(doubleValue("X"), 50);
    EXPECT_EQ(doubleValue("Y"), 50);

    // A press whose refresh fails keeps the grab.
    ledger_->resetCalls();
    ledger_->failCall(failing + 1, kHostFailure);
    EXPECT_EQ(viewer_->press(0.95, 0.95), 0);
    ledger_->clearFaults();

    // A draw whose refresh fails draws nothing.
    viewer_->clear();
    ledger_->resetCalls();
    ledger_->failCall(failing + 1, kHostFailure);
    EXPECT_EQ(viewer_->draw(1), acf::kOk);
    ledger_->clearFaults();
    EXPECT_EQ(viewer_->pixel(198, 100), kNothing);
  }
  // The grab survived every failed press.
  EXPECT_EQ(viewer_->drag(0.2, 0.3), 1);
  EXPECT_DOUBLE_EQ(doubleValue("X"), 20);
}

TEST_F(OverlayTest, AFailingWriteIsIgnoredAndTheOthersStillHappen) {
  setClock(50, 50, 80, kAnalog);
  viewer_->setMode(1);
  ASSERT_EQ(viewer_->press(0.5, 0.5), 1);
  ledger_->failOperation("Parameter.SetValueAtTime(X)", kHostFailure);
  EXPECT_EQ(viewer_->drag(0.2, 0.3), 1);
  ledger_->clearFaults();
  EXPECT_EQ(doubleValue("X"), 50);
  EXPECT_DOUBLE_EQ(doubleValue("Y"), 30);
}

// --- What a host may answer -----------------------------------------------------

TEST_F(OverlayTest, AHitScaleOfZeroGivesNoHandleToHit) {
  setClock(50, 50, 50, kAnalog);
  viewer_->setHitScale(0);
  viewer_->setMode(0);
  EXPECT_EQ(viewer_->press(0.5, 0.75), 0) << "even exactly on the ring";
  EXPECT_EQ(viewer_->press(0.5, 0.5), 0);
  EXPECT_EQ(viewer_->drag(0.1, 0.1), 1);
  EXPECT_EQ(doubleValue("Size"), 50);
  EXPECT_EQ(doubleValue("X"), 50);
  // Drag mode does not use the hit scale.
  viewer_->setMode(2);
  EXPECT_EQ(viewer_->press(0.5, 0.5), 1);
}

TEST_F(OverlayTest, AnAspectThatIsNoPositiveNumberIsTakenAsSquarePixels) {
  setClock(50, 50, 50, kAnalog);
  viewer_->setMode(0);
  for (const double aspect : {0.0, -1.0, kNaN, std::numeric_limits<double>::infinity(), 1e-320, 1e308}) {
    SCOPED_TRACE("aspect " + std::to_string(aspect));
    viewer_->setAspect(aspect);
    viewer_->clear();
    platform::DrawRecording recording(viewerDc());
    viewer_->draw(1);
    const auto ellipses = recording.named("Ellipse");
    ASSERT_EQ(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0].numbers, (std::vector<double>{100, 50, 300, 150}));
    EXPECT_EQ(viewer_->press(0.75, 0.5), 1) << "the ring where square pixels put it";
    viewer_->release(0, 0);
  }
}

TEST_F(OverlayTest, NonFiniteDragPositionsAreNotStored) {
  setClock(50, 50, 80, kAnalog);
  viewer_->setMode(1);
  ASSERT_EQ(viewer_->press(0.5, 0.5), 1);
  EXPECT_EQ(viewer_->drag(kNaN, 0.3), 1);
  EXPECT_EQ(doubleValue("X"), 50);
  EXPECT_DOUBLE_EQ(doubleValue("Y"), 30);
  EXPECT_EQ(viewer_->drag(std::numeric_limits<double>::infinity(), 0.3), 1);
  EXPECT_EQ(doubleValue("X"), 50);
}

TEST_F(OverlayTest, AMarkerFarOutsideTheViewerIsClampedTo16BitPoints) {
  setClock(1e7, -1e7, 1, kAnalog);
  platform::DrawRecording recording(viewerDc());
  EXPECT_EQ(viewer_->draw(1), acf::kOk);
  const auto moves = recording.named("MoveToEx");
  ASSERT_EQ(moves.size(), 2u);
  EXPECT_EQ(moves[0].numbers, (std::vector<double>{32767 - 4, -32768}));
  EXPECT_EQ(moves[1].numbers, (std::vector<double>{32767, -32768 - 4}));
  const auto ellipses = recording.named("Ellipse");
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_EQ(ellipses[0].numbers, (std::vector<double>{32767, -32768, 32767, -32768}));
  for (int32_t y = 0; y < kHeight; y += 2)
    for (int32_t x = 0; x < kWidth; x += 2) ASSERT_EQ(viewer_->pixel(x, y), kNothing) << x << ", " << y;
}

// --- Lifetime and threads -------------------------------------------------------

TEST_F(OverlayTest, ASecondAttachReleasesTheContextItReplaces) {
  auto overlay = makeComponent<acf::Overlay>(kOverlayClass);
  auto first = CountedRef<testhost::ViewerContext>::adopt(
      testhost::make<testhost::ViewerContext>(ledger_, store_, kWidth, kHeight));
  auto second = CountedRef<testhost::ViewerContext>::adopt(
      testhost::make<testhost::ViewerContext>(ledger_, store_, kWidth, kHeight));
  ASSERT_EQ(overlay->Attach(first.get()), acf::kOk);
  EXPECT_EQ(first->referenceCount(), 2u);
  ASSERT_EQ(overlay->Attach(second.get()), acf::kOk);
  EXPECT_EQ(first->referenceCount(), 1u) << "the replaced context is released";
  EXPECT_EQ(second->referenceCount(), 2u);
  ASSERT_EQ(overlay->Attach(second.get()), acf::kOk);
  EXPECT_EQ(second->referenceCount(), 2u) << "attaching the same context again holds it once";

  // The overlay now draws into the second viewer only.
  setClock(50, 50, 50, kAnalog);
  EXPECT_EQ(overlay->Draw(0), acf::kOk);
  EXPECT_EQ(first->pixel(198, 100), kNothing);
  EXPECT_EQ(second->pixel(198, 100), kBlack);

  const int64_t live = ledger_->liveObjects();
  first.reset();
  EXPECT_EQ(ledger_->liveObjects(), live - 1) << "nothing holds the first context any more";
  overlay.reset();  // destruction releases the second context and the parameters
  EXPECT_EQ(second->referenceCount(), 1u);
}

// Two viewers on two threads draw their first markers at the same moment:
// they share one palette, made once, and each gets the right picture.
TEST_F(OverlayTest, TwoViewersOnTwoThreadsShareOnePalette) {
  const platform::GdiObjectCounts before = platform::liveGdiObjects();
  setClock(50, 50, 50, kAnalog);
  testhost::HostViewer other(ledger_, store_, kWidth, kHeight);
  ASSERT_EQ(other.attach(makeComponent<acf::Overlay>(kOverlayClass)), acf::kOk);

  constexpr int kDraws = 200;
  std::thread a([&] {
    for (int i = 0; i < kDraws; ++i) viewer_->draw(1);
  });
  std::thread b([&] {
    for (int i = 0; i < kDraws; ++i) other.draw(0);
  });
  a.join();
  b.join();

  EXPECT_EQ(viewer_->pixel(198, 100), kBlue);
  EXPECT_EQ(firstDrawnInColumn(200, 48, 52), kGreen);
  EXPECT_EQ(other.pixel(198, 100), kBlack);
  EXPECT_EQ(other.pixel(200, 50), kBlack);

  // The palette's two solid pens and brushes exist once (made by this test
  // or an earlier one in the same program); drawing makes nothing else.
  const platform::GdiObjectCounts after = platform::liveGdiObjects();
  const int newPens = after.pens - before.pens;
  const int newBrushes = after.brushes - before.brushes;
  EXPECT_TRUE(newPens == 0 || newPens == 2) << newPens;
  EXPECT_EQ(newBrushes, newPens);
}

}  // namespace
}  // namespace horaz::test
