// The optimised row loops against their scalar references, and the range
// arithmetic they share.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "cli/pixels/colour_matrix.h"
#include "cli/pixels/pixel_rows.h"

namespace horaz::cli::rows {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes randomBytes(std::mt19937& random, size_t count) {
  Bytes bytes(count);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
  return bytes;
}

constexpr RangeMap kMaps[] = {RangeMap::kLumaToFull, RangeMap::kChromaToFull, RangeMap::kLumaToStudio,
                              RangeMap::kChromaToStudio};

TEST(RangeMapTest, ExpandingRoundsCorrectlyAndCompressingUndoesIt) {
  for (int v = 0; v < 256; ++v) {
    const auto value = static_cast<uint8_t>(v);
    // Rounded to nearest, ties away from zero (chroma 16 is -127.5 from 128).
    const double luma = std::clamp(std::round((v - 16) * 255.0 / 219.0), 0.0, 255.0);
    const double chroma = std::clamp(std::round((v - 128) * 255.0 / 224.0) + 128.0, 0.0, 255.0);
    EXPECT_EQ(mapSample(RangeMap::kLumaToFull, value), luma) << v;
    EXPECT_EQ(mapSample(RangeMap::kChromaToFull, value), chroma) << v;
    if (v >= 16 && v <= 235) {
      EXPECT_EQ(mapSample(RangeMap::kLumaToStudio, mapSample(RangeMap::kLumaToFull, value)), v) << v;
    }
    if (v >= 16 && v <= 240) {
      EXPECT_EQ(mapSample(RangeMap::kChromaToStudio, mapSample(RangeMap::kChromaToFull, value)), v) << v;
    }
  }
  EXPECT_EQ(mapSample(RangeMap::kLumaToStudio, 0), 16);
  EXPECT_EQ(mapSample(RangeMap::kLumaToStudio, 255), 235);
  EXPECT_EQ(mapSample(RangeMap::kChromaToStudio, 255), 240);
}

TEST(RangeMapTest, TheRowLoopMapsEveryValueAsTheReference) {
  Bytes all(256 + 7);
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
  for (const RangeMap map : kMaps) {
    Bytes fast(all.size()), reference(all.size());
    mapRange(map, all.data(), fast.data(), all.size());
    mapRangeReference(map, all.data(), reference.data(), all.size());
    EXPECT_EQ(fast, reference) << static_cast<int>(map);
  }
}

struct RowLoops {
  const char* name;
  void (*pack)(PairLayout, const uint8_t*, const ChromaSource&, bool, uint8_t*, size_t);
  void (*unpack)(PairLayout, const uint8_t*, bool, uint8_t*, uint8_t*, uint8_t*, size_t);
};

// What `horaz render` runs, and each instruction set's loops this processor has.
std::vector<RowLoops> availableLoops() {
  std::vector<RowLoops> loops{{"chosen", &packRow, &unpackRow}};
#if defined(__SSE2__)
  loops.push_back({"SSE2", &vector::packRowSse2, &vector::unpackRowSse2});
  if (vector::hasAvx2()) loops.push_back({"AVX2", &vector::packRowAvx2, &vector::unpackRowAvx2});
  if (vector::hasVbmi()) loops.push_back({"VBMI", &vector::packRowVbmi, &vector::unpackRowVbmi});
#endif
  return loops;
}

// Lengths around the 16- and 32-pair steps, at unaligned addresses.
TEST(RowLoopTest, OptimisedLoopsGiveTheReferenceBytes) {
  std::mt19937 random(7);
  for (size_t pairs : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 33u, 48u, 63u, 64u, 65u, 101u, 960u}) {
    for (size_t offset : {0u, 1u, 3u}) {
      const Bytes luma = randomBytes(random, 2 * pairs + offset);
      const Bytes cbNear = randomBytes(random, pairs + offset), cbFar = randomBytes(random, pairs + offset);
      const Bytes crNear = randomBytes(random, pairs + offset), crFar = randomBytes(random, pairs + offset);
      // Chroma between two rows (4:2:0), and of one row (4:2:2).
      const ChromaSource betweenRows{cbNear.data() + offset, cbFar.data() + offset, crNear.data() + offset,
                                     crFar.data() + offset};
      const ChromaSource oneRow{cbNear.data() + offset, cbNear.data() + offset, crNear.data() + offset,
                                crNear.data() + offset};
      for (const auto& [layout, chroma] :
           {std::pair{PairLayout::kCbYCrY, betweenRows}, std::pair{PairLayout::kYCbYCr, betweenRows},
            std::pair{PairLayout::kCbYCrY, oneRow}}) {
        for (const bool mapped : {false, true}) {
          Bytes reference(4 * pairs + offset);
          packRowReference(layout, luma.data() + offset, chroma, mapped, reference.data() + offset, pairs);
          const Bytes packed = randomBytes(random, 4 * pairs + offset);
          Bytes y2(2 * pairs), u2(pairs), v2(pairs);
          unpackRowReference(layout, packed.data() + offset, mapped, y2.data(), u2.data(), v2.data(), pairs);
          for (const RowLoops& loops : availableLoops()) {
            SCOPED_TRACE(loops.name);
            Bytes fast(4 * pairs + offset);
            loops.pack(layout, luma.data() + offset, chroma, mapped, fast.data() + offset, pairs);
            ASSERT_EQ(fast, reference) << "pack " << pairs << " pairs";

            Bytes y1(2 * pairs), u1(pairs), v1(pairs);
            loops.unpack(layout, packed.data() + offset, mapped, y1.data(), u1.data(), v1.data(), pairs);
            ASSERT_EQ(y1, y2) << "unpack " << pairs << " pairs";
            ASSERT_EQ(u1, u2);
            ASSERT_EQ(v1, v2);
          }
        }
      }
      Bytes fast(pairs), reference(pairs);
      interpolateRow(cbNear.data() + offset, cbFar.data() + offset, fast.data(), pairs);
      interpolateRowReference(cbNear.data() + offset, cbFar.data() + offset, reference.data(), pairs);
      ASSERT_EQ(fast, reference);
      averageRows(cbNear.data() + offset, cbFar.data() + offset, fast.data(), pairs);
      averageRowsReference(cbNear.data() + offset, cbFar.data() + offset, reference.data(), pairs);
      ASSERT_EQ(fast, reference);
      Bytes wideFast(2 * pairs), wideReference(2 * pairs);
      for (const size_t width : {2 * pairs, pairs == 0 ? 0 : 2 * pairs - 1}) {
        widenChromaRow(cbNear.data() + offset, wideFast.data(), width);
        widenChromaRowReference(cbNear.data() + offset, wideReference.data(), width);
        ASSERT_EQ(wideFast, wideReference) << width << " pixels";
      }
      halveRow(luma.data() + offset, fast.data(), pairs);
      halveRowReference(luma.data() + offset, reference.data(), pairs);
      ASSERT_EQ(fast, reference);
    }
  }
}

