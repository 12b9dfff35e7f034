// The fast blend against the reference, byte for byte, on random frames and
// surfaces: every layout, odd widths, padded and unaligned rows, fields,
// pixel steps wider than the components, and in-place rendering.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "effect/frame_blend_arithmetic.h"
#include "blend_support.h"

namespace horaz::testing {
namespace {

// Surfaces like painted clocks: long transparent runs, filled shapes,
// opaque and anti-aliased stretches, and isolated drawn pixels.
Surface randomSurface(std::mt19937& random, int32_t width, int32_t height) {
  Surface surface(width, height);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> runLength(1, 40);
  std::uniform_int_distribution<int> kind(0, 6);
  size_t at = 0;
  const size_t total = surface.pixels.size() / 4;
  while (at < total) {
    const size_t end = std::min(total, at + static_cast<size_t>(runLength(random)));
    const int k = kind(random);
    if (k == 6) {  // a filled shape: one opaque colour throughout
      const uint8_t colour[4] = {static_cast<uint8_t>(byte(random)), static_cast<uint8_t>(byte(random)),
                                 static_cast<uint8_t>(byte(random)), 255};
      for (; at < end; ++at) std::copy(colour, colour + 4, &surface.pixels[at * 4]);
      continue;
    }
    for (; at < end; ++at) {
      uint8_t* p = &surface.pixels[at * 4];
      // Transparent pixels keep random colour bytes: alpha alone decides.
      for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(byte(random));
      p[3] = k <= 2 ? 0 : k == 3 ? 255 : k == 4 ? static_cast<uint8_t>(byte(random)) : (at % 3 == 0 ? 0 : 9);
    }
  }
  return surface;
}

void fillRandom(std::mt19937& random, HostFrame& frame) {
  std::uniform_int_distribution<int> byte(0, 255);
  for (int32_t y = 0; y < frame.height(); ++y) {
    uint8_t* row = frame.memoryRow(y);
    for (int32_t i = 0; i < frame.rowBytes(); ++i) row[i] = static_cast<uint8_t>(byte(random));
  }
}

struct Trial {
  FrameFormat format;
  int32_t width;
  int32_t height;
  int32_t startRow;
  int32_t rowStep;
  bool wideStep;  // the layout reports 8 bytes per pixel (or pair) over a frame of twice the width
  bool inPlace;   // the output frame is the input frame
  // Only these surface pixels are read (rows in memory order); the fast
  // blend finds junk outside them, the reference zeros.
  std::optional<PixelArea> readArea;
};

std::string describe(const Trial& t) {
  return std::string(testhost::pixelFormatName(t.format.pixels)) + " " + std::to_string(t.width) + "x" +
         std::to_string(t.height) + (t.format.pairingFlag ? " paired" : "") + (t.format.bottomUp ? " bottom-up" : "") +
         " padding " + std::to_string(t.format.rowPadding) + " offset " + std::to_string(t.format.baseOffset) +
         " rows " + std::to_string(t.startRow) + "+" + std::to_string(t.rowStep) + (t.wideStep ? " wide step" : "") +
         (t.inPlace ? " in place" : "") +
         (t.readArea ? " area " + std::to_string(t.readArea->left) + "," + std::to_string(t.readArea->top) + "-" +
                           std::to_string(t.readArea->right) + "," + std::to_string(t.readArea->bottom)
                     : std::string());
}

// Blends with `function` on fresh frames made from the same seed; returns
// the output's bytes.
std::vector<uint8_t> runTrial(const Trial& t, BlendFunction function, uint32_t seed) {
  std::mt19937 random(seed);
  const int32_t frameWidth = t.wideStep ? t.width * 2 : t.width;
  FramePair frames(frameWidth, t.height, t.format);
  fillRandom(random, frames.in());
  fillRandom(random, frames.out());
  if (t.wideStep) {
    // Components keep their offsets; the step skips a pixel (or a pair) of
    // bytes that the blend must leave alone.
    frames.output->layout().answers().pixelStep *= 2;
  }
  Surface surface = randomSurface(random, t.width, t.height);
  HostFrame& output = frames.out();
  HostFrame& input = t.inPlace ? output : frames.in();
  if (t.readArea) {
    for (int32_t y = 0; y < t.height; ++y) {
      for (int32_t x = 0; x < t.width; ++x) {
        if (t.readArea->contains(x, y)) continue;
        uint8_t* p = &surface.pixels[(static_cast<size_t>(y) * t.width + x) * 4];
        const bool reference = function == &blendSurfaceReference;
        std::fill(p, p + 4, reference ? uint8_t{0} : uint8_t{0xC3});
      }
    }
    if (function != &blendSurfaceReference) {
      EXPECT_EQ(blendSurface(surface.pixels.data(), t.width, t.height, output, input, output.layout(), t.startRow,
                             t.rowStep, *t.readArea),
                BlendResult::kBlended);
      return pixelBytes(output);
    }
  }
  EXPECT_EQ(function(surface.pixels.data(), t.width, t.height, output, input, output.layout(), t.startRow, t.rowStep),
            BlendResult::kBlended);
  return pixelBytes(output);
}

// With the AVX2 loops (where the processor has them) and without.
TEST(BlendEquivalence, FastMatchesReferenceOnRandomFrames) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> pick(0, 1 << 30);
  const int32_t widths[] = {1, 2, 3, 4, 5, 7, 8, 15, 16, 17, 31, 33, 63, 64, 65, 100, 257};
  int trials = 0;
  for (const bool avx2 : {true, false}) {
    allowAvx2Blend(avx2);
    for (const PixelFormat pixels : testhost::kAllPixelFormats) {
      for (const int32_t width : widths) {
        for (int variant = 0; variant < 6; ++variant) {
          Trial t;
          t.format.pixels = pixels;
          t.format.pairingFlag = testhost::isYcc(pixels) && pick(random) % 2 == 0;
          t.format.bottomUp = pick(random) % 2 == 0;
          t.format.rowPadding = pick(random) % 8;
          t.format.baseOffset = pick(random) % 4;
          t.width = width;
          t.height = 1 + pick(random) % 6;
          t.rowStep = variant % 3 == 2 ? 2 : 1;
          t.startRow = t.rowStep == 2 ? pick(random) % 2 : 0;
          t.wideStep = variant == 4;
          t.inPlace = variant == 5;
          SCOPED_TRACE(describe(t));
          const auto seed = static_cast<uint32_t>(pick(random));
          const std::vector<uint8_t> expected = runTrial(t, &blendSurfaceReference, seed);
          const std::vector<uint8_t> got = runTrial(t, &blendSurface, seed);
          ASSERT_EQ(got, expected) << "avx2 " << avx2;
          ++trials;
        }
      }
    }
  }
  allowAvx2Blend(true);
  EXPECT_EQ(trials, 2 * 5 * 17 * 6);
}

TEST(BlendEquivalence, ReadingOnlyAnAreaMatchesTheReferenceOverThatAreaAlone) {
  // What lies outside the area is never read: junk there must not show. A
  // YCbCr area has even columns (or ends at an odd width), as the surface
  // widens it to whole pairs.
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> pick(0, 1 << 30);
  const int32_t widths[] = {1, 2, 3, 5, 16, 17, 64, 65, 129};
  int trials = 0;
  for (const PixelFormat pixels : testhost::kAllPixelFormats) {
    const bool ycc = testhost::isYcc(pixels);
    for (const int32_t width : widths) {
      for (int variant = 0; variant < 8; ++variant) {
        Trial t;
        t.format.pixels = pixels;
        t.format.pairingFlag = ycc && pick(random) % 2 == 0;
        t.format.bottomUp = pick(random) % 2 == 0;
        t.format.rowPadding = pick(random) % 8;
        t.width = width;
        t.height = 1 + pick(random) % 7;
        t.rowStep = variant % 4 == 3 ? 2 : 1;
        t.startRow = t.rowStep == 2 ? pick(random) % 2 : 0;
        t.wideStep = false;
        t.inPlace = variant == 5;
        int64_t left = pick(random) % (width + 1), right = pick(random) % (width + 1);
        int64_t top = pick(random) % (t.height + 1), bottom = pick(random) % (t.height + 1);
        if (left > right) std::swap(left, right);
        if (top > bottom) std::swap(top, bottom);
        if (ycc) {
          left &= ~int64_t{1};
          right = std::min<int64_t>(width, (right + 1) & ~int64_t{1});
        }
        if (variant == 6) left = top = right = bottom = 0;  // nothing drawn
        if (variant == 7)
          t.readArea = PixelArea{-5, -5, width + 9, t.height + 9};  // beyond the surface
        else
          t.readArea = PixelArea{left, top, right, bottom};
        SCOPED_TRACE(describe(t));
        const auto seed = static_cast<uint32_t>(pick(random));
        ASSERT_EQ(runTrial(t, &blendSurface, seed), runTrial(t, &blendSurfaceReference, seed));
        ++trials;
      }
    }
  }
  EXPECT_EQ(trials, 5 * 9 * 8);
}

TEST(BlendEquivalence, DivisionAndRoundingOnEveryAlphaAndInput) {
  // Every (alpha, input byte) pair through both loops, one pair per pixel
  // pair: the integer share and the double share must round identically.
  constexpr int32_t kWidth = 512;
  for (const PixelFormat pixels : {PixelFormat::kRgba, PixelFormat::kCbYCrY}) {
    FramePair fast(kWidth, 256, FrameFormat{pixels});
    FramePair reference(kWidth, 256, FrameFormat{pixels});
    Surface surface(kWidth, 256);
    for (int32_t y = 0; y < 256; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        surface.set(x, y, static_cast<uint8_t>(x), static_cast<uint8_t>(255 - x / 2), static_cast<uint8_t>(x * 3),
                    static_cast<uint8_t>(y));
      }
      for (HostFrame* frame : {fast.input.get(), reference.input.get()}) {
        uint8_t* row = frame->memoryRow(y);
        for (int32_t i = 0; i < frame->rowBytes(); ++i) row[i] = static_cast<uint8_t>(i / 4 + i);
      }
    }
    ASSERT_EQ(fast.blend(&blendSurface, surface), BlendResult::kBlended);
    ASSERT_EQ(reference.blend(&blendSurfaceReference, surface), BlendResult::kBlended);
    EXPECT_EQ(pixelBytes(fast.out()), pixelBytes(reference.out())) << testhost::pixelFormatName(pixels);
  }
}

