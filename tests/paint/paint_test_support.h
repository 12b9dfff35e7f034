#pragma once

#include <gdiplusflat.h>
#include <wingdi.h>
#include <horaz_platform/recording.h>
#include <horaz_platform/status.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "paint/draw_surface.h"

namespace horaz::test {

using platform::RecordedCall;

// GDI+ started for the life of the object, as the render does per frame.
class GdiplusSession {
 public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

 private:
  ULONG_PTR token_ = 0;
};

// A cleared, top-down frame-sized surface, as the render makes one.
class Canvas {
 public:
  Canvas(int32_t width, int32_t height);
  HDC dc() const { return dc_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  // The pixel at (x, y) as 0xAARRGGBB (the bytes are blue, green, red, alpha).
  uint32_t pixel(int32_t x, int32_t y) const;
  const uint8_t* bytes() const { return surface_.bits(); }

 private:
  DrawSurface surface_;
  int32_t width_;
  int32_t height_;
  HDC dc_ = nullptr;
};

// Makes a drawing object on the canvas (smoothing high quality, as the render
// sets it), runs `paint` with it, deletes it and returns every call recorded
// on the canvas meanwhile. Fails the test when a GDI+ object outlives the
// drawing.
std::vector<RecordedCall> recordPainting(Canvas& canvas, const std::function<void(GpGraphics*)>& paint);
// Runs `paint` with the canvas's device context (for painters that make
// their own drawing object) and records it the same way.
std::vector<RecordedCall> recordPaintingOnDc(Canvas& canvas, const std::function<void(HDC)>& paint);

// Draws the digital clock on `dc` as the render does: the painter set up and
// its fonts made, then a drawing object of its own set up for text.
void drawDigitalClock(HDC dc, const char16_t* text, int32_t posX, int32_t posY, int32_t baseSize, ARGB foreground,
                      ARGB background, int32_t alignment, const LOGFONTW& font, bool showBackground);

// The calls that put paint on the surface (fills, outlines, strings).
std::vector<RecordedCall> shapes(const std::vector<RecordedCall>& calls);
std::vector<RecordedCall> named(const std::vector<RecordedCall>& calls, const std::string& name);

// Writes the canvas as a PNG (straight alpha) into the picture folder and
// returns the path; empty on failure.
std::string writePicture(const Canvas& canvas, const std::string& fileName);

}  // namespace horaz::test
