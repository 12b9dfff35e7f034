// GDI+ shapes as pixels: exact integer rectangles, smooth edges, straight
// alpha, source-over blending, clipping and untouched pixels.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform_test_support.h"

using namespace platform_test;

namespace {

class GdiplusPixels : public ::testing::Test {
 protected:
  GdiplusSession session;
};

TEST_F(GdiplusPixels, IntegerRectangleFillsExactlyItsPixels) {
  for (SmoothingMode mode : {SmoothingModeHighQuality, SmoothingModeNone}) {
    Surface surface(16, 12);
    {
      Graphics g(surface.dc, mode);
      ASSERT_EQ(fillRect(g, 0xFF336699, 3, 2, 7, 5), Ok);
    }
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x) {
        const bool inside = x >= 3 && x < 10 && y >= 2 && y < 7;
        ASSERT_EQ(surface.word(x, y), inside ? 0xFF336699u : 0u) << x << "," << y << " mode " << mode;
      }
  }
}

TEST_F(GdiplusPixels, SmoothEllipseHasPartialAlphaOnlyOnItsEdge) {
  Surface surface(64, 64);
  {
    Graphics g(surface.dc);
    fillRect(g, 0xFFFFFFFF, 8, 8, 48, 40, true);
  }
  int partial = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      // Normalised distance of the pixel centre from the ellipse's centre.
      const double dx = (x + 0.5 - 32.0) / 24.0, dy = (y + 0.5 - 28.0) / 20.0;
      const double d = std::sqrt(dx * dx + dy * dy);
      const int a = surface.alpha(x, y);
      if (d < 0.93) {
        ASSERT_EQ(a, 255) << x << "," << y;
      } else if (d > 1.07) {
        ASSERT_EQ(a, 0) << x << "," << y;
      } else {
        partial += a > 0 && a < 255;
      }
      if (a > 0) {
        ASSERT_EQ(surface.at(x, y)[0], 255) << "straight colour at the edge too";
      }
    }
  EXPECT_GT(partial, 40);
}

TEST_F(GdiplusPixels, AliasedEllipseHasNoPartialAlpha) {
  Surface surface(40, 40);
  {
    Graphics g(surface.dc, SmoothingModeDefault);
    fillRect(g, 0xFFFFFFFF, 4, 4, 30, 20, true);
  }
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_TRUE(surface.alpha(x, y) == 0 || surface.alpha(x, y) == 255);
  EXPECT_GT(surface.countDrawn(), 300);
}

struct BlendCase {
  const char* name;
  ARGB under;  // 0: nothing under
  ARGB over;
  std::uint8_t b, g, r, a;  // expected bytes
  int tolerance;
};

class SourceOver : public GdiplusPixels, public ::testing::WithParamInterface<BlendCase> {};

TEST_P(SourceOver, BlendsStraightColourByAlpha) {
  const BlendCase& c = GetParam();
  Surface surface(4, 4);
  if (c.under) {
    Graphics g(surface.dc);
    fillRect(g, c.under, 0, 0, 4, 4);
  }
  {
    Graphics g(surface.dc);
    fillRect(g, c.over, 1, 1, 2, 2);
  }
  const std::uint8_t* p = surface.at(1, 1);
  const std::uint8_t expected[4] = {c.b, c.g, c.r, c.a};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(p[i], expected[i], c.tolerance) << "byte " << i;
  EXPECT_EQ(surface.word(0, 0), c.under) << "pixels outside the fill keep their bytes";
}