// Every pixel layout's offsets, mapped or not, across the 32-pixel step.
TEST(RowLoopTest, RgbRowsGiveTheReferencePlanes) {
  std::mt19937 random(11);
  const RgbaOffsets layouts[] = {{0, 1, 2, 3}, {2, 1, 0, 3}, {1, 2, 3, 0}};
  for (size_t width : {0u, 1u, 31u, 32u, 33u, 64u, 100u, 1920u}) {
    Bytes pixels = randomBytes(random, 4 * width + 1);
    // Greys and the extremes, where the clamps and rounding show.
    for (size_t x = 0; x < std::min<size_t>(width, 6); ++x) std::fill_n(pixels.data() + 1 + 4 * x, 4, x < 3 ? 0 : 255);
    for (const RgbaOffsets& offsets : layouts) {
      for (const bool compress : {false, true}) {
        Bytes y1(width), u1(width), v1(width), y2(width), u2(width), v2(width);
        rgbRowToPlanesReference(pixels.data() + 1, offsets, compress, y2.data(), u2.data(), v2.data(), width);
        rgbRowToPlanes(pixels.data() + 1, offsets, compress, y1.data(), u1.data(), v1.data(), width);
        ASSERT_EQ(y1, y2) << width << " pixels, red at " << offsets.red << (compress ? ", studio" : "");
        ASSERT_EQ(u1, u2);
        ASSERT_EQ(v1, v2);
      }
    }
  }
}

TEST(RowLoopTest, PlanesGiveTheReferenceRgbRows) {
  std::mt19937 random(13);
  const RgbaOffsets layouts[] = {{0, 1, 2, 3}, {2, 1, 0, 3}, {1, 2, 3, 0}};
  for (size_t width : {0u, 1u, 7u, 8u, 9u, 33u, 1920u}) {
    const Bytes luma = randomBytes(random, width), cb = randomBytes(random, width), cr = randomBytes(random, width);
    for (const RgbaOffsets& offsets : layouts) {
      Bytes fast(4 * width), reference(4 * width);
      planesToRgbRowReference(luma.data(), cb.data(), cr.data(), offsets, reference.data(), width);
      planesToRgbRow(luma.data(), cb.data(), cr.data(), offsets, fast.data(), width);
      ASSERT_EQ(fast, reference) << width << " pixels, red at " << offsets.red;
    }
  }
}

TEST(RowLoopTest, UnpackUndoesPackAndTheLayoutsPlaceTheSamples) {
  const Bytes luma{10, 11, 20, 21}, cb{100, 110}, cr{200, 210};
  const ChromaSource chroma{cb.data(), cb.data(), cr.data(), cr.data()};
  Bytes packed(8);
  packRow(PairLayout::kCbYCrY, luma.data(), chroma, false, packed.data(), 2);
  EXPECT_EQ(packed, (Bytes{100, 10, 200, 11, 110, 20, 210, 21}));
  packRow(PairLayout::kYCbYCr, luma.data(), chroma, false, packed.data(), 2);
  EXPECT_EQ(packed, (Bytes{10, 100, 11, 200, 20, 110, 21, 210}));
  Bytes y(4), u(2), v(2);
  unpackRow(PairLayout::kYCbYCr, packed.data(), false, y.data(), u.data(), v.data(), 2);
  EXPECT_EQ(y, luma);
  EXPECT_EQ(u, cb);
  EXPECT_EQ(v, cr);
}

