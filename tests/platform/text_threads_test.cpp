// Text drawn on several threads at once in more faces than cairo keeps open
// (it closes the least needed FreeType face once ten are open). A face
// closed by one thread while another was drawing with it crashed the soak
// test about once in ten runs of 20,000 frames; the font catalog now keeps
// the faces it hands out open for as long as it lives.
#include <gtest/gtest.h>

#include <gdiplusflat.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform_test_support.h"

namespace {

constexpr const char16_t* kFamilies[] = {u"DejaVu Sans",     u"DejaVu Serif",     u"DejaVu Sans Mono",
                                         u"Liberation Sans", u"Liberation Serif", u"Liberation Mono"};
constexpr int kThreads = 4;
constexpr int kRoundsPerThread = 3000;

// One thread's share: its own surface, a new font for every string.
int drawText(int thread) {
  platform_test::GdiplusSession session;
  platform_test::Surface surface(160, 48);
  GpGraphics* graphics = nullptr;
  if (GdipCreateFromHDC(surface.dc, &graphics) != Ok) return 0;
  GpSolidFill* brush = nullptr;
  GdipCreateSolidFill(0xFFFFFFFF, &brush);
  int drawn = 0;
  for (int round = 0; round < kRoundsPerThread; ++round) {
    const int pick = thread * 7 + round;
    GpFontFamily* family = nullptr;
    if (GdipCreateFontFamilyFromName(kFamilies[pick % std::size(kFamilies)], nullptr, &family) != Ok) continue;
    GpFont* font = nullptr;
    // Styles 0 to 3 (regular, bold, italic, bold italic) and a few sizes.
    if (GdipCreateFont(family, 8.0f + static_cast<float>(pick % 23), (pick / 6) % 4, UnitPoint, &font) == Ok) {
      const std::u16string text = u"12:34:56." + std::u16string(1, char16_t(u'0' + pick % 10)) + u" AM";
      const GpRectF box{0.0f, 0.0f, 160.0f, 48.0f};
      drawn += GdipDrawString(graphics, text.c_str(), -1, font, &box, nullptr, brush) == Ok;
      GdipDeleteFont(font);
    }
    GdipDeleteFontFamily(family);
  }
  GdipDeleteBrush(brush);
  GdipDeleteGraphics(graphics);
  return drawn;
}

TEST(TextOnThreads, ManyFacesOnFourThreadsAtOnce) {
  std::atomic<int> drawn{0};
  std::vector<std::thread> threads;
  for (int thread = 0; thread < kThreads; ++thread) threads.emplace_back([&, thread] { drawn += drawText(thread); });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(drawn.load(), kThreads * kRoundsPerThread);
}

}  // namespace
