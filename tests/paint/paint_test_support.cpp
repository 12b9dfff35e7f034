#include "paint_test_support.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>

#include "paint/digital_clock_painter.h"
#include "paint/gdiplus_objects.h"

namespace horaz::test {

GdiplusSession::GdiplusSession() {
  const GdiplusStartupInput input;
  GdiplusStartup(&token_, &input, nullptr);
}

GdiplusSession::~GdiplusSession() { GdiplusShutdown(token_); }

Canvas::Canvas(int32_t width, int32_t height) : width_(width), height_(height) {
  dc_ = surface_.create(width, height, 32, true);
}

uint32_t Canvas::pixel(int32_t x, int32_t y) const {
  const uint8_t* p = surface_.bits() + (static_cast<size_t>(y) * width_ + x) * 4;
  return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

namespace {

void expectNoLiveGdiplusObjects() {
  const platform::GdiplusObjectCounts live = platform::liveGdiplusObjects();
  EXPECT_EQ(live.graphics, 0);
  EXPECT_EQ(live.brushes, 0);
  EXPECT_EQ(live.pens, 0);
  EXPECT_EQ(live.fonts, 0);
  EXPECT_EQ(live.fontFamilies, 0);
  EXPECT_EQ(live.stringFormats, 0);
}

}  // namespace

std::vector<RecordedCall> recordPainting(Canvas& canvas, const std::function<void(GpGraphics*)>& paint) {
  platform::DrawRecording recording(canvas.dc());
  GpGraphics* graphics = nullptr;
  EXPECT_EQ(GdipCreateFromHDC(canvas.dc(), &graphics), Ok);
  GdipSetSmoothingMode(graphics, SmoothingModeHighQuality);
  paint(graphics);
  GdipDeleteGraphics(graphics);
  expectNoLiveGdiplusObjects();
  return recording.calls();
}

std::vector<RecordedCall> recordPaintingOnDc(Canvas& canvas, const std::function<void(HDC)>& paint) {
  platform::DrawRecording recording(canvas.dc());
  paint(canvas.dc());
  expectNoLiveGdiplusObjects();
  return recording.calls();
}

void drawDigitalClock(HDC dc, const char16_t* text, int32_t posX, int32_t posY, int32_t baseSize, ARGB foreground,
                      ARGB background, int32_t alignment, const LOGFONTW& font, bool showBackground) {
  DigitalClockPainter painter;
  painter.setTextColour(foreground);
  painter.setBackgroundColour(background);
  painter.setShowBackground(showBackground);
  painter.setAlignment(alignment);
  painter.setFont(font, baseSize);
  const GdiplusGraphics graphics = makeGraphics(dc);
  DigitalClockPainter::prepareDrawingObject(graphics.get());
  painter.draw(graphics.get(), posX, posY, text);
}

std::vector<RecordedCall> shapes(const std::vector<RecordedCall>& calls) {
  std::vector<RecordedCall> result;
  for (const RecordedCall& call : calls) {
    if (call.name.starts_with("GdipFill") || call.name == "GdipDrawPolygon" || call.name == "GdipDrawLine" ||
        call.name == "GdipDrawString") {
      result.push_back(call);
    }
  }
  return result;
}

std::vector<RecordedCall> named(const std::vector<RecordedCall>& calls, const std::string& name) {
  std::vector<RecordedCall> result;
  for (const RecordedCall& call : calls) {
    if (call.name == name) result.push_back(call);
  }
  return result;
}

std::string writePicture(const Canvas& canvas, const std::string& fileName) {
  const std::filesystem::path folder = HORAZ_PAINT_PICTURE_DIR;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::string path = (folder / fileName).string();

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(canvas.width());
  image.height = static_cast<png_uint_32>(canvas.height());
  image.format = PNG_FORMAT_BGRA;  // the surface's byte order, straight alpha
  if (!png_image_write_to_file(&image, path.c_str(), 0, canvas.bytes(), canvas.width() * 4, nullptr)) return {};
  return path;
}

}  // namespace horaz::test