INSTANTIATE_TEST_SUITE_P(
    Blends, SourceOver,
    ::testing::Values(BlendCase{"HalfRedOverNothing", 0, 0x80FF0000, 0, 0, 255, 128, 0},
                      BlendCase{"QuarterGreenOverNothing", 0, 0x4000FF00, 0, 255, 0, 64, 0},
                      BlendCase{"HalfRedOverOpaqueBlue", 0xFF0000FF, 0x80FF0000, 127, 0, 128, 255, 1},
                      BlendCase{"OpaqueOverHalf", 0x80FF0000, 0xFF00FF00, 0, 255, 0, 255, 0},
                      BlendCase{"HalfOverHalf", 0x80FF0000, 0x800000FF, 170, 0, 85, 192, 2},
                      BlendCase{"TransparentPaint", 0xFF204060, 0x00FFFFFF, 0x60, 0x40, 0x20, 255, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiplusPixels, FaintPaintThatNothingTouchesSurvivesExactly) {
  Surface surface(8, 8);
  std::uint8_t* bytes = static_cast<std::uint8_t*>(surface.bits);
  for (int i = 0; i < 8 * 8 * 4; ++i) bytes[i] = static_cast<std::uint8_t>((i * 37 + 11) & 0xFF);
  std::vector<std::uint8_t> before(bytes, bytes + 8 * 8 * 4);
  {
    Graphics g(surface.dc);
    fillRect(g, 0xFF000000, 2, 2, 1, 1);
    fillRect(g, 0xFF000000, 5, 5, 1, 1);  // the prepared area spans 1..6 now
  }
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      if ((x == 2 && y == 2) || (x == 5 && y == 5)) continue;
      ASSERT_EQ(std::memcmp(surface.at(x, y), before.data() + (y * 8 + x) * 4, 4), 0) << x << "," << y;
    }
}

struct ClipCase {
  const char* name;
  int originX, originY;
  RECT clip;  // logical; right 0: no clip
  int x, y, w, h;
  RECT expected;  // drawn pixels (picture coordinates), right 0: none
};

class Clipping : public GdiplusPixels, public ::testing::WithParamInterface<ClipCase> {};

TEST_P(Clipping, NothingLandsOutsideTheBitmapOrClip) {
  const ClipCase& c = GetParam();
  Surface surface(20, 20);
  SetViewportOrgEx(surface.dc, c.originX, c.originY, nullptr);
  if (c.clip.right) IntersectClipRect(surface.dc, c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
  {
    Graphics g(surface.dc);
    fillRect(g, 0xFFFFFFFF, c.x, c.y, c.w, c.h);
    fillRect(g, 0xFFFFFFFF, c.x, c.y, c.w, c.h, true);
  }
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool inside = x >= c.expected.left && x < c.expected.right && y >= c.expected.top && y < c.expected.bottom;
      if (!inside) {
        ASSERT_EQ(surface.alpha(x, y), 0) << x << "," << y;
      }
    }
  if (c.expected.right) {
    EXPECT_EQ(surface.alpha(c.expected.left, c.expected.top), 255);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Clipping,
    ::testing::Values(ClipCase{"HangingOffEverySide", 0, 0, {0, 0, 0, 0}, -50, -50, 200, 200, {0, 0, 20, 20}},
                      ClipCase{"EntirelyOutside", 0, 0, {0, 0, 0, 0}, 25, 3, 10, 10, {0, 0, 0, 0}},
                      ClipCase{"ClipRectangle", 0, 0, {4, 5, 9, 12}, 0, 0, 20, 20, {4, 5, 9, 12}},
                      ClipCase{"OriginShiftsDrawing", 10, 10, {0, 0, 0, 0}, 0, 0, 5, 5, {10, 10, 15, 15}},
                      ClipCase{"OriginShiftsClip", 3, 0, {0, 0, 4, 4}, -10, -10, 40, 40, {3, 0, 7, 4}},
                      ClipCase{"HugeCoordinates", 0, 0, {0, 0, 0, 0}, -2000000000, 5, 2100000000, 3, {0, 5, 20, 8}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiplusPixels, PolygonFillAndClosedOutline) {
  Surface surface(40, 40);
  const GpPointF square[] = {{10, 10}, {30, 10}, {30, 30}, {10, 30}};
  {
    Graphics g(surface.dc);
    GpSolidFill* brush = nullptr;
    GdipCreateSolidFill(0xFFFF0000, &brush);
    EXPECT_EQ(GdipFillPolygon(g, brush, square, 4, FillModeAlternate), Ok);
    GpPen* pen = nullptr;
    ASSERT_EQ(GdipCreatePen1(0xFF0000FF, 2.0f, UnitWorld, &pen), Ok);
    EXPECT_EQ(GdipDrawPolygon(g, pen, square, 4), Ok);
    EXPECT_EQ(GdipFillPolygon(g, brush, square, 0, FillModeAlternate), InvalidParameter);
    GdipDeletePen(pen);
    GdipDeleteBrush(brush);
  }
  EXPECT_EQ(surface.word(20, 20), 0xFFFF0000u) << "filled inside";
  // A 2-pixel pen centred on the edge at x = 10 covers columns 9 and 10 on
  // every side, closing edge included.
  for (int y : {12, 20, 28}) {
    EXPECT_EQ(surface.word(9, y), 0xFF0000FFu) << y;
    EXPECT_EQ(surface.word(30, y), 0xFF0000FFu) << y;
    EXPECT_EQ(surface.alpha(8, y), 0);
  }
  EXPECT_EQ(surface.word(20, 9), 0xFF0000FFu);
  EXPECT_EQ(surface.word(20, 30), 0xFF0000FFu);
}

TEST_F(GdiplusPixels, GraphicsOnADisplayContextDrawsNothingButWorks) {
  HDC display = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
  {
    Graphics g(display);
    ASSERT_EQ(g.status, Ok);
    EXPECT_EQ(fillRect(g, 0xFFFFFFFF, 0, 0, 10, 10), Ok);
  }
  DeleteDC(display);
}

}  // namespace

// A rectangle whose edges fall on whole pixels may be written without
// cairo; it must give the bytes cairo gives the same rectangle traced as a
// polygon, over faint paint (saved and restored around the drawing), moved
// by an origin, cut by a clip or the bitmap, in either row order.
struct WholePixelCase {
  const char* name;
  int originX, originY;
  RECT clip;  // logical; right 0: no clip
  float x, y, w, h;
  bool topDown;
};

class WholePixelRectangles : public GdiplusPixels, public ::testing::WithParamInterface<WholePixelCase> {};

// Over faint paint on the whole bitmap, and over faint paint in one block,
// the rest cleared as a render leaves it: the block lies under some of the
// rectangles and reaches past the edges of others, so both an unseen and a
// seen leftover under the rectangle's edge are met. A translucent line drawn
// afterwards converts whatever the rectangle left unchecked.
TEST_P(WholePixelRectangles, GiveWhatTheSameShapeAsAPolygonGives) {
  const WholePixelCase& c = GetParam();
  auto draw = [&](bool asPolygon, bool paintEverywhere) {
    Surface surface(24, 18, c.topDown);
    auto* bytes = static_cast<std::uint8_t*>(surface.bits);
    for (int i = 0; i < 24 * 18 * 4; ++i) {
      const int x = i / 4 % 24, y = i / 4 / 24;
      const bool painted = paintEverywhere || (x >= 2 && x < 10 && y >= 1 && y < 8);
      bytes[i] = static_cast<std::uint8_t>(painted && i % 7 == 0 ? (i * 29) & 0x3F : 0);
    }
    SetViewportOrgEx(surface.dc, c.originX, c.originY, nullptr);
    if (c.clip.right) IntersectClipRect(surface.dc, c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
    {
      Graphics g(surface.dc);
      GpSolidFill* brush = nullptr;
      GdipCreateSolidFill(0xFF2080C0, &brush);
      const GpPointF corners[] = {{c.x, c.y}, {c.x + c.w, c.y}, {c.x + c.w, c.y + c.h}, {c.x, c.y + c.h}};
      EXPECT_EQ(asPolygon ? GdipFillPolygon(g, brush, corners, 4, FillModeAlternate)
                          : GdipFillRectangle(g, brush, c.x, c.y, c.w, c.h),
                Ok);
      GdipDeleteBrush(brush);
      GpPen* pen = nullptr;
      GdipCreatePen1(0x80FF4000, 2.0f, UnitPixel, &pen);
      EXPECT_EQ(GdipDrawLine(g, pen, 0.0f, 0.0f, 23.0f, 17.0f), Ok);
      GdipDeletePen(pen);
    }
    return std::vector<std::uint8_t>(bytes, bytes + 24 * 18 * 4);
  };
  for (const bool everywhere : {true, false})
    EXPECT_EQ(draw(false, everywhere), draw(true, everywhere))
        << (everywhere ? "paint everywhere" : "paint in a block");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WholePixelRectangles,
    ::testing::Values(WholePixelCase{"Inside", 0, 0, {0, 0, 0, 0}, 3, 2, 9, 6, true},
                      WholePixelCase{"BottomUp", 0, 0, {0, 0, 0, 0}, 3, 2, 9, 6, false},
                      WholePixelCase{"HangingOffTheBitmap", 0, 0, {0, 0, 0, 0}, -4, 10, 40, 30, true},
                      WholePixelCase{"MovedByTheOrigin", 5, -3, {0, 0, 0, 0}, 1, 4, 6, 8, false},
                      WholePixelCase{"CutByAClip", 2, 1, {4, 3, 11, 9}, 0, 0, 20, 20, true},
                      WholePixelCase{"HalfPixelEdges", 0, 0, {0, 0, 0, 0}, 2.5f, 3, 6, 4.5f, true}),
    [](const auto& info) { return std::string(info.param.name); });
