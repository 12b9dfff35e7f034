// Helpers for the platform tests: a GDI+ start-up and a memory device
// context over a 32-bit DIB section, as a host or the render makes them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "gdiplusflat.h"
#include "wingdi.h"

namespace platform_test {

class GdiplusSession {
 public:
  GdiplusSession() {
    GdiplusStartupInput input;
    status = GdiplusStartup(&token, &input, nullptr);
  }
  ~GdiplusSession() {
    if (status == Ok) GdiplusShutdown(token);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  GpStatus status;
  ULONG_PTR token = 0;
};

inline BITMAPV5HEADER bgraHeader(int width, int height, bool topDown) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = width;
  header.bV5Height = topDown ? -height : height;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5SizeImage = static_cast<DWORD>(width * height * 4);
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  header.bV5CSType = LCS_WINDOWS_COLOR_SPACE;
  header.bV5Intent = LCS_GM_ABS_COLORIMETRIC;
  return header;
}

// A memory device context holding a zeroed width x height DIB section.
class Surface {
 public:
  Surface(int width, int height, bool topDown = true) : width(width), height(height), topDown(topDown) {
    dc = CreateCompatibleDC(nullptr);
    const BITMAPV5HEADER header = bgraHeader(width, height, topDown);
    bitmap = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    previous = SelectObject(dc, bitmap);
  }
  ~Surface() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  // Pixel (x, y) of the picture, y = 0 at the top: B, G, R, A bytes.
  const std::uint8_t* at(int x, int y) const {
    const int memoryRow = topDown ? y : height - 1 - y;
    return static_cast<const std::uint8_t*>(bits) + (std::size_t(memoryRow) * width + x) * 4;
  }
  std::uint32_t word(int x, int y) const {
    std::uint32_t value;
    std::memcpy(&value, at(x, y), 4);
    return value;
  }
  std::uint8_t alpha(int x, int y) const { return at(x, y)[3]; }
  int countDrawn() const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += alpha(x, y) != 0;
    return n;
  }

  int width, height;
  bool topDown;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  void* bits = nullptr;
};

// A drawing object on a surface, deleted at scope end.
class Graphics {
 public:
  explicit Graphics(HDC dc, SmoothingMode mode = SmoothingModeHighQuality) {
    status = GdipCreateFromHDC(dc, &graphics);
    if (graphics) GdipSetSmoothingMode(graphics, mode);
  }
  ~Graphics() { close(); }
  void close() {
    if (graphics) GdipDeleteGraphics(graphics);
    graphics = nullptr;
  }
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;
  operator GpGraphics*() const { return graphics; }
  GpGraphics* graphics = nullptr;
  GpStatus status;
};

// Fills a rectangle or ellipse with a new solid brush of `colour`.
inline GpStatus fillRect(GpGraphics* g, ARGB colour, int x, int y, int w, int h, bool ellipse = false) {
  GpSolidFill* brush = nullptr;
  GdipCreateSolidFill(colour, &brush);
  const GpStatus status = ellipse ? GdipFillEllipseI(g, brush, x, y, w, h) : GdipFillRectangleI(g, brush, x, y, w, h);
  GdipDeleteBrush(brush);
  return status;
}

}  // namespace platform_test
