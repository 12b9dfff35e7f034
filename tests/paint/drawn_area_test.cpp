// Clearing and reading only where a painter can reach: the surface clears
// just that area, every painter reports an area that holds all it draws, and
// drawing on a surface cleared that way gives the pixels of a wholly cleared
// one wherever they are read.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "effect/clock_drawing.h"
#include "paint/draw_surface.h"
#include "paint/gdiplus_session.h"
#include "paint/pixel_area.h"

namespace horaz {
namespace {

constexpr uint8_t kJunk = 0xA5;

std::string describe(const PixelArea& a) {
  return "[" + std::to_string(a.left) + "," + std::to_string(a.top) + " .. " + std::to_string(a.right) + "," +
         std::to_string(a.bottom) + ")";
}

TEST(PixelArea, GathersAndCutsRectangles) {
  struct Case {
    const char* name;
    PixelArea got;
    PixelArea expected;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {"fractions reach the pixels they touch", PixelArea::ofRectangle(1.5, 2.25, 3.0, 0.5), {1, 2, 5, 3}},
      {"negative sizes reach left and up", PixelArea::ofRectangle(10, 10, -4, -3), {6, 7, 10, 10}},
      {"a point is empty", PixelArea::ofRectangle(4, 4, 0, 0), {4, 4, 4, 4}},
      {"NaN anywhere is everything", PixelArea::ofRectangle(0, 0, nan, 1), PixelArea::everything()},
      {"infinity is everything", PixelArea::ofRectangle(-INFINITY, 0, 1, 1), PixelArea::everything()},
      {"beyond 2^40 is everything", PixelArea::ofRectangle(0, 0, 1e13, 1), PixelArea::everything()},
      {"join", PixelArea{0, 0, 2, 2}.joined({5, 1, 6, 9}), {0, 0, 6, 9}},
      {"an empty side adds nothing", PixelArea{3, 3, 4, 4}.joined({9, 9, 9, 12}), {3, 3, 4, 4}},
      {"widened", PixelArea{3, 3, 4, 4}.widened(3), {0, 0, 7, 7}},
      {"an empty area stays empty when widened", PixelArea{3, 3, 3, 4}.widened(3), {}},
      {"cut to the surface", PixelArea{-4, 2, 40, 30}.within(16, 9), {0, 2, 16, 9}},
      {"nothing of it on the surface", PixelArea{20, 2, 40, 30}.within(16, 9), {}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.name << ": " << describe(c.got);
}

// A 9 x 5 surface that was not cleared, with junk in every byte.
struct JunkSurface {
  static constexpr int32_t kWidth = 9;
  static constexpr int32_t kHeight = 5;
  DrawSurface surface;

  explicit JunkSurface(bool topDown) {
    EXPECT_NE(surface.create(kWidth, kHeight, 32, topDown, DrawSurface::Clearing::kWhereDrawn), nullptr);
    std::memset(surface.bits(), kJunk, kWidth * kHeight * 4);
  }
  uint8_t alphaAt(int32_t x, int32_t memoryRow) const { return surface.bits()[(memoryRow * kWidth + x) * 4 + 3]; }
  // True when exactly the pixels of `memoryArea` are 0 and all others junk.
  ::testing::AssertionResult clearedExactly(const PixelArea& memoryArea) const {
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        const uint8_t expected = memoryArea.contains(x, y) ? 0 : kJunk;
        if (alphaAt(x, y) != expected)
          return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << int{alphaAt(x, y)};
      }
    }
    return ::testing::AssertionSuccess();
  }
};

TEST(SurfaceClearing, ClearsTheAreaWidenedToWholePairsInMemoryRows) {
  struct Case {
    const char* name;
    PixelArea picture;
    PixelArea topDownMemory;
    PixelArea bottomUpMemory;
  };
  const Case cases[] = {
      {"inside, odd columns widened", {3, 1, 5, 3}, {2, 1, 6, 3}, {2, 2, 6, 4}},
      {"over the top-left corner", {-3, -2, 3, 2}, {0, 0, 4, 2}, {0, 3, 4, 5}},
      {"up to an odd width", {7, 0, 9, 1}, {6, 0, 9, 1}, {6, 4, 9, 5}},
      {"everything", PixelArea::everything(), {0, 0, 9, 5}, {0, 0, 9, 5}},
      {"off the surface", {10, 0, 20, 5}, {}, {}},
      {"empty", {4, 4, 4, 4}, {}, {}},
  };
  for (const Case& c : cases) {
    for (const bool topDown : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (topDown ? " top-down" : " bottom-up"));
      JunkSurface s(topDown);
      EXPECT_TRUE(s.surface.readArea().empty());
      s.surface.clearForDrawing(c.picture);
      const PixelArea expected = topDown ? c.topDownMemory : c.bottomUpMemory;
      EXPECT_EQ(s.surface.readArea(), expected) << describe(s.surface.readArea());
      EXPECT_TRUE(s.clearedExactly(expected));
    }
  }
}

TEST(SurfaceClearing, ASecondAreaJoinsTheFirstAndKeepsWhatWasDrawn) {
  JunkSurface s(true);
  s.surface.clearForDrawing({2, 1, 4, 2});
  s.surface.bits()[(1 * JunkSurface::kWidth + 3) * 4 + 3] = 0x7F;  // drawn in the first area
  s.surface.clearForDrawing({6, 3, 8, 4});
  EXPECT_EQ(s.surface.readArea(), (PixelArea{2, 1, 8, 4}));
  EXPECT_EQ(s.alphaAt(3, 1), 0x7F);
  for (int32_t y = 1; y < 4; ++y) {
    for (int32_t x = 2; x < 8; ++x) {
      if (x == 3 && y == 1) continue;
      EXPECT_EQ(s.alphaAt(x, y), 0) << x << "," << y;
    }
  }
  EXPECT_EQ(s.alphaAt(1, 1), kJunk);
}

TEST(SurfaceClearing, AWholeClearReadsEverythingAndReleaseReadsNothing) {
  DrawSurface surface;
  ASSERT_NE(surface.create(6, 4, 32, false), nullptr);
  EXPECT_EQ(surface.readArea(), (PixelArea{0, 0, 6, 4}));
  surface.bits()[3] = 9;
  surface.clearForDrawing({0, 0, 2, 2});  // already clear: nothing is wiped
  EXPECT_EQ(surface.bits()[3], 9);
  surface.release();
  EXPECT_TRUE(surface.readArea().empty());
}

// --- painters -----------------------------------------------------------------

struct Drawing {
  std::string name;
  ClockDrawing clock;
  ClockValue value;
  std::u16string text;
};

TimerText timerText(const std::u16string& text) {
  TimerText t;
  for (size_t i = 0; i < text.size() && i + 1 < TimerText::kCapacity; ++i) t.units[i] = text[i];
  return t;
}

LOGFONTW fontRecord(const std::u16string& face, LONG height, LONG weight = 400, bool decorated = false) {
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfWeight = weight;
  font.lfItalic = font.lfUnderline = font.lfStrikeOut = decorated ? 1 : 0;
  for (size_t i = 0; i < face.size() && i < 31; ++i) font.lfFaceName[i] = face[i];
  return font;
}

// The drawings worth bounding: every clock type at the centre, at the edges
// and beyond them, tiny to huge, squeezed and stretched pixels, every
// alignment and font kind.
std::vector<Drawing> drawings(int32_t width, int32_t height) {
  std::vector<Drawing> all;
  const struct {
    const char* name;
    int32_t x, y;
  } places[] = {{"centre", width / 2, height / 2},
                {"corner", 0, 0},
                {"right edge", width - 1, height / 3},
                {"beyond", -40, height + 30},
                {"far", std::numeric_limits<int32_t>::max() - 5, -7}};
  const int32_t sizes[] = {0, 1, 6, 30, 400};
  const float aspects[] = {1.0f, 0.5f, 2.5f, 0.0f, -1.0f};
  const std::u16string texts[] = {u"12:34:56:07", u"88:88 PM", u"", u"1.5"};
  int n = 0;
  for (const auto& place : places) {
    for (const int32_t size : sizes) {
      for (const float aspect : aspects) {
        for (const definition::ClockType type :
             {definition::ClockType::kAnalog, definition::ClockType::kDigital, definition::ClockType::kLed}) {
          Drawing d;
          d.clock.clockType = definition::listValue(type);
          d.clock.foreground = 0xFFE0E0E0;
          d.clock.background = 0x80203040;
          d.clock.posX = place.x;
          d.clock.posY = place.y;
          d.clock.baseSize = size;
          d.clock.aspectFactor = aspect;
          d.clock.alignment = n % 4 == 3 ? 5 : n % 3;
          const LOGFONTW fonts[] = {fontRecord(u"", -32), fontRecord(u"Arial", -100, 700, true),
                                    fontRecord(u"No Such Face", -60), fontRecord(u"DejaVu Sans", -250, 400, true)};
          d.clock.fontRecord = fonts[n % 4];
          d.value = ClockValue{(n * 7) % 24, (n * 13) % 60, (n * 17) % 60};
          d.text = texts[n % 4];
          d.name = std::string(place.name) + " size " + std::to_string(size) + " aspect " + std::to_string(aspect) +
                   " type " + std::to_string(definition::listValue(type)) + " #" + std::to_string(n);
          all.push_back(d);
          ++n;
        }
      }
    }
  }
  return all;
}

class PainterReach : public ::testing::TestWithParam<bool> {};

TEST_P(PainterReach, HoldsEveryDrawnPixelAndAPartlyClearedSurfaceDrawsTheSame) {
  const bool topDown = GetParam();
  constexpr int32_t kWidth = 161;
  constexpr int32_t kHeight = 90;
  const size_t bytes = size_t{kWidth} * kHeight * 4;
  int drawn = 0;
  for (const Drawing& d : drawings(kWidth, kHeight)) {
    SCOPED_TRACE(d.name);
    const GdiplusSession gdiplus;
    const TimerText text = timerText(d.text);

    DrawSurface whole;
    HDC wholeDc = whole.create(kWidth, kHeight, 32, topDown);
    ASSERT_NE(wholeDc, nullptr);
    std::optional<PixelArea> reach;
    drawClock(wholeDc, d.clock, d.value, text, [&](const PixelArea& area) {
      EXPECT_FALSE(reach) << "told twice";
      reach = area;
    });

    DrawSurface part;
    HDC partDc = part.create(kWidth, kHeight, 32, topDown, DrawSurface::Clearing::kWhereDrawn);
    ASSERT_NE(partDc, nullptr);
    std::memset(part.bits(), kJunk, bytes);
    drawClock(partDc, d.clock, d.value, text, [&](const PixelArea& area) { part.clearForDrawing(area); });

    const PixelArea read = part.readArea();
    for (int32_t row = 0; row < kHeight; ++row) {
      const int32_t pictureRow = topDown ? row : kHeight - 1 - row;
      for (int32_t x = 0; x < kWidth; ++x) {
        const uint8_t* w = whole.bits() + (size_t{static_cast<size_t>(row)} * kWidth + x) * 4;
        const bool painted = w[0] || w[1] || w[2] || w[3];
        if (painted) {
          ++drawn;
          ASSERT_TRUE(reach && reach->contains(x, pictureRow))
              << "pixel " << x << "," << pictureRow << " drawn outside " << (reach ? describe(*reach) : "nothing");
        }
        if (read.contains(x, row)) {
          const uint8_t* p = part.bits() + (size_t{static_cast<size_t>(row)} * kWidth + x) * 4;
          ASSERT_EQ(std::memcmp(w, p, 4), 0) << "pixel " << x << "," << pictureRow;
        } else {
          ASSERT_FALSE(painted);
        }
      }
    }
  }
  EXPECT_GT(drawn, 100000);  // the drawings do put paint down
}

INSTANTIATE_TEST_SUITE_P(RowOrders, PainterReach, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "top_down" : "bottom_up"; });

TEST(PainterReach, NothingIsToldWhenNothingIsDrawn) {
  const GdiplusSession gdiplus;
  DrawSurface surface;
  HDC dc = surface.create(32, 32, 32, true);
  ClockDrawing clock;
  clock.clockType = 3;
  bool told = false;
  drawClock(dc, clock, ClockValue{}, TimerText{}, [&](const PixelArea&) { told = true; });
  EXPECT_FALSE(told);
}

}  // namespace
}  // namespace horaz
