// What a painter's drawing leaves in the surface, through the same drawing
// object the painters get: straight colour, opacity in byte 3, 0 where
// nothing was drawn, rows in the surface's order. Runs against the platform's
// own GDI+ on Windows too.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "paint/draw_surface.h"
#include "paint/gdiplus_objects.h"
#include "paint/gdiplus_session.h"

namespace horaz {
namespace {

constexpr int32_t kWidth = 8;
constexpr int32_t kHeight = 4;

using Pixel = std::array<int, 4>;  // blue, green, red, alpha

Pixel pixelAt(const DrawSurface& surface, bool topDown, int32_t x, int32_t pictureRow) {
  const int32_t memoryRow = topDown ? pictureRow : kHeight - 1 - pictureRow;
  const uint8_t* p = surface.bits() + (memoryRow * kWidth + x) * 4;
  return {p[0], p[1], p[2], p[3]};
}

void expectNear(const Pixel& actual, const Pixel& expected, int tolerance, const char* what) {
  for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << what << ", byte " << i;
}

TEST(SurfaceAlpha, DrawnPixelsAreStraightAndUntouchedOnesTransparent) {
  for (const bool topDown : {true, false}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    GdiplusSession session;
    DrawSurface surface;
    HDC dc = surface.create(kWidth, kHeight, 32, topDown);
    ASSERT_NE(dc, nullptr);
    {
      const GdiplusGraphics graphics = makeGraphics(dc);
      ASSERT_TRUE(graphics);
      const GdiplusBrush opaqueGreen = makeSolidBrush(0xFF00FF00);
      const GdiplusBrush halfRed = makeSolidBrush(0x80FF0000);
      GdipFillRectangleI(graphics.get(), opaqueGreen.get(), 0, 0, 2, 1);  // the picture's top row
      GdipFillRectangleI(graphics.get(), halfRed.get(), 4, 2, 2, 2);
    }
    expectNear(pixelAt(surface, topDown, 0, 0), {0, 255, 0, 255}, 0, "opaque fill");
    expectNear(pixelAt(surface, topDown, 1, 0), {0, 255, 0, 255}, 0, "opaque fill");
    // 0x80 of 255 kept as the opacity, the colour not multiplied by it.
    expectNear(pixelAt(surface, topDown, 4, 3), {0, 0, 255, 128}, 1, "half-transparent fill");
    expectNear(pixelAt(surface, topDown, 0, 1), {0, 0, 0, 0}, 0, "untouched, below the fill");
    expectNear(pixelAt(surface, topDown, 7, 3), {0, 0, 0, 0}, 0, "untouched corner");
    session.shutdown();
  }
}

}  // namespace
}  // namespace horaz
