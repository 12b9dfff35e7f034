// The blend's arithmetic in both pixel families, checked on worked values and
// on the identity of an untouched (all-transparent) surface.
#include <gtest/gtest.h>

#include "blend_support.h"

namespace horaz::testing {
namespace {

using testhost::Rgb;

class BlendValues : public ::testing::TestWithParam<NamedBlend> {};

// --- RGB-type ----------------------------------------------------------------

struct RgbCase {
  const char* what;
  uint8_t surfaceAlpha;
  Rgb expected;
};

TEST_P(BlendValues, RgbRedOverGreyInEveryComponentOrder) {
  const RgbCase cases[] = {
      {"opaque red replaces the pixel", 255, {255, 0, 0, 255}},
      // (127 * 100) / 255 + (255 * 128) / 255 = 49 + 128; the fourth
      // component takes the surface alpha.
      {"half-transparent red", 128, {177, 49, 49, 128}},
      {"alpha 1 keeps almost all of the input", 1, {100, 99, 99, 1}},
  };
  for (const PixelFormat format : {PixelFormat::kRgba, PixelFormat::kBgra, PixelFormat::kArgb}) {
    for (const RgbCase& c : cases) {
      SCOPED_TRACE(std::string(testhost::pixelFormatName(format)) + ": " + c.what);
      FramePair frames(3, 1, FrameFormat{format});
      frames.input->fillRgb({100, 100, 100, 255});
      Surface surface(3, 1);
      surface.set(1, 0, 255, 0, 0, c.surfaceAlpha);
      ASSERT_EQ(frames.blend(GetParam().blend, surface), BlendResult::kBlended);
      EXPECT_EQ(frames.output->pixelRgb(1, 0), c.expected);
      EXPECT_EQ(frames.output->pixelRgb(0, 0), (Rgb{100, 100, 100, 255}));
      EXPECT_EQ(frames.output->pixelRgb(2, 0), (Rgb{100, 100, 100, 255}));
    }
  }
}

// --- YCbCr 4:2:2 -------------------------------------------------------------

struct PairBytes {
  uint8_t y0, y1, cb, cr;
  friend bool operator==(const PairBytes&, const PairBytes&) = default;
};

void PrintTo(const PairBytes& p, std::ostream* os) {
  *os << "Y0 " << int(p.y0) << " Y1 " << int(p.y1) << " Cb " << int(p.cb) << " Cr " << int(p.cr);
}

PairBytes readPair(const HostFrame& frame, int32_t row, int32_t pair) {
  const auto& o = testhost::layoutAnswersFor(frame.format()).offsets;
  const uint8_t* p = frame.memoryRow(row) + pair * 4;
  return {p[o[4]], p[o[5]], p[o[6]], p[o[7]]};
}

void writePair(HostFrame& frame, int32_t row, int32_t pair, PairBytes v) {
  const auto& o = testhost::layoutAnswersFor(frame.format()).offsets;
  uint8_t* p = frame.memoryRow(row) + pair * 4;
  p[o[4]] = v.y0;
  p[o[5]] = v.y1;
  p[o[6]] = v.cb;
  p[o[7]] = v.cr;
}

struct YccCase {
  const char* what;
  uint8_t first[4];  // red, green, blue, alpha
  uint8_t second[4];
  PairBytes expected;
};

constexpr PairBytes kInputPair{50, 60, 100, 200};

TEST_P(BlendValues, YccPairsInEveryLayout) {
  const YccCase cases[] = {
      {"opaque white", {255, 255, 255, 255}, {255, 255, 255, 255}, {255, 255, 128, 128}},
      // Cr computes to -2.49 and is clamped to 0; Cb 171.8, Y 178.3.
      {"opaque cyan first pixel clamps Cr", {0, 255, 255, 255}, {0, 0, 0, 0}, {178, 60, 171, 0}},
      {"drawn only in the second pixel: copied", {0, 0, 0, 0}, {255, 255, 255, 255}, kInputPair},
      // Chroma from the first pixel only; the second luma uses the decimal
      // weights: 0.299 * 255 = 76.2.
      {"first black, second red", {0, 0, 0, 255}, {255, 0, 0, 255}, {0, 76, 128, 128}},
      // ((255 - 128) * 50) / 255 = 24, + 128 * 255.0 / 255 = 152.
      {"half-transparent white", {255, 255, 255, 128}, {0, 0, 0, 0}, {152, 60, 113, 163}},
  };
  for (const PixelFormat format : {PixelFormat::kCbYCrY, PixelFormat::kYCbYCr}) {
    for (const bool pairing : {false, true}) {
      for (const YccCase& c : cases) {
        SCOPED_TRACE(std::string(testhost::pixelFormatName(format)) + (pairing ? " paired: " : ": ") + c.what);
        FramePair frames(4, 1, FrameFormat{format, pairing});
        writePair(frames.in(), 0, 0, kInputPair);
        writePair(frames.in(), 0, 1, kInputPair);
        Surface surface(4, 1);
        surface.set(2, 0, c.first[0], c.first[1], c.first[2], c.first[3]);
        surface.set(3, 0, c.second[0], c.second[1], c.second[2], c.second[3]);
        ASSERT_EQ(frames.blend(GetParam().blend, surface), BlendResult::kBlended);
        EXPECT_EQ(readPair(frames.out(), 0, 0), kInputPair);
        EXPECT_EQ(readPair(frames.out(), 0, 1), c.expected);
      }
    }
  }
}

// --- identity ----------------------------------------------------------------

TEST_P(BlendValues, TransparentSurfaceCopiesTheInputInEveryLayout) {
  for (const PixelFormat format : testhost::kAllPixelFormats) {
    for (const bool pairing : {false, true}) {
      if (pairing && !testhost::isYcc(format)) continue;
      for (const bool bottomUp : {false, true}) {
        for (const int32_t width : {1, 2, 7, 64, 67}) {
          SCOPED_TRACE(std::string(testhost::pixelFormatName(format)) + " width " + std::to_string(width) +
                       (pairing ? " paired" : "") + (bottomUp ? " bottom-up" : ""));
          FramePair frames(width, 5, FrameFormat{format, pairing, bottomUp, 3, 1});
          fillPattern(frames.in(), 11);
          fillPattern(frames.out(), 99);
          const std::vector<uint8_t> before = pixelBytes(frames.out());
          ASSERT_EQ(frames.blend(GetParam().blend, Surface(width, 5)), BlendResult::kBlended);
          std::vector<uint8_t> expected = pixelBytes(frames.in());
          if (testhost::isYcc(format) && width % 2 == 1) {
            // The second luma of the last pair lies outside the picture and
            // keeps the output's own byte.
            const int32_t offset = testhost::layoutAnswersFor(frames.output->format()).offsets[5];
            for (int32_t y = 0; y < 5; ++y) {
              const size_t at = static_cast<size_t>(y) * frames.output->rowBytes() + (width / 2) * 4 + offset;
              expected[at] = before[at];
            }
          }
          EXPECT_EQ(pixelBytes(frames.out()), expected);
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Both, BlendValues, ::testing::ValuesIn(kBlends),
                         [](const auto& info) { return blendName(info.param); });

}  // namespace
}  // namespace horaz::testing
