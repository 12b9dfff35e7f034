// The off-screen surface over the platform's device contexts and DIB
// sections: its header, its memory, its rows, and that it frees what it makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "effect/frame_blend.h"
#include "horaz_platform/status.h"
#include "host/counted_ref.h"
#include "paint/draw_surface.h"
#include "testhost/frame.h"

namespace horaz {
namespace {

int liveGdi() { return platform::liveGdiObjects().total(); }

bool allZero(const uint8_t* bytes, size_t count) {
  return std::all_of(bytes, bytes + count, [](uint8_t b) { return b == 0; });
}

TEST(DrawSurface, HeaderValues) {
  for (const bool topDown : {true, false}) {
    DrawSurface surface;
    ASSERT_NE(surface.create(4, 3, 32, topDown), nullptr);
    const BITMAPV5HEADER& h = surface.header();
    EXPECT_EQ(h.bV5Size, 124u);
    EXPECT_EQ(h.bV5Width, 4);
    EXPECT_EQ(h.bV5Height, topDown ? -3 : 3);
    EXPECT_EQ(h.bV5Planes, 1);
    EXPECT_EQ(h.bV5BitCount, 32);
    EXPECT_EQ(h.bV5Compression, static_cast<DWORD>(BI_BITFIELDS));
    EXPECT_EQ(h.bV5SizeImage, 48u);
    EXPECT_EQ(h.bV5RedMask, 0x00FF0000u);
    EXPECT_EQ(h.bV5GreenMask, 0x0000FF00u);
    EXPECT_EQ(h.bV5BlueMask, 0x000000FFu);
    EXPECT_EQ(h.bV5AlphaMask, 0xFF000000u);
    EXPECT_EQ(h.bV5CSType, static_cast<DWORD>(LCS_WINDOWS_COLOR_SPACE));
    EXPECT_EQ(h.bV5Intent, static_cast<DWORD>(LCS_GM_ABS_COLORIMETRIC));
    // Every other field is zero.
    BITMAPV5HEADER rest = h;
    rest.bV5Size = rest.bV5Planes = rest.bV5BitCount = 0;
    rest.bV5Width = rest.bV5Height = 0;
    rest.bV5Compression = rest.bV5SizeImage = rest.bV5RedMask = rest.bV5GreenMask = rest.bV5BlueMask =
        rest.bV5AlphaMask = rest.bV5CSType = rest.bV5Intent = 0;
    EXPECT_TRUE(allZero(reinterpret_cast<const uint8_t*>(&rest), sizeof rest));
  }
}

TEST(DrawSurface, CreationClearsEveryPixelAndSetsOriginAndClip) {
  DrawSurface surface;
  HDC dc = surface.create(5, 3, 32, true);
  ASSERT_NE(dc, nullptr);
  ASSERT_NE(surface.bits(), nullptr);
  EXPECT_TRUE(allZero(surface.bits(), 5 * 3 * 4));
  POINT origin{7, 7};
  ASSERT_TRUE(GetViewportOrgEx(dc, &origin));
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  RECT clip{};
  GetClipBox(dc, &clip);
  EXPECT_EQ(clip.left, 0);
  EXPECT_EQ(clip.top, 0);
  EXPECT_EQ(clip.right, 5);
  EXPECT_EQ(clip.bottom, 3);
  // A repeated create keeps the bitmap and clears it again.
  std::fill(surface.bits(), surface.bits() + 60, uint8_t{0xAB});
  EXPECT_EQ(surface.create(5, 3, 32, true), dc);
  EXPECT_TRUE(allZero(surface.bits(), 5 * 3 * 4));
}

TEST(DrawSurface, TopDownAndBottomUpRows) {
  // A line along the top of the picture lands in memory row 0 of a top-down
  // surface and in the last memory row of a bottom-up one.
  for (const bool topDown : {true, false}) {
    DrawSurface surface;
    HDC dc = surface.create(4, 3, 32, topDown);
    ASSERT_NE(dc, nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, -5, 0, nullptr);  // starts and ends beyond the surface
    LineTo(dc, 10, 0);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    const uint8_t* bits = surface.bits();
    const int topRow = topDown ? 0 : 2;
    for (int row = 0; row < 3; ++row) {
      const uint8_t* r = bits + row * 16;
      if (row == topRow) {
        for (int x = 0; x < 4; ++x) {
          EXPECT_EQ(r[x * 4 + 2], 255) << "red of x " << x;
          EXPECT_EQ(r[x * 4 + 3], 255) << "alpha of x " << x;
        }
      } else {
        EXPECT_TRUE(allZero(r, 16)) << "row " << row;
      }
    }
  }
}

TEST(DrawSurface, ReleaseFreesEverythingOnceAndIsSafeTwice) {
  const int baseline = liveGdi();
  {
    DrawSurface surface;
    ASSERT_NE(surface.create(8, 8, 32, true), nullptr);
    // The display and memory device contexts and the DIB section.
    EXPECT_EQ(liveGdi(), baseline + 3);
    surface.release();
    EXPECT_EQ(liveGdi(), baseline);
    EXPECT_EQ(surface.bits(), nullptr);
    surface.release();
    EXPECT_EQ(liveGdi(), baseline);
  }  // the destructor releases a third time
  EXPECT_EQ(liveGdi(), baseline);
  {
    DrawSurface surface;
    ASSERT_NE(surface.create(8, 8, 32, false), nullptr);
  }  // destroyed without an explicit release
  EXPECT_EQ(liveGdi(), baseline);
}

TEST(DrawSurface, FailedCreationGivesNoPixelsAndStillReleases) {
  struct Size {
    const char* what;
    int32_t width, height;
    uint16_t bitCount;
    bool topDown;
  };
  const Size sizes[] = {
      {"empty", 0, 0, 32, true},
      {"no rows", 16, 0, 32, false},
      {"huge", 100000, 100000, 32, true},
      {"overflowing 32 bits", 65536, 65536, 32, false},
      {"overflowing 64 bits in bytes", 2147483647, 2147483647, 32, true},
      {"just above 2^31 - 1 bytes", 32768, 16384, 32, true},
      {"negative height asked top-down", 4, -3, 32, true},
      {"negative width", -4, 3, 32, false},
      {"not 32 bits per pixel", 4, 3, 24, true},
  };
  const int baseline = liveGdi();
  for (const Size& s : sizes) {
    SCOPED_TRACE(s.what);
    DrawSurface surface;
    EXPECT_EQ(surface.create(s.width, s.height, s.bitCount, s.topDown), nullptr);
    EXPECT_EQ(surface.bits(), nullptr);
    surface.release();
    EXPECT_EQ(liveGdi(), baseline);
  }
}

// The render makes the surface top-down exactly when the frame's row order
// is 0. Then nothing painted leaves the frame as it was, and what is painted
// on the picture's top row lands on the frame's top row in either order.
TEST(DrawSurface, BlendsOntoFramesOfEitherRowOrder) {
  for (const bool bottomUp : {false, true}) {
    for (const bool paint : {false, true}) {
      SCOPED_TRACE(std::string(bottomUp ? "bottom-up" : "top-down") + (paint ? ", painted" : ", nothing painted"));
      auto ledger = std::make_shared<testhost::Ledger>();
      const testhost::FrameFormat format{testhost::PixelFormat::kBgra, false, bottomUp};
      auto input = CountedRef<testhost::HostFrame>::adopt(testhost::make<testhost::HostFrame>(ledger, 6, 4, format));
      auto output = CountedRef<testhost::HostFrame>::adopt(testhost::make<testhost::HostFrame>(ledger, 6, 4, format));
      for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x) input->setPixelRgb(x, y, {uint8_t(x * 40), uint8_t(y * 60), 7, 255});
      DrawSurface surface;
      HDC dc = surface.create(6, 4, 32, output->layout().GetRowOrder() == 0);
      ASSERT_NE(dc, nullptr);
      if (paint) {
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        MoveToEx(dc, 0, 0, nullptr);
        LineTo(dc, 6, 0);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
      }
      ASSERT_EQ(blendSurface(surface.bits(), 6, 4, *output.get(), *input.get(), output->layout(), 0, 1),
                BlendResult::kBlended);
      for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 6; ++x) {
          const testhost::Rgb expected = paint && y == 0 ? testhost::Rgb{0, 0, 255, 255} : input->pixelRgb(x, y);
          EXPECT_EQ(output->pixelRgb(x, y), expected) << "x " << x << " y " << y;
        }
      }
    }
  }
}

TEST(DrawSurface, FrameSizedSurfaceStartsClearEvenOnMemoryAnEarlierOneLeftPainted) {
  // The platform hands the memory of a deleted frame-sized bitmap to the next
  // one of the same size as it was left; the surface's own clear is what
  // makes every new surface transparent.
  constexpr int32_t kWidth = 1920, kHeight = 1080;
  constexpr size_t kBytes = size_t{kWidth} * kHeight * 4;
  for (int frame = 0; frame < 3; ++frame) {
    DrawSurface surface;
    ASSERT_NE(surface.create(kWidth, kHeight, 32, true), nullptr);
    ASSERT_TRUE(allZero(surface.bits(), kBytes)) << "frame " << frame;
    std::fill(surface.bits(), surface.bits() + kBytes, uint8_t{0xA5});
  }
}

}  // namespace
}  // namespace horaz
