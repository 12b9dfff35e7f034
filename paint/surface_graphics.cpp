#include "paint/surface_graphics.h"

#include <cstdint>

namespace horaz {

#ifdef _WIN32
namespace {

// The DIB section selected into `dc` as a GDI+ bitmap over the same memory,
// rows in picture order: a bottom-up DIB is walked from its last memory row
// with a negative stride. Null when `dc` holds no 32-bit DIB section.
GpBitmap* bitmapOverSelectedDib(HDC dc) {
  const auto selected = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  DIBSECTION dib{};
  if (!selected || GetObjectW(selected, sizeof dib, &dib) != sizeof dib) return nullptr;
  if (dib.dsBm.bmBits == nullptr || dib.dsBm.bmBitsPixel != 32) return nullptr;
  const INT width = dib.dsBm.bmWidth;
  const INT height = dib.dsBm.bmHeight;
  const INT stride = dib.dsBm.bmWidthBytes;
  auto* first = static_cast<BYTE*>(dib.dsBm.bmBits);
  const bool topDown = dib.dsBmih.biHeight < 0;
  BYTE* scan0 = topDown ? first : first + static_cast<std::intptr_t>(height - 1) * stride;
  GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromScan0(width, height, topDown ? stride : -stride, PixelFormat32bppARGB, scan0, &bitmap) !=
      Ok) {
    return nullptr;
  }
  return bitmap;
}

}  // namespace

GdiplusGraphics makeGraphics(HDC dc) {
  GdiplusGraphics made;
  GpBitmap* bitmap = bitmapOverSelectedDib(dc);
  if (bitmap == nullptr) return made;
  made.target_ = bitmap;
  if (GdipGetImageGraphicsContext(bitmap, &made.graphics_) != Ok) made.graphics_ = nullptr;
  return made;
}

void GdiplusGraphics::reset() noexcept {
  if (graphics_) GdipDeleteGraphics(graphics_);
  // The drawing reaches the DIB's memory by the time the bitmap is disposed.
  if (target_) GdipDisposeImage(static_cast<GpImage*>(target_));
  graphics_ = nullptr;
  target_ = nullptr;
}
#else
GdiplusGraphics makeGraphics(HDC dc) {
  GdiplusGraphics made;
  if (GdipCreateFromHDC(dc, &made.graphics_) != Ok) made.graphics_ = nullptr;
  return made;
}

void GdiplusGraphics::reset() noexcept {
  if (graphics_) GdipDeleteGraphics(graphics_);
  graphics_ = nullptr;
}
#endif

GdiplusGraphics& GdiplusGraphics::operator=(GdiplusGraphics&& other) noexcept {
  if (this != &other) {
    reset();
    graphics_ = other.graphics_;
    target_ = other.target_;
    other.graphics_ = nullptr;
    other.target_ = nullptr;
  }
  return *this;
}

}  // namespace horaz
