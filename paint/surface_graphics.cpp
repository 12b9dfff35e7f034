#include "paint/surface_graphics.h"

#include <cstdint>
#include <cstring>

namespace horaz {

#ifdef _WIN32
namespace {

// Whether picture row 0 is the first row in the DIB's memory. The section's
// header as GetObjectW returns it does not tell: Wine gives a top-down
// section's height as positive. GDI places one pixel at the picture's top-left
// corner instead, and the two candidate bytes are put back afterwards.
bool firstMemoryRowIsTop(HDC dc, BYTE* first, INT stride, INT height) {
  if (height < 2) return true;
  BYTE* last = first + static_cast<std::intptr_t>(height - 1) * stride;
  BYTE keptFirst[4], keptLast[4];
  std::memcpy(keptFirst, first, 4);
  std::memcpy(keptLast, last, 4);
  std::memset(first, 0, 4);
  std::memset(last, 0, 4);
  GdiFlush();
  SetPixelV(dc, 0, 0, RGB(255, 255, 255));
  GdiFlush();
  const bool topDown = first[0] == 255;
  std::memcpy(first, keptFirst, 4);
  std::memcpy(last, keptLast, 4);
  return topDown;
}

}  // namespace

// GDI+ draws into a bitmap of its own: it starts transparent whatever the
// surface's memory held (a surface cleared only where drawn keeps stale
// pixels elsewhere), its rows are always top-down, and the copy on release
// puts them in the surface's order.
GdiplusGraphics makeGraphics(HDC dc) {
  GdiplusGraphics made;
  const auto selected = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  DIBSECTION dib{};
  if (!selected || GetObjectW(selected, sizeof dib, &dib) != sizeof dib) return made;
  if (dib.dsBm.bmBits == nullptr || dib.dsBm.bmBitsPixel != 32) return made;
  GdiplusGraphics::DibMemory memory{static_cast<BYTE*>(dib.dsBm.bmBits), dib.dsBm.bmWidth, dib.dsBm.bmHeight,
                                    dib.dsBm.bmWidthBytes, true};
  memory.topDown = firstMemoryRowIsTop(dc, memory.first, memory.stride, memory.height);
  GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromScan0(memory.width, memory.height, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Ok)
    return made;
  made.target_ = bitmap;
  made.dib_ = memory;
  if (GdipGetImageGraphicsContext(bitmap, &made.graphics_) != Ok) {
    made.graphics_ = nullptr;
    return made;
  }
  GdipGraphicsClear(made.graphics_, 0);  // transparent black, whatever the new bitmap held
  return made;
}

void GdiplusGraphics::reset() noexcept {
  if (graphics_) GdipDeleteGraphics(graphics_);
  if (target_) {
    auto* bitmap = static_cast<GpBitmap*>(target_);
    GpRect whole{0, 0, dib_.width, dib_.height};
    BitmapData locked{};
    if (graphics_ && GdipBitmapLockBits(bitmap, &whole, ImageLockModeRead, PixelFormat32bppARGB, &locked) == Ok) {
      const auto* source = static_cast<const BYTE*>(locked.Scan0);
      const size_t rowBytes = static_cast<size_t>(dib_.width) * 4;
      for (INT row = 0; row < dib_.height; ++row) {
        const INT memoryRow = dib_.topDown ? row : dib_.height - 1 - row;
        std::memcpy(dib_.first + static_cast<std::intptr_t>(memoryRow) * dib_.stride,
                    source + static_cast<std::intptr_t>(row) * locked.Stride, rowBytes);
      }
      GdipBitmapUnlockBits(bitmap, &locked);
    }
    GdipDisposeImage(static_cast<GpImage*>(target_));
  }
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
    dib_ = other.dib_;
    other.graphics_ = nullptr;
    other.target_ = nullptr;
  }
  return *this;
}

}  // namespace horaz
