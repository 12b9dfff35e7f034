// The table-driven premultiply / unpremultiply give the bytes of the scalar
// definitions, and the pixel store converts back exactly what it converted.
#include <random>

#include "pixel_store.h"
#include "platform_test_support.h"

using namespace horaz::platform::detail;
using namespace platform_test;

namespace {

TEST(PixelConversion, TablesMatchTheScalarDefinitionsForEveryAlphaAndChannel) {
  for (std::uint32_t a = 0; a < 256; ++a)
    for (std::uint32_t c = 0; c < 256; ++c) {
      const std::uint32_t pixel = (a << 24) | (c << 16) | ((255 - c) << 8) | ((c * 7) & 0xFF);
      ASSERT_EQ(premultiplyPixelFast(pixel), premultiplyPixel(pixel)) << a << " " << c;
      ASSERT_EQ(unpremultiplyPixelFast(pixel), unpremultiplyPixel(pixel)) << a << " " << c;
    }
  std::mt19937 random(7);
  for (int i = 0; i < 100000; ++i) {
    const std::uint32_t pixel = random();
    ASSERT_EQ(premultiplyPixelFast(pixel), premultiplyPixel(pixel));
    ASSERT_EQ(unpremultiplyPixelFast(pixel), unpremultiplyPixel(pixel));
  }
  // Round trip of an opaque or premultiplied-valid pixel is exact.
  EXPECT_EQ(unpremultiplyPixel(premultiplyPixel(0x80FF0000)), 0x80FF0000u);
}

// The prepared region starts over zero pixels (kept without a copy) and then
// grows over faint paint, odd widths, in both row orders.
TEST(PixelConversion, GrowingFromClearIntoPaintRestoresUntouchedBytes) {
  GdiplusSession session;
  for (bool topDown : {true, false}) {
    Surface surface(13, 7, topDown);
    auto* bytes = static_cast<std::uint8_t*>(surface.bits);
    std::mt19937 random(topDown ? 1 : 2);
    for (int y = 0; y < 7; ++y)
      for (int x = 8; x < 13; ++x) {
        std::uint8_t* p = bytes + (std::size_t(y) * 13 + x) * 4;
        for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(random());
      }
    std::vector<std::uint8_t> before(bytes, bytes + 13 * 7 * 4);
    {
      Graphics g(surface.dc);
      fillRect(g, 0x80FF0000, 1, 1, 2, 2);   // over zeros
      fillRect(g, 0xFF00FF00, 11, 5, 1, 1);  // the region grows over paint
    }
    EXPECT_EQ(surface.word(1, 1), 0x80FF0000u);
    EXPECT_EQ(surface.word(11, 5), 0xFF00FF00u);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 13; ++x) {
        if ((x >= 1 && x < 3 && y >= 1 && y < 3) || (x == 11 && y == 5)) continue;
        const int memoryRow = topDown ? y : 6 - y;
        ASSERT_EQ(std::memcmp(surface.at(x, y), before.data() + (std::size_t(memoryRow) * 13 + x) * 4, 4), 0)
            << x << "," << y << " top-down " << topDown;
      }
  }
}

}  // namespace

namespace {

// The scans that find pixels to convert, with and without AVX2, on rows wide
// enough for its 32-pixel steps: one pixel set anywhere in a row is found,
// before drawing (not zero: premultiply it) and after (translucent:
// unpremultiply it), and nothing else changes.
TEST(PixelConversion, ScansFindOnePixelAnywhereInAWideRow) {
  constexpr int kWidth = 100, kHeight = 3;
  const struct {
    std::uint32_t pixel;
    bool beforeDrawing;
  } cases[] = {{0x80402010, true}, {0x00000001, true}, {0x80402010, false}, {0x01010101, false}};
  for (const bool avx2 : {true, false}) {
    allowAvx2Scans(avx2);
    for (const auto& c : cases)
      for (int x : {0, 5, 31, 32, 63, 64, 95, 96, 99}) {
        SCOPED_TRACE(::testing::Message() << "avx2 " << avx2 << " pixel " << std::hex << c.pixel << std::dec << " at "
                                          << x << (c.beforeDrawing ? " before" : " after"));
        PixelStore store(kWidth, kHeight, true);
        std::memset(store.bits(), 0, std::size_t(kWidth) * kHeight * 4);
        auto* word = reinterpret_cast<std::uint32_t*>(store.row(1)) + x;
        if (c.beforeDrawing) *word = c.pixel;
        store.openSession();
        store.prepare(store.bounds());
        if (c.beforeDrawing) {
          EXPECT_EQ(*word, premultiplyPixel(c.pixel));
        }
        *word = c.beforeDrawing ? premultiplyPixel(c.pixel) : c.pixel;
        store.closeSession();
        EXPECT_EQ(*word, c.beforeDrawing ? c.pixel : unpremultiplyPixel(c.pixel));
        *word = 0;
        for (int y = 0; y < kHeight; ++y)
          for (int i = 0; i < kWidth; ++i) ASSERT_EQ(reinterpret_cast<std::uint32_t*>(store.row(y))[i], 0u);
      }
  }
  allowAvx2Scans(true);
}

}  // namespace