TEST(BlendEquivalence, DivisionBy255WithoutDividingIsExactOverTheWholeRange) {
  for (uint32_t x = 0; x <= blend::kLargestBlendProduct; ++x) ASSERT_EQ(blend::divideBy255(x), x / 255) << x;
}

TEST(BlendEquivalence, FastMatchesReferenceInEveryOrderOfTheFourComponents) {
  // Hosts may place red, green, blue and alpha on the four bytes in any
  // order; each order takes its own vector shuffle.
  std::array<int32_t, 4> offsets{0, 1, 2, 3};
  std::mt19937 random(77);
  int orders = 0;
  do {
    const uint32_t seed = random();
    auto run = [&](BlendFunction function) {
      std::mt19937 frameRandom(seed);
      FramePair frames(67, 3, FrameFormat{PixelFormat::kRgba, false, false, 3, 1});
      std::copy(offsets.begin(), offsets.end(), frames.output->layout().answers().offsets.begin());
      fillRandom(frameRandom, frames.in());
      fillRandom(frameRandom, frames.out());
      const Surface surface = randomSurface(frameRandom, 67, 3);
      EXPECT_EQ(frames.blend(function, surface), BlendResult::kBlended);
      return pixelBytes(frames.out());
    };
    ASSERT_EQ(run(&blendSurface), run(&blendSurfaceReference))
        << "offsets " << offsets[0] << offsets[1] << offsets[2] << offsets[3];
    ++orders;
  } while (std::next_permutation(offsets.begin(), offsets.end()));
  EXPECT_EQ(orders, 24);
}

}  // namespace
}  // namespace horaz::testing
