// Device contexts, DIB sections, selection, clipping and GDI's own lines and
// ellipses.
#include <climits>

#include "horaz_platform/status.h"
#include "platform_test_support.h"

using namespace platform_test;

namespace {

struct HeaderCase {
  const char* name;
  int width, height;
  WORD bitCount;
  DWORD compression;
  DWORD redMask;
  bool succeeds;
};

class DibSectionFormats : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(DibSectionFormats, AcceptsOnlySane32BitLayouts) {
  const HeaderCase& c = GetParam();
  BITMAPV5HEADER header = bgraHeader(1, 1, true);
  header.bV5Width = c.width;
  header.bV5Height = c.height;
  header.bV5BitCount = c.bitCount;
  header.bV5Compression = c.compression;
  header.bV5RedMask = c.redMask;
  void* bits = reinterpret_cast<void*>(1);
  HBITMAP bitmap =
      CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  EXPECT_EQ(bitmap != nullptr, c.succeeds);
  EXPECT_EQ(bits != nullptr, c.succeeds);
  if (bitmap) {
    const auto* bytes = static_cast<const std::uint8_t*>(bits);
    const std::size_t size = std::size_t(c.width) * std::size_t(c.height < 0 ? -c.height : c.height) * 4;
    for (std::size_t i = 0; i < size; ++i) ASSERT_EQ(bytes[i], 0) << "memory starts zeroed";
    EXPECT_TRUE(DeleteObject(bitmap));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DibSectionFormats,
    ::testing::Values(HeaderCase{"TopDown", 4, -3, 32, BI_BITFIELDS, 0x00FF0000, true},
                      HeaderCase{"BottomUp", 4, 3, 32, BI_BITFIELDS, 0x00FF0000, true},
                      HeaderCase{"PlainRgb", 5, 2, 32, BI_RGB, 0, true},
                      HeaderCase{"ZeroWidth", 0, 3, 32, BI_BITFIELDS, 0x00FF0000, false},
                      HeaderCase{"ZeroHeight", 4, 0, 32, BI_BITFIELDS, 0x00FF0000, false},
                      HeaderCase{"NegativeWidth", -4, 3, 32, BI_BITFIELDS, 0x00FF0000, false},
                      HeaderCase{"MinimumHeight", 4, INT_MIN, 32, BI_BITFIELDS, 0x00FF0000, false},
                      HeaderCase{"OverflowingSize", 65536, 65536, 32, BI_BITFIELDS, 0x00FF0000, false},
                      HeaderCase{"JustAbove2GiB", 32768, 16384, 32, BI_BITFIELDS, 0x00FF0000, false},
                      HeaderCase{"TwentyFourBit", 4, 3, 24, BI_RGB, 0, false},
                      HeaderCase{"SwappedMasks", 4, 3, 32, BI_BITFIELDS, 0x000000FF, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DibSection, FortyByteHeaderTakesMasksAfterIt) {
  struct {
    BITMAPINFOHEADER header;
    DWORD masks[3];
  } info{{sizeof(BITMAPINFOHEADER), 2, -2, 1, 32, BI_BITFIELDS, 16, 0, 0, 0, 0}, {0xFF0000, 0xFF00, 0xFF}};
  void* bits = nullptr;
  HBITMAP bitmap =
      CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  DeleteObject(bitmap);
}

TEST(DibSection, RowOrderFollowsTheHeightSign) {
  GdiplusSession session;
  for (bool topDown : {true, false}) {
    Surface surface(4, 3, topDown);
    {
      Graphics g(surface.dc);
      fillRect(g, 0xFF102030, 0, 0, 4, 1);  // the picture's top row
    }
    const auto* memory = static_cast<const std::uint8_t*>(surface.bits);
    const std::size_t topRowInMemory = topDown ? 0 : 2;
    EXPECT_EQ(memory[topRowInMemory * 16 + 3], 255) << "top-down " << topDown;
    EXPECT_EQ(memory[(2 - topRowInMemory) * 16 + 3], 0) << "top-down " << topDown;
    EXPECT_EQ(memory[topRowInMemory * 16 + 0], 0x30);
    EXPECT_EQ(memory[topRowInMemory * 16 + 2], 0x10);
  }
}

TEST(DeviceContext, SelectionHandsBackWhatItReplaced) {
  HDC display = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(CreateDCW(u"PRINTER", nullptr, nullptr, nullptr), nullptr);
  HDC dc = CreateCompatibleDC(display);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetObjectType(dc), DWORD(OBJ_MEMDC));
  EXPECT_EQ(GetObjectType(display), DWORD(OBJ_DC));

  const BITMAPV5HEADER header = bgraHeader(2, 2, true);
  void* bits = nullptr;
  HBITMAP bitmap =
      CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ placeholder = SelectObject(dc, bitmap);
  ASSERT_NE(placeholder, nullptr);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), HGDIOBJ(bitmap));
  EXPECT_EQ(SelectObject(display, bitmap), nullptr) << "a display context takes no bitmap";
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, bitmap), nullptr) << "a bitmap lives in one context at a time";
  EXPECT_FALSE(DeleteObject(bitmap)) << "still selected";

  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, oldPen), HGDIOBJ(pen));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH))) << "stock objects are never freed";

  EXPECT_EQ(SelectObject(dc, placeholder), HGDIOBJ(bitmap));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_TRUE(DeleteDC(display));
  EXPECT_FALSE(DeleteDC(dc)) << "stale handles are refused";
  EXPECT_EQ(horaz::platform::liveGdiObjects().total(), 0);
}

