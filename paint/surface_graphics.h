#pragma once

#include <gdiplusflat.h>

namespace horaz {

// A drawing object over the 32-bit bitmap selected into a memory device
// context, leaving that bitmap's pixels as blue, green, red and straight
// alpha, alpha 0 wherever nothing was drawn. Deleted when the guard leaves
// scope; empty when GDI+ refused to make it (callers then draw nothing).
//
// On Windows, GDI+ treats a device context's bitmap as having no alpha, so
// the drawing object is made on a GDI+ bitmap of 32-bit straight ARGB over
// the DIB section's own memory, which the guard owns and disposes after the
// drawing object. Elsewhere the platform layer's drawing object over the
// device context already keeps straight alpha.
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

  GpGraphics* graphics_ = nullptr;
  void* target_ = nullptr;  // the GDI+ bitmap drawn into, where there is one
};

// A drawing object over the bitmap selected into `dc`.
GdiplusGraphics makeGraphics(HDC dc);

}  // namespace horaz
