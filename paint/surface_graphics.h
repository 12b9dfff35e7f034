#pragma once

#include <gdiplusflat.h>

namespace horaz {

// A drawing object over the 32-bit bitmap selected into a memory device
// context, leaving that bitmap's pixels as blue, green, red and straight
// alpha, alpha 0 wherever nothing was drawn. Deleted when the guard leaves
// scope; empty when GDI+ refused to make it (callers then draw nothing).
//
// On Windows, GDI+ treats a device context's bitmap as having no alpha, so
// the drawing object is made on a transparent GDI+ bitmap of 32-bit straight
// ARGB that GDI+ owns; when the guard is released the drawing is copied into
// the DIB section's memory in its row order (every pixel: untouched ones as
// 0) and the bitmap disposed. Elsewhere the platform layer's drawing object
// over the device context already keeps straight alpha.
class GdiplusGraphics {
 public:
  GdiplusGraphics() = default;
  ~GdiplusGraphics() { reset(); }
  GdiplusGraphics(GdiplusGraphics&& other) noexcept { *this = static_cast<GdiplusGraphics&&>(other); }
  GdiplusGraphics& operator=(GdiplusGraphics&& other) noexcept;
  GdiplusGraphics(const GdiplusGraphics&) = delete;
  GdiplusGraphics& operator=(const GdiplusGraphics&) = delete;

  [[nodiscard]] GpGraphics* get() const noexcept { return graphics_; }
  explicit operator bool() const noexcept { return graphics_ != nullptr; }

 private:
  friend GdiplusGraphics makeGraphics(HDC dc);
  void reset() noexcept;

  // Where the drawing goes on release: the DIB section's memory, its width,
  // height and row length, and whether its first memory row is the top.
  struct DibMemory {
    BYTE* first = nullptr;
    INT width = 0;
    INT height = 0;
    INT stride = 0;
    bool topDown = true;
  };

  GpGraphics* graphics_ = nullptr;
  void* target_ = nullptr;  // the GDI+ bitmap drawn into, where there is one
  DibMemory dib_;
};

// A drawing object over the bitmap selected into `dc`.
GdiplusGraphics makeGraphics(HDC dc);

}  // namespace horaz
