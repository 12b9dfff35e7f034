// Time of the platform's share of one render: a drawing object made on a
// frame-sized surface, a clock drawn (analog shapes or digital text) and the
// object deleted, at 1920 x 1080 and 3840 x 2160. Beside it, what converting
// the whole frame to premultiplied colour and back would cost, which the
// drawing object avoids by converting only what it touches.
//
//   horaz_platform_draw_bench [repetitions]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gdiplusflat.h"
#include "wingdi.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Frame {
  Frame(int width, int height) : width(width), height(height) {
    dc = CreateCompatibleDC(nullptr);
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = width;
    header.bV5Height = -height;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    previous = SelectObject(dc, bitmap);
  }
  ~Frame() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  int width, height;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
  void* bits = nullptr;
};

void fill(GpGraphics* g, ARGB colour, float x, float y, float w, float h, bool ellipse) {
  GpSolidFill* brush = nullptr;
  GdipCreateSolidFill(colour, &brush);
  if (ellipse)
    GdipFillEllipseI(g, brush, int(x), int(y), int(w), int(h));
  else
    GdipFillRectangle(g, brush, x, y, w, h);
  GdipDeleteBrush(brush);
}

// Dial, twelve marks, two kites and a line, as the analog clock draws them.
void drawAnalog(const Frame& frame) {
  GpGraphics* g = nullptr;
  GdipCreateFromHDC(frame.dc, &g);
  GdipSetSmoothingMode(g, SmoothingModeHighQuality);
  const float cx = frame.width / 2.0f, cy = frame.height / 2.0f, r = frame.height / 4.0f;
  fill(g, 0x80000000, cx - r, cy - r, 2 * r, 2 * r, true);
  for (int p = 0; p < 60; p += 5) {
    const double a = (p - 15) * 3.14159 / 30;
    fill(g, 0xFFFFFFFF, float(cx + std::cos(a) * r * 0.9), float(cy + std::sin(a) * r * 0.9), r / 40, r / 40, false);
  }
  const GpPointF kite[] = {{cx - r * 0.1f, cy}, {cx, cy + r * 0.05f}, {cx + r * 0.5f, cy}, {cx, cy - r * 0.05f}};
  GpSolidFill* brush = nullptr;
  GdipCreateSolidFill(0xFFFFFFFF, &brush);
  GdipFillPolygon(g, brush, kite, 4, FillModeAlternate);
  GdipFillPolygon(g, brush, kite, 4, FillModeAlternate);
  GdipDeleteBrush(brush);
  GpPen* pen = nullptr;
  GdipCreatePen1(0xFFFFFFFF, 1.0f, UnitWorld, &pen);
  const GpPointF hand[] = {{cx, cy}, {cx, cy - r * 0.8f}};
  GdipDrawPolygon(g, pen, hand, 2);
  GdipDeletePen(pen);
  GdipDeleteGraphics(g);
}

// Two fonts, a measure, a box and the text, as the digital clock draws it.
void drawDigital(const Frame& frame) {
  GpFontFamily* family = nullptr;
  GdipCreateFontFamilyFromName(u"Arial", nullptr, &family);
  GpFont* drawing = nullptr;
  GpFont* measuring = nullptr;
  const float size = frame.height * 0.25f * 0.32f;
  GdipCreateFont(family, size, 0, UnitPoint, &drawing);
  GdipCreateFont(family, size, 0, UnitPoint, &measuring);
  GpGraphics* g = nullptr;
  GdipCreateFromHDC(frame.dc, &g);
  GdipSetTextRenderingHint(g, TextRenderingHintClearTypeGridFit);
  GdipSetSmoothingMode(g, SmoothingModeHighQuality);
  const GpRectF origin{frame.width / 2.0f, frame.height / 2.0f, 0, 0};
  GpRectF box{};
  GdipMeasureString(g, u"12:34:56.789", -1, measuring, &origin, nullptr, &box, nullptr, nullptr);
  GpStringFormat* format = nullptr;
  GdipCreateStringFormat(0, 0, &format);
  GdipSetStringFormatAlign(format, StringAlignmentCenter);
  GdipSetStringFormatLineAlign(format, StringAlignmentCenter);
  const float left = std::trunc(origin.X - box.Width * 1.1f / 2), top = std::trunc(origin.Y - box.Height / 2);
  fill(g, 0x80000000, left, top, std::trunc(box.Width * 1.1f), std::trunc(box.Height), false);
  GpSolidFill* brush = nullptr;
  GdipCreateSolidFill(0xFFFFFFFF, &brush);
  const GpRectF layout{left, top, std::trunc(box.Width) * 1.1f, std::trunc(box.Height)};
  GdipDrawString(g, u"12:34:56.789", -1, drawing, &layout, format, brush);
  GdipDeleteBrush(brush);
  GdipDeleteStringFormat(format);
  GdipDeleteGraphics(g);
  GdipDeleteFont(drawing);
  GdipDeleteFont(measuring);
  GdipDeleteFontFamily(family);
}

// What a drawing object that converted the whole frame would spend.
void convertWholeFrame(const Frame& frame) {
  auto* pixels = static_cast<std::uint8_t*>(frame.bits);
  const std::size_t count = std::size_t(frame.width) * frame.height;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* p = pixels + i * 4;
    const unsigned a = p[3];
    for (int c = 0; c < 3; ++c) p[c] = std::uint8_t((p[c] * a + 127) / 255);
  }
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* p = pixels + i * 4;
    const unsigned a = p[3];
    if (a) {
      for (int c = 0; c < 3; ++c) p[c] = std::uint8_t(std::min(255u, (p[c] * 255 + a / 2) / a));
    }
  }
}

// Best time of `work` over the repetitions; `setup` runs untimed before each.
template <class Setup, class Work>
double bestMilliseconds(int repetitions, Setup&& setup, Work&& work) {
  double best = 1e30;
  for (int i = 0; i < repetitions; ++i) {
    setup();
    const auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (GdiplusStartup(&token, &input, nullptr) != Ok) return 1;
  std::printf("%-12s %14s %14s %16s %16s %14s\n", "frame", "analog ms", "digital ms", "analog-over ms",
              "digital-over ms", "whole conv ms");
  for (auto [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
    Frame frame(w, h);
    drawDigital(frame);  // first use loads the font; later frames find it cached
    // As in a render: the surface is cleared before the clock is drawn.
    auto clear = [&] { std::memset(frame.bits, 0, std::size_t(w) * h * 4); };
    auto keep = [] {};
    const double analog = bestMilliseconds(repetitions, clear, [&] { drawAnalog(frame); });
    const double digital = bestMilliseconds(repetitions, clear, [&] { drawDigital(frame); });
    // Over paint already there: the touched pixels are saved and converted.
    const double analogOver = bestMilliseconds(repetitions, keep, [&] { drawAnalog(frame); });
    const double digitalOver = bestMilliseconds(repetitions, keep, [&] { drawDigital(frame); });
    const double whole = bestMilliseconds(repetitions, keep, [&] { convertWholeFrame(frame); });
    std::printf("%4d x %-5d %14.3f %14.3f %16.3f %16.3f %14.3f\n", w, h, analog, digital, analogOver, digitalOver,
                whole);
  }
  GdiplusShutdown(token);
  return 0;
}
