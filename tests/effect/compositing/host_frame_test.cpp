// The reference host's frames: what their layouts answer, where rows lie,
// colour round trips, and the ledger's view of them.
#include <gtest/gtest.h>

#include "blend_support.h"

namespace horaz::testing {
namespace {

using testhost::Rgb;

struct LayoutCase {
  FrameFormat format;
  int32_t kind;
  std::array<int32_t, 4> offsets;  // RGB: red green blue alpha (0..3); YCbCr: Y0 Y1 Cb Cr (4..7)
  int32_t step;
  int32_t pairing;
};

TEST(HostFrame, LayoutAnswersPerFormat) {
  const LayoutCase cases[] = {
      {{PixelFormat::kRgba}, 2, {0, 1, 2, 3}, 4, 0},
      {{PixelFormat::kBgra}, 2, {2, 1, 0, 3}, 4, 0},
      {{PixelFormat::kArgb}, 2, {1, 2, 3, 0}, 4, 0},
      {{PixelFormat::kCbYCrY}, 3, {1, 3, 0, 2}, 4, 0},
      {{PixelFormat::kCbYCrY, true}, 3, {1, 3, 0, 2}, 2, 1},
      {{PixelFormat::kYCbYCr}, 4, {0, 2, 1, 3}, 4, 0},
      {{PixelFormat::kYCbYCr, true, true}, 4, {0, 2, 1, 3}, 2, 1},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(testhost::pixelFormatName(c.format.pixels));
    FramePair frames(2, 2, c.format);
    CountedRef<acf::PixelLayout> layout;
    ASSERT_EQ(frames.output->GetPixelLayout(layout.put()), acf::kOk);
    EXPECT_EQ(layout->GetKind(), c.kind);
    const int32_t first = c.kind == 2 ? 0 : 4;
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(layout->GetComponentOffset(first + i), c.offsets[i]) << i;
    EXPECT_EQ(layout->GetComponentOffset(8), -1);
    EXPECT_EQ(layout->GetPixelStep(0), c.step);
    EXPECT_EQ(layout->GetPairingFlag(), c.pairing);
    EXPECT_EQ(layout->GetRowOrder(), c.format.bottomUp ? 1 : 0);
    if (c.kind == 2) {
      EXPECT_EQ(layout->GetComponentCount(), 4);
    }
  }
}

TEST(HostFrame, RowsFollowTheRowOrderAndPadding) {
  for (const bool bottomUp : {false, true}) {
    FramePair frames(3, 4, FrameFormat{PixelFormat::kRgba, false, bottomUp, 5, 3});
    HostFrame& frame = frames.out();
    EXPECT_EQ(frame.stride(), 3 * 4 + 5);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(frame.GetRow(0, 0)) % 64, 3u);
    EXPECT_EQ(frame.GetRow(1, 0) - frame.GetRow(0, 0), frame.stride());
    EXPECT_EQ(frame.GetRow(4, 0), nullptr);
    EXPECT_EQ(frame.GetRow(-1, 0), nullptr);
    EXPECT_EQ(frame.GetRow(0, 1), nullptr);
    frame.setPixelRgb(2, 0, {1, 2, 3, 4});  // the top of the picture
    const uint8_t* top = frame.GetRow(bottomUp ? 3 : 0, 0) + 8;
    EXPECT_EQ(top[0], 1);
    EXPECT_EQ(top[3], 4);
  }
}

TEST(HostFrame, ColoursSurviveTheRoundTrip) {
  const Rgb colours[] = {
      {0, 0, 0, 255}, {255, 255, 255, 255}, {255, 0, 0, 255}, {0, 255, 255, 255}, {12, 200, 77, 255}};
  for (const PixelFormat format : testhost::kAllPixelFormats) {
    FramePair frames(5, 1, FrameFormat{format});
    for (const Rgb& colour : colours) {
      for (int32_t x = 0; x < 5; ++x) frames.output->setPixelRgb(x, 0, colour);
      for (int32_t x = 0; x < 5; ++x) {
        const Rgb got = frames.output->pixelRgb(x, 0);
        const int tolerance = testhost::isYcc(format) ? 2 : 0;
        EXPECT_NEAR(got.red, colour.red, tolerance);
        EXPECT_NEAR(got.green, colour.green, tolerance);
        EXPECT_NEAR(got.blue, colour.blue, tolerance);
      }
    }
  }
}

TEST(HostFrame, LayoutRequestsCanBeFailedAndObjectsAreCounted) {
  auto ledger = std::make_shared<testhost::Ledger>();
  {
    auto frame = CountedRef<HostFrame>::adopt(testhost::make<HostFrame>(ledger, 2, 2, FrameFormat{}));
    EXPECT_EQ(ledger->liveObjects(), 2);  // the frame and its layout
    ledger->failOperation("Frame.GetPixelLayout", acf::kUnexpected);
    acf::PixelLayout* layout = reinterpret_cast<acf::PixelLayout*>(1);
    EXPECT_EQ(frame->GetPixelLayout(&layout), acf::kUnexpected);
    EXPECT_EQ(layout, nullptr);
    ledger->clearFaults();
    CountedRef<acf::PixelLayout> held;
    ASSERT_EQ(frame->GetPixelLayout(held.put()), acf::kOk);
    frame.reset();
    EXPECT_EQ(ledger->liveObjects(), 1);  // the layout outlives the frame while referenced
  }
  EXPECT_EQ(ledger->liveObjects(), 0);
}

}  // namespace
}  // namespace horaz::testing