TEST(DeviceContext, ClipBoxFollowsOriginAndIntersections) {
  Surface surface(20, 10);
  RECT box{};
  EXPECT_EQ(GetClipBox(surface.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 20);
  EXPECT_EQ(IntersectClipRect(surface.dc, 2, 3, 30, 8), SIMPLEREGION);
  SetViewportOrgEx(surface.dc, 5, 0, nullptr);
  EXPECT_EQ(IntersectClipRect(surface.dc, 0, 0, 10, 10), SIMPLEREGION);  // device 5..15
  GetClipBox(surface.dc, &box);
  EXPECT_EQ(box.left, 0);  // logical: device 5 - origin 5
  EXPECT_EQ(box.right, 10);
  EXPECT_EQ(box.top, 3);
  EXPECT_EQ(IntersectClipRect(surface.dc, 50, 50, 60, 60), NULLREGION);
  EXPECT_EQ(SelectClipRgn(surface.dc, nullptr), SIMPLEREGION);
  GetClipBox(surface.dc, &box);
  EXPECT_EQ(box.left, -5);
  EXPECT_EQ(box.right, 15);
}

TEST(GdiDrawing, LineLeavesOutItsEndPointAndRespectsTheClip) {
  Surface surface(10, 10);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  HGDIOBJ old = SelectObject(surface.dc, pen);
  POINT previous{};
  MoveToEx(surface.dc, 1, 5, nullptr);
  LineTo(surface.dc, 8, 5);
  MoveToEx(surface.dc, 4, 0, &previous);
  EXPECT_EQ(previous.x, 8);
  IntersectClipRect(surface.dc, 0, 0, 10, 3);
  LineTo(surface.dc, 4, 100000000);  // far beyond the bitmap: cut, not walked
  for (int x = 0; x < 10; ++x) {
    const bool lit = x >= 1 && x <= 7;
    EXPECT_EQ(surface.alpha(x, 5), lit ? 255 : 0) << x;
    if (lit) {
      EXPECT_EQ(surface.word(x, 5), 0xFF0000FFu) << "opaque blue";
    }
  }
  for (int y = 0; y < 10; ++y) EXPECT_EQ(surface.alpha(4, y), y < 3 ? 255 : (y == 5 ? 255 : 0)) << y;
  SelectObject(surface.dc, old);
  DeleteObject(pen);
}

TEST(GdiDrawing, EllipseOutlineUnderHollowBrushAndFilledOtherwise) {
  for (bool hollow : {true, false}) {
    Surface surface(30, 30);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
    HBRUSH fill = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ oldPen = SelectObject(surface.dc, pen);
    HGDIOBJ oldBrush = SelectObject(surface.dc, hollow ? GetStockObject(HOLLOW_BRUSH) : fill);
    Ellipse(surface.dc, 5, 5, 25, 15);
    // The outline touches all four sides of left..right-1, top..bottom-1.
    EXPECT_EQ(surface.word(5, 10), 0xFF00FF00u);
    EXPECT_EQ(surface.word(24, 10), 0xFF00FF00u);
    EXPECT_EQ(surface.word(15, 5), 0xFF00FF00u);
    EXPECT_EQ(surface.word(15, 14), 0xFF00FF00u);
    EXPECT_EQ(surface.alpha(25, 10), 0);
    EXPECT_EQ(surface.alpha(15, 15), 0);
    EXPECT_EQ(surface.word(15, 10), hollow ? 0u : 0xFFFF0000u);
    SelectObject(surface.dc, oldPen);
    SelectObject(surface.dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(fill);
  }
}

}  // namespace
