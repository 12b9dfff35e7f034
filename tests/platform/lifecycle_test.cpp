// Start-up counting, refusals while shut down, leaks and threads.
#include <atomic>
#include <thread>
#include <vector>

#include "horaz_platform/status.h"
#include "platform_test_support.h"

using namespace platform_test;
using horaz::platform::gdiplusStartupCount;
using horaz::platform::liveGdiObjects;
using horaz::platform::liveGdiplusObjects;

namespace {

TEST(GdiplusStartup, RefusesBadArgumentsAndCountsTokens) {
  ASSERT_EQ(gdiplusStartupCount(), 0);
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  EXPECT_EQ(GdiplusStartup(nullptr, &input, nullptr), InvalidParameter);
  EXPECT_EQ(GdiplusStartup(&token, nullptr, nullptr), InvalidParameter);
  GdiplusStartupInput wrongVersion;
  wrongVersion.GdiplusVersion = 7;
  EXPECT_EQ(GdiplusStartup(&token, &wrongVersion, nullptr), UnsupportedGdiplusVersion);
  EXPECT_EQ(gdiplusStartupCount(), 0);

  ULONG_PTR first = 0, second = 0;
  GdiplusStartupOutput hooks{};
  ASSERT_EQ(GdiplusStartup(&first, &input, &hooks), Ok);
  EXPECT_NE(hooks.NotificationHook, nullptr);
  ASSERT_EQ(GdiplusStartup(&second, &input, nullptr), Ok);
  EXPECT_NE(first, second);
  EXPECT_EQ(gdiplusStartupCount(), 2);
  GdiplusShutdown(first);
  GdiplusShutdown(first);  // a used token does nothing
  EXPECT_EQ(gdiplusStartupCount(), 1);
  GdiplusShutdown(second);
  EXPECT_EQ(gdiplusStartupCount(), 0);
}

TEST(GdiplusStartup, CallsWhileShutDownAreRefused) {
  ASSERT_EQ(gdiplusStartupCount(), 0);
  Surface surface(4, 4);
  GpGraphics* graphics = nullptr;
  GpSolidFill* brush = nullptr;
  GpPen* pen = nullptr;
  GpFontFamily* family = nullptr;
  GpStringFormat* format = nullptr;
  EXPECT_EQ(GdipCreateFromHDC(surface.dc, &graphics), GdiplusNotInitialized);
  EXPECT_EQ(GdipCreateSolidFill(0xFFFFFFFF, &brush), GdiplusNotInitialized);
  EXPECT_EQ(GdipCreatePen1(0xFFFFFFFF, 1, UnitWorld, &pen), GdiplusNotInitialized);
  EXPECT_EQ(GdipCreateFontFamilyFromName(u"Arial", nullptr, &family), GdiplusNotInitialized);
  EXPECT_EQ(GdipGetGenericFontFamilySansSerif(&family), GdiplusNotInitialized);
  EXPECT_EQ(GdipCreateStringFormat(0, 0, &format), GdiplusNotInitialized);
  EXPECT_EQ(graphics, nullptr);
  EXPECT_EQ(brush, nullptr);
}

// What one render does: start, draw a clock's worth of shapes and text on a
// frame-sized surface, release everything, shut down.
void renderOnce(int width, int height) {
  GdiplusSession session;
  ASSERT_EQ(session.status, Ok);
  Surface surface(width, height);
  Graphics g(surface.dc);
  fillRect(g, 0x80FF0000, width / 2 - 50, height / 2 - 50, 100, 100, true);
  for (int i = 0; i < 12; ++i) fillRect(g, 0xFFFFFFFF, width / 2 + i, height / 2 - 40, 3, 3);
  GpFontFamily* family = nullptr;
  if (GdipCreateFontFamilyFromName(u"Arial", nullptr, &family) != Ok) GdipGetGenericFontFamilySansSerif(&family);
  GpFont* font = nullptr;
  GdipCreateFont(family, 20, FontStyleBold, UnitPoint, &font);
  GpSolidFill* brush = nullptr;
  GdipCreateSolidFill(0xFFFFFFFF, &brush);
  const GpRectF layout{float(width / 2), float(height / 2), 0, 0};
  GdipDrawString(g, u"12:34:56", -1, font, &layout, nullptr, brush);
  GdipDeleteBrush(brush);
  GdipDeleteFont(font);
  GdipDeleteFontFamily(family);
  g.close();
  EXPECT_EQ(surface.alpha(width / 2, height / 2 - 40), 255);
  EXPECT_EQ(surface.alpha(width / 2 - 45, height / 2), 128);
  EXPECT_EQ(surface.alpha(0, 0), 0);
}

TEST(GdiplusStartup, ManyThreadsRenderAndShutDownTogether) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 20; ++i) renderOnce(320 + t, 240 + i);
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(gdiplusStartupCount(), 0);
  EXPECT_EQ(liveGdiplusObjects().total(), 0);
  EXPECT_EQ(liveGdiObjects().total(), 0);
}

TEST(LiveObjects, EveryKindCountsUntilDeleted) {
  GdiplusSession session;
  const auto gdiBefore = liveGdiObjects();
  {
    Surface surface(8, 8);
    EXPECT_EQ(liveGdiObjects().deviceContexts, gdiBefore.deviceContexts + 1);
    EXPECT_EQ(liveGdiObjects().bitmaps, gdiBefore.bitmaps + 1);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    HBRUSH brush = CreateSolidBrush(0);
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    EXPECT_EQ(liveGdiObjects().total(), gdiBefore.total() + 5);
    GetStockObject(BLACK_BRUSH);
    EXPECT_EQ(liveGdiObjects().total(), gdiBefore.total() + 5) << "stock objects do not count";
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteObject(region);

    GpGraphics* graphics = nullptr;
    GpSolidFill* fill = nullptr;
    GpPen* gpPen = nullptr;
    GpFontFamily* family = nullptr;
    GpFontFamily* generic = nullptr;
    GpFont* font = nullptr;
    GpStringFormat* format = nullptr;
    GdipCreateFromHDC(surface.dc, &graphics);
    GdipCreateSolidFill(0, &fill);
    GdipCreatePen1(0, 1, UnitWorld, &gpPen);
    GdipCreateFontFamilyFromName(u"Arial", nullptr, &family);
    GdipGetGenericFontFamilySansSerif(&generic);
    GdipCreateFont(family, 10, 0, UnitPoint, &font);
    GdipCreateStringFormat(0, 0, &format);
    const auto live = liveGdiplusObjects();
    EXPECT_EQ(live.graphics, 1);
    EXPECT_EQ(live.brushes, 1);
    EXPECT_EQ(live.pens, 1);
    EXPECT_EQ(live.fontFamilies, 1) << "the generic family is shared and not counted";
    EXPECT_EQ(live.fonts, 1);
    EXPECT_EQ(live.stringFormats, 1);
    GdipDeleteStringFormat(format);
    GdipDeleteFont(font);
    GdipDeleteFontFamily(generic);
    GdipDeleteFontFamily(family);
    GdipDeletePen(gpPen);
    GdipDeleteBrush(fill);
    GdipDeleteGraphics(graphics);
    EXPECT_EQ(GdipDeleteGraphics(nullptr), InvalidParameter);
  }
  EXPECT_EQ(liveGdiplusObjects().total(), 0);
  EXPECT_EQ(liveGdiObjects().total(), gdiBefore.total());
}

}  // namespace
