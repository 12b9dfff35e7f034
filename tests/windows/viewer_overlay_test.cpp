// The overlay's marker drawn by the system's GDI on the reference host's
// viewer device context, checked on the viewer's pixels: the ellipse's
// extent for each clock type, the centre cross and drag mode's diagonal.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "interaction/effect_instance.h"
#include "testhost/viewer.h"

namespace horaz::test {
namespace {

// GDI leaves the alpha byte of a 32-bit bitmap as it likes, so the viewer
// starts grey and a pixel counts as drawn when its colour is black.
constexpr uint32_t kGrey = 0xFF808080;
bool black(uint32_t argb) { return (argb & 0x00FFFFFF) == 0; }

class ViewerOverlay : public EffectInstance {
 protected:
  void SetUp() override {
    EffectInstance::SetUp();
    viewer_ = std::make_unique<testhost::HostViewer>(ledger_, store_, 400, 200);
    viewer_->setHitScale(100);
    ASSERT_EQ(viewer_->attach(overlay_), acf::kOk);
  }
  void TearDown() override {
    viewer_.reset();
    overlay_.reset();
    EffectInstance::TearDown();
  }

  // Whether any pixel of column `x` from `fromY` to `toY` is drawn black.
  bool blackInColumn(int32_t x, int32_t fromY, int32_t toY) const {
    for (int32_t y = fromY; y <= toY; ++y)
      if (black(viewer_->pixel(x, y))) return true;
    return false;
  }

  CountedRef<acf::Overlay> overlay_ = makeComponent<acf::Overlay>(kOverlayClass);
  std::unique_ptr<testhost::HostViewer> viewer_;
};

TEST_F(ViewerOverlay, TheMarkerLandsOnTheViewersPixels) {
  struct Case {
    int32_t type;
    int32_t mode;
    int32_t top, bottom;  // the ellipse's rows at the centre column 200
  };
  // Size 50 at the centre of the 400 x 200 viewer.
  const Case cases[]{{0, 0, 50, 150}, {1, 0, 80, 120}, {2, 0, 89, 111}, {0, 2, 50, 150}};
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.type) + ", mode " + std::to_string(c.mode));
    setDouble("X", 50);
    setDouble("Y", 50);
    setDouble("Size", 50);
    setInt("the List value", c.type);
    viewer_->setMode(c.mode);
    viewer_->context().fill(kGrey);
    ASSERT_EQ(viewer_->draw(0), acf::kOk);
    EXPECT_TRUE(blackInColumn(200, c.top - 2, c.top + 2)) << "the ellipse's top";
    EXPECT_TRUE(blackInColumn(200, c.bottom - 2, c.bottom + 2)) << "the ellipse's bottom";
    EXPECT_FALSE(blackInColumn(200, 0, c.top - 3)) << "nothing above the ellipse";
    EXPECT_TRUE(black(viewer_->pixel(198, 100))) << "the centre cross";
    EXPECT_EQ(viewer_->pixel(200, (c.top + 100) / 2 - 3), kGrey) << "the inside";
    EXPECT_EQ(black(viewer_->pixel(207, 107)), c.mode == 2) << "drag mode's diagonal cross";
  }
}

}  // namespace
}  // namespace horaz::test
