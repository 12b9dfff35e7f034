// The overlay draws its marker with GDI's Ellipse at viewer points that reach
// the 16-bit limits when the clock is far off the frame or very large. An
// ellipse box tens of thousands of pixels across used to be walked pixel by
// pixel (about 4 * 10^9 pen pixels for the full 16-bit box): the viewer hung.
// Now only what can reach the bitmap is walked, and the pixels stay exactly
// those of the same ellipse drawn on a bitmap large enough to hold it.
#include <gtest/gtest.h>

#include <wingdi.h>

#include <cstring>

#include "platform_test_support.h"

namespace {

using platform_test::Surface;

struct Tools {
  int penWidth;
  bool hollow;
};

void drawEllipse(Surface& surface, const Tools& tools, int left, int top, int right, int bottom) {
  HPEN pen = CreatePen(PS_SOLID, tools.penWidth, RGB(0, 255, 0));
  HBRUSH brush = tools.hollow ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)) : CreateSolidBrush(RGB(0, 0, 255));
  HGDIOBJ oldPen = SelectObject(surface.dc, pen);
  HGDIOBJ oldBrush = SelectObject(surface.dc, brush);
  EXPECT_TRUE(Ellipse(surface.dc, left, top, right, bottom));
  SelectObject(surface.dc, oldPen);
  SelectObject(surface.dc, oldBrush);
  DeleteObject(pen);
  if (!tools.hollow) DeleteObject(brush);
}

TEST(EllipseExtremes, TheFullSixteenBitBoxAroundASmallBitmapIsDrawnAtOnce) {
  Surface viewer(320, 240);
  for (const Tools tools : {Tools{1, true}, Tools{1, false}, Tools{5, false}}) {
    drawEllipse(viewer, tools, -32768, -32768, 32767, 32767);
    drawEllipse(viewer, tools, -32768, 120, 32767, 121);
    drawEllipse(viewer, tools, 160, -32768, 161, 32767);
  }
}

TEST(EllipseExtremes, ABoxLargerThanTheBitmapDrawsWhatTheLargeBitmapShows) {
  constexpr int kOffsetX = 400, kOffsetY = 300;
  struct Box {
    int left, top, right, bottom;
  };
  int drawnInAll = 0;
  for (const Box box : {Box{-300, -200, 420, 290}, Box{-350, 40, 60, 500}, Box{20, -250, 100, 50}}) {
    for (const Tools tools : {Tools{1, true}, Tools{3, false}, Tools{1, false}}) {
      SCOPED_TRACE(testing::Message() << "box " << box.left << "," << box.top << "," << box.right << "," << box.bottom
                                      << " pen " << tools.penWidth << (tools.hollow ? " hollow" : ""));
      Surface small(120, 90);
      Surface large(1000, 800);
      // A new bitmap may hold a deleted one's pixels; start both from zero.
      std::memset(small.bits, 0, size_t{120} * 90 * 4);
      std::memset(large.bits, 0, size_t{1000} * 800 * 4);
      drawEllipse(small, tools, box.left, box.top, box.right, box.bottom);
      drawEllipse(large, tools, box.left + kOffsetX, box.top + kOffsetY, box.right + kOffsetX, box.bottom + kOffsetY);
      int differing = 0;
      for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x) differing += small.word(x, y) != large.word(x + kOffsetX, y + kOffsetY);
      EXPECT_EQ(differing, 0);
      drawnInAll += small.countDrawn();
    }
  }
  EXPECT_GT(drawnInAll, 1000) << "the boxes were meant to cross the small bitmap";
}

}  // namespace