TEST(RowLoopTest, ChromaBetweenTwoRowsWeighsTheNearerThreeQuarters) {
  const Bytes nearer{0, 100, 255}, farther{100, 0, 255};
  Bytes out(3);
  interpolateRow(nearer.data(), farther.data(), out.data(), 3);
  EXPECT_EQ(out, (Bytes{25, 75, 255}));  // 0.75 x 0 + 0.25 x 100 = 25
}

}  // namespace
}  // namespace horaz::cli::rows

// The matrix change between BT.601 and BT.709.
namespace horaz::cli::rows {
namespace {

struct Codes {
  double y, cb, cr;
};

// The codes of an RGB colour in `m`, unrounded.
Codes codesOf(double r, double g, double b, Matrix m, bool studio) {
  const double kr = m == Matrix::kBt709 ? 0.2126 : 0.299, kb = m == Matrix::kBt709 ? 0.0722 : 0.114;
  const double y = (kr * r + (1 - kr - kb) * g + kb * b) / 255.0;
  const double pb = (b / 255.0 - y) / (2 * (1 - kb)), pr = (r / 255.0 - y) / (2 * (1 - kr));
  return studio ? Codes{16 + 219 * y, 128 + 224 * pb, 128 + 224 * pr} : Codes{255 * y, 128 + 255 * pb, 128 + 255 * pr};
}

uint8_t rounded(double code) { return static_cast<uint8_t>(std::lround(code)); }

TEST(ColourMatrixTest, ACodedColourBecomesTheOtherMatrixsCodeOfIt) {
  const Matrix matrices[] = {Matrix::kBt601, Matrix::kBt709};
  for (const bool studio : {true, false})
    for (const Matrix from : matrices)
      for (const Matrix to : matrices)
        for (const auto& [r, g, b] : {std::array{192.0, 48.0, 32.0}, std::array{20.0, 220.0, 90.0},
                                      std::array{128.0, 128.0, 128.0}, std::array{30.0, 60.0, 230.0}}) {
          const Codes in = codesOf(r, g, b, from, studio), want = codesOf(r, g, b, to, studio);
          const uint8_t y[2] = {rounded(in.y), rounded(in.y)}, cb = rounded(in.cb), cr = rounded(in.cr);
          uint8_t outY[2], outCb, outCr;
          convertPairs(matrixMap(from, to, studio), y, &cb, &cr, outY, &outCb, &outCr, 1);
          SCOPED_TRACE(testing::Message() << r << "," << g << "," << b << (studio ? " studio" : " full"));
          // Within the rounding of the input codes and of the result.
          EXPECT_NEAR(outY[0], want.y, 1.0);
          EXPECT_NEAR(outCb, want.cb, 1.0);
          EXPECT_NEAR(outCr, want.cr, 1.0);
        }
}

// Lengths around the 8- and 16-sample steps; in place as the frame
// conversions use it.
TEST(ColourMatrixTest, OptimisedLoopsGiveTheReferenceBytesInPlaceToo) {
  std::mt19937 random(17);
  for (const auto& [from, to] : {std::pair{Matrix::kBt709, Matrix::kBt601}, std::pair{Matrix::kBt601, Matrix::kBt709}})
    for (const bool studio : {true, false})
      for (size_t n : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 25u, 640u}) {
        const MatrixMap map = matrixMap(from, to, studio);
        const Bytes luma = randomBytes(random, 2 * n), cb = randomBytes(random, n), cr = randomBytes(random, n);
        Bytes y1(2 * n), u1(n), v1(n);
        convertPairsReference(map, luma.data(), cb.data(), cr.data(), y1.data(), u1.data(), v1.data(), n);
        Bytes y2 = luma, u2 = cb, v2 = cr;
        convertPairs(map, y2.data(), u2.data(), v2.data(), y2.data(), u2.data(), v2.data(), n);
        ASSERT_EQ(y2, y1) << n << " pairs";
        ASSERT_EQ(u2, u1);
        ASSERT_EQ(v2, v1);
        convertPixelsReference(map, luma.data(), cb.data(), cr.data(), y1.data(), u1.data(), v1.data(), n);
        y2 = luma, u2 = cb, v2 = cr;
        convertPixels(map, y2.data(), u2.data(), v2.data(), y2.data(), u2.data(), v2.data(), n);
        ASSERT_EQ(Bytes(y2.begin(), y2.begin() + static_cast<std::ptrdiff_t>(n)),
                  Bytes(y1.begin(), y1.begin() + static_cast<std::ptrdiff_t>(n)))
            << n << " pixels";
        ASSERT_EQ(u2, u1);
        ASSERT_EQ(v2, v1);
      }
}

}  // namespace
}  // namespace horaz::cli::rows
