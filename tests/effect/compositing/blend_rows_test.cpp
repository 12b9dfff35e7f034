// Which rows and bytes the blend writes: field rows, the pairing flag, odd
// widths, and host answers that must not be trusted.
#include <gtest/gtest.h>

#include "blend_support.h"

namespace horaz::testing {
namespace {

class BlendRows : public ::testing::TestWithParam<NamedBlend> {};

// Each surface row y opaque in a colour of its own: red = 10 y + 5.
Surface rowColouredSurface(int32_t width, int32_t height) {
  Surface surface(width, height);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) surface.set(x, y, static_cast<uint8_t>(10 * y + 5), 0, 0, 255);
  return surface;
}

TEST_P(BlendRows, FieldRenderingWritesOnlyItsRowsFromTheSameSurfaceRows) {
  constexpr int32_t kWidth = 6;
  constexpr int32_t kHeight = 7;
  for (const PixelFormat format : {PixelFormat::kBgra, PixelFormat::kCbYCrY}) {
    for (const int32_t startRow : {0, 1}) {
      SCOPED_TRACE(std::string(testhost::pixelFormatName(format)) + " start row " + std::to_string(startRow));
      FramePair frames(kWidth, kHeight, FrameFormat{format});
      fillPattern(frames.in(), 1);
      fillPattern(frames.out(), 200);
      const std::vector<uint8_t> before = pixelBytes(frames.out());
      ASSERT_EQ(frames.blend(GetParam().blend, rowColouredSurface(kWidth, kHeight), startRow, 2),
                BlendResult::kBlended);
      for (int32_t y = 0; y < kHeight; ++y) {
        const auto row = frames.output->memoryRowBytes(y);
        if ((y - startRow) % 2 != 0 || y < startRow) {
          EXPECT_TRUE(std::equal(row.begin(), row.end(), before.begin() + y * frames.output->rowBytes()))
              << "row " << y << " belongs to the other field";
          EXPECT_EQ(frames.output->rowRequests(y), 0u);
          continue;
        }
        // Output row y shows surface row y: the clock stays where it is in
        // both fields.
        const testhost::Rgb expected = testhost::isYcc(format)
                                           ? testhost::yccToRgb(testhost::rgbToYcc({uint8_t(10 * y + 5), 0, 0, 255}))
                                           : testhost::Rgb{uint8_t(10 * y + 5), 0, 0, 255};
        for (int32_t x = 0; x < kWidth; ++x) {
          const testhost::Rgb got = frames.output->pixelRgb(x, y);
          EXPECT_NEAR(got.red, expected.red, 3) << "row " << y << " x " << x;
        }
      }
    }
  }
}

TEST_P(BlendRows, ProgressiveRowsAskEachRowPointerOnceForPlaneZero) {
  FramePair frames(5, 4, FrameFormat{PixelFormat::kYCbYCr, true});
  ASSERT_EQ(frames.blend(GetParam().blend, rowColouredSurface(5, 4)), BlendResult::kBlended);
  for (int32_t y = 0; y < 4; ++y) {
    EXPECT_EQ(frames.output->rowRequests(y), 1u);
    EXPECT_EQ(frames.input->rowRequests(y), 1u);
  }
  EXPECT_EQ(frames.output->otherPlaneRequests() + frames.input->otherPlaneRequests(), 0u);
}

TEST_P(BlendRows, PairingFlagDoublesTheReportedStep) {
  // The same bytes blended through a layout that reports one pixel per step
  // (flag 1) and one that reports one pair (flag 0) must agree.
  Surface surface(8, 2);
  for (int32_t x = 0; x < 8; ++x) surface.set(x, x % 2, uint8_t(30 * x), 200, uint8_t(255 - 20 * x), uint8_t(x * 36));
  for (const PixelFormat format : {PixelFormat::kCbYCrY, PixelFormat::kYCbYCr}) {
    FramePair paired(8, 2, FrameFormat{format, true});
    FramePair unpaired(8, 2, FrameFormat{format, false});
    ASSERT_EQ(paired.output->layout().GetPixelStep(0), 2);
    fillPattern(paired.in(), 3);
    fillPattern(unpaired.in(), 3);
    ASSERT_EQ(paired.blend(GetParam().blend, surface), BlendResult::kBlended);
    ASSERT_EQ(unpaired.blend(GetParam().blend, surface), BlendResult::kBlended);
    EXPECT_EQ(pixelBytes(paired.out()), pixelBytes(unpaired.out()));
  }
}

TEST_P(BlendRows, OddYccWidthTakesEachRowFromItsOwnSurfaceRowAndStaysInsideThePicture) {
  // Width 3: the second row's first pixel is drawn. Surface rows start every
  // 12 bytes; walking the surface by whole pairs would start row 1 at its
  // second pixel and miss it.
  for (const PixelFormat format : {PixelFormat::kCbYCrY, PixelFormat::kYCbYCr}) {
    SCOPED_TRACE(testhost::pixelFormatName(format));
    FramePair frames(3, 2, FrameFormat{format});
    fillPattern(frames.in(), 40);
    fillPattern(frames.out(), 90);
    const std::vector<uint8_t> before = pixelBytes(frames.out());
    Surface surface(3, 2);
    surface.set(0, 1, 255, 255, 255, 255);
    surface.set(2, 1, 255, 255, 255, 255);  // the lone pixel of the last pair
    ASSERT_EQ(frames.blend(GetParam().blend, surface), BlendResult::kBlended);

    const auto& offsets = testhost::layoutAnswersFor(frames.output->format()).offsets;
    const uint8_t* in0 = frames.input->memoryRow(0);
    const uint8_t* out0 = frames.output->memoryRow(0);
    const uint8_t* out1 = frames.output->memoryRow(1);
    for (const int component : {4, 5, 6, 7}) EXPECT_EQ(out0[offsets[component]], in0[offsets[component]]);
    EXPECT_EQ(out1[offsets[4]], 255);  // first luma of row 1: white
    EXPECT_EQ(out1[offsets[6]], 128);
    EXPECT_EQ(out1[offsets[7]], 128);
    // The last pair: Y0, Cb and Cr blended (or copied on row 0), the second
    // luma outside the picture never written.
    for (int32_t y = 0; y < 2; ++y) {
      const uint8_t* out = frames.output->memoryRow(y) + 4;
      const uint8_t* in = frames.input->memoryRow(y) + 4;
      EXPECT_EQ(out[offsets[5]], before[y * frames.output->rowBytes() + 4 + offsets[5]]) << "row " << y;
      EXPECT_EQ(out[offsets[4]], y == 0 ? in[offsets[4]] : 255) << "row " << y;
      EXPECT_EQ(out[offsets[6]], y == 0 ? in[offsets[6]] : 128) << "row " << y;
    }
  }
}

// --- host answers that are not trusted -------------------------------------

struct LayoutFault {
  const char* what;
  PixelFormat format;
  void (*spoil)(testhost::LayoutAnswers&);
  BlendResult expected;
};

TEST_P(BlendRows, UnusableLayoutsLeaveTheOutputUnwritten) {
  const LayoutFault faults[] = {
      {"unknown kind", PixelFormat::kRgba, [](auto& a) { a.kind = 5; }, BlendResult::kUnhandledLayout},
      {"kind 2 with 3 components", PixelFormat::kRgba, [](auto& a) { a.componentCount = 3; },
       BlendResult::kUnhandledLayout},
      {"pixel step 0", PixelFormat::kBgra, [](auto& a) { a.pixelStep = 0; }, BlendResult::kUnsafeLayout},
      {"negative pixel step", PixelFormat::kArgb, [](auto& a) { a.pixelStep = -4; }, BlendResult::kUnsafeLayout},
      {"offset beyond the step", PixelFormat::kRgba, [](auto& a) { a.offsets[3] = 4; }, BlendResult::kUnsafeLayout},
      {"negative offset", PixelFormat::kBgra, [](auto& a) { a.offsets[0] = -1; }, BlendResult::kUnsafeLayout},
      {"YCbCr step 0", PixelFormat::kCbYCrY, [](auto& a) { a.pixelStep = 0; }, BlendResult::kUnsafeLayout},
      {"YCbCr offset beyond the pair", PixelFormat::kYCbYCr, [](auto& a) { a.offsets[7] = 4; },
       BlendResult::kUnsafeLayout},
      {"YCbCr offset beyond an unpaired step of 2", PixelFormat::kYCbYCr,
       [](auto& a) {
         a.pixelStep = 2;
         a.pairingFlag = 0;
       },
       BlendResult::kUnsafeLayout},
  };
  for (const LayoutFault& fault : faults) {
    SCOPED_TRACE(fault.what);
    FramePair frames(4, 3, FrameFormat{fault.format});
    fault.spoil(frames.output->layout().answers());
    fillPattern(frames.out(), 77);
    const std::vector<uint8_t> before = pixelBytes(frames.out());
    Surface surface(4, 3);
    surface.fill(255, 255, 255, 255);
    EXPECT_EQ(frames.blend(GetParam().blend, surface), fault.expected);
    EXPECT_EQ(pixelBytes(frames.out()), before);
  }
}

TEST_P(BlendRows, InvalidArgumentsLeaveTheOutputUnwritten) {
  FramePair frames(4, 3, FrameFormat{PixelFormat::kRgba});
  fillPattern(frames.out(), 77);
  const std::vector<uint8_t> before = pixelBytes(frames.out());
  Surface surface(4, 3);
  surface.fill(255, 255, 255, 255);
  auto& output = frames.out();
  auto& input = frames.in();
  const BlendFunction blend = GetParam().blend;
  EXPECT_EQ(blend(nullptr, 4, 3, output, input, output.layout(), 0, 1), BlendResult::kInvalidArguments);
  EXPECT_EQ(blend(surface.pixels.data(), 4, 3, output, input, output.layout(), 0, 0), BlendResult::kInvalidArguments);
  EXPECT_EQ(blend(surface.pixels.data(), 4, 3, output, input, output.layout(), -1, 1), BlendResult::kInvalidArguments);
  EXPECT_EQ(pixelBytes(output), before);
}

TEST_P(BlendRows, RowsWithoutPointersAreSkipped) {
  for (const bool nullInOutput : {true, false}) {
    FramePair frames(4, 3, FrameFormat{PixelFormat::kBgra});
    (nullInOutput ? frames.output : frames.input)->setNullRow(1);
    fillPattern(frames.out(), 77);
    const std::vector<uint8_t> before = pixelBytes(frames.out());
    Surface surface(4, 3);
    surface.fill(255, 0, 0, 255);
    ASSERT_EQ(frames.blend(GetParam().blend, surface), BlendResult::kBlended);
    const auto row1 = frames.output->memoryRowBytes(1);
    EXPECT_TRUE(std::equal(row1.begin(), row1.end(), before.begin() + frames.output->rowBytes()));
    EXPECT_EQ(frames.output->pixelRgb(0, 0), (testhost::Rgb{255, 0, 0, 255}));
    EXPECT_EQ(frames.output->pixelRgb(3, 2), (testhost::Rgb{255, 0, 0, 255}));
  }
}

INSTANTIATE_TEST_SUITE_P(Both, BlendRows, ::testing::ValuesIn(kBlends),
                         [](const auto& info) { return blendName(info.param); });

}  // namespace
}  // namespace horaz::testing
