// Pictures of the three painters, written as PNG files into the build
// folder (pictures/paint) so that anyone can look at them. The checks here
// are only that each picture was written and is not blank; the geometry is
// tested elsewhere.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "paint/digital_clock_painter.h"
#include "paint/analog_clock_painter.h"
#include "paint/led_clock_painter.h"
#include "paint_test_support.h"

namespace horaz::test {
namespace {

bool anythingDrawn(const Canvas& canvas) {
  for (int32_t y = 0; y < canvas.height(); ++y) {
    for (int32_t x = 0; x < canvas.width(); ++x) {
      if (canvas.pixel(x, y) >> 24 != 0) return true;
    }
  }
  return false;
}

void expectPicture(const Canvas& canvas, const std::string& fileName) {
  EXPECT_TRUE(anythingDrawn(canvas)) << fileName;
  const std::string path = writePicture(canvas, fileName);
  ASSERT_FALSE(path.empty()) << fileName;
  EXPECT_GT(std::filesystem::file_size(path), 0u);
}

// A small cross marking an anchor point.
void markAnchor(HDC dc, int32_t x, int32_t y) {
  GpGraphics* graphics = nullptr;
  GdipCreateFromHDC(dc, &graphics);
  GpSolidFill* red = nullptr;
  GdipCreateSolidFill(0xFFFF0000, &red);
  GdipFillRectangleI(graphics, red, x - 6, y, 13, 1);
  GdipFillRectangleI(graphics, red, x, y - 6, 1, 13);
  GdipDeleteBrush(red);
  GdipDeleteGraphics(graphics);
}

struct AnalogPicture {
  int32_t hours, minutes, seconds;
  float aspect;
  ARGB dial;
};

TEST(PainterPictures, AnalogClock) {
  GdiplusSession session;
  const AnalogPicture pictures[] = {{3, 0, 0, 1.0f, 0xC0203040},    {10, 10, 30, 1.0f, 0xC0203040},
                                    {12, 59, 45, 1.0f, 0xFF000000}, {23, 59, 59, 0.9f, 0xC0203040},
                                    {7, 25, 15, 1.2f, 0xC0203040},  {0, 0, 0, 1.0f, 0x00000000}};
  for (const AnalogPicture& p : pictures) {
    Canvas canvas(260, 220);
    AnalogClockPainter painter;
    painter.setHandAndMarkColour(0xFFF0F0F0);
    painter.setDialColour(p.dial);
    recordPainting(canvas, [&](GpGraphics* graphics) {
      painter.draw(graphics, 130, 110, 100, p.aspect, p.hours, p.minutes, p.seconds);
    });
    char name[64];
    std::snprintf(name, sizeof name, "analog_%02d-%02d-%02d_aspect%.1f%s.png", p.hours, p.minutes, p.seconds, p.aspect,
                  (p.dial >> 24) == 0 ? "_nodial" : "");
    expectPicture(canvas, name);
  }
}

struct LedPicture {
  const char* fileName;
  std::u16string text;
  int32_t size;
  float aspect;
};

TEST(PainterPictures, LedClock) {
  GdiplusSession session;
  const LedPicture pictures[] = {{"led_glyphs.png", u"0123456789:.APM", 100, 1.0f},
                                 {"led_time_aspect0.9.png", u"12:34:56.7 PM", 68, 0.9f}};
  for (const LedPicture& p : pictures) {
    Canvas canvas(740, 100);
    LedClockPainter painter;
    painter.setSegmentColour(0xFF30FF60);
    painter.setBackgroundColour(0xFF101010);
    recordPainting(canvas, [&](GpGraphics* graphics) {
      painter.draw(graphics, 370, 50, p.size, p.aspect, p.text.data(), static_cast<int32_t>(p.text.size()));
    });
    expectPicture(canvas, p.fileName);
  }
}

TEST(PainterPictures, DigitalClock) {
  GdiplusSession session;
  LOGFONTW arial{};
  arial.lfHeight = -32;
  arial.lfCharSet = 1;
  LOGFONTW serif = arial;
  serif.lfWeight = 700;
  serif.lfItalic = 1;
  const std::u16string serifFace = u"Liberation Serif";
  serifFace.copy(serif.lfFaceName, serifFace.size());

  const struct {
    const char* name;
    const LOGFONTW* font;
  } fonts[] = {{"arial", &arial}, {"serif_bold_italic", &serif}};
  const char* alignments[] = {"right", "centre", "left"};
  for (const auto& font : fonts) {
    for (int32_t alignment = 0; alignment < 3; ++alignment) {
      Canvas canvas(640, 120);
      recordPaintingOnDc(canvas, [&](HDC dc) {
        drawDigitalClock(dc, u"12:34:56.789", 320, 60, 100, 0xFFFFFFFF, 0xA0000080, alignment, *font.font, true);
      });
      markAnchor(canvas.dc(), 320, 60);
      expectPicture(canvas, std::string("digital_") + font.name + "_" + alignments[alignment] + ".png");
    }
  }
}

}  // namespace
}  // namespace horaz::test
