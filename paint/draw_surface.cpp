#include "paint/draw_surface.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "paint/platform_text.h"

namespace horaz {
namespace {

constexpr int64_t kBytesPerPixel = 4;
// LCS_WINDOWS_COLOR_SPACE, the tag 'Win ': the platform's headers spell it as
// a multi-character constant, which our warnings refuse.
constexpr DWORD kWindowsColourSpace = 0x57696E20;
constexpr int64_t kMaxPixelBytes = std::numeric_limits<int32_t>::max();

// The size the surface's pixel memory would have, or 0 when it cannot be made:
// the clear below and the blend assume 4 bytes per pixel, and a negative
// height would turn a top-down request into a bottom-up one.
int64_t pixelBytesFor(int32_t width, int32_t height, uint16_t bitCount) {
  if (width <= 0 || height <= 0 || bitCount != 32) return 0;
  // width × height stays below 2^62; check it before multiplying by 4.
  const int64_t pixels = int64_t{width} * int64_t{height};
  return pixels <= kMaxPixelBytes / kBytesPerPixel ? pixels * kBytesPerPixel : 0;
}

void fillHeader(BITMAPV5HEADER& header, int32_t width, int32_t height, uint16_t bitCount, bool topDown,
                int64_t pixelBytes) {
  header = BITMAPV5HEADER{};
  header.bV5Size = sizeof(BITMAPV5HEADER);
  header.bV5Width = width;
  header.bV5Height = topDown ? -height : height;
  header.bV5Planes = 1;
  header.bV5BitCount = bitCount;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5SizeImage = static_cast<DWORD>(pixelBytes);
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  header.bV5CSType = kWindowsColourSpace;
  header.bV5Intent = LCS_GM_ABS_COLORIMETRIC;
}

}  // namespace

HDC DrawSurface::create(int32_t width, int32_t height, uint16_t bitCount, bool topDown, Clearing clearing) {
  if (!displayDc_) displayDc_ = CreateDCW(platformText(u"DISPLAY"), nullptr, nullptr, nullptr);
  if (!memoryDc_) {
    memoryDc_ = CreateCompatibleDC(displayDc_);
    const int64_t pixelBytes = pixelBytesFor(width, height, bitCount);
    if (pixelBytes == 0) {
      pixels_ = nullptr;
      return nullptr;
    }
    fillHeader(header_, width, height, bitCount, topDown, pixelBytes);
    void* bits = nullptr;
    bitmap_ =
        CreateDIBSection(memoryDc_, reinterpret_cast<const BITMAPINFO*>(&header_), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_) {
      pixels_ = nullptr;
      return nullptr;
    }
    pixels_ = static_cast<uint8_t*>(bits);
    previousBitmap_ = SelectObject(memoryDc_, bitmap_);
    // Device origin at the top-left pixel and the clip exactly the surface:
    // whatever a painter draws beyond the frame is dropped.
    SetViewportOrgEx(memoryDc_, 0, 0, nullptr);
    SelectClipRgn(memoryDc_, nullptr);
    IntersectClipRect(memoryDc_, 0, 0, width, height);
  }
  if (!pixels_) return nullptr;
  readArea_ = PixelArea{};
  // Every pixel transparent black when asked: the platform hands a
  // frame-sized bitmap the memory of the last one deleted, as it was left.
  if (clearing == Clearing::kWhole) clearForDrawing(PixelArea::everything());
  return memoryDc_;
}

int64_t DrawSurface::rowCount() const {
  return header_.bV5Height < 0 ? -int64_t{header_.bV5Height} : int64_t{header_.bV5Height};
}

void DrawSurface::clearPixels(const PixelArea& memoryArea) {
  if (memoryArea.empty()) return;
  // The size is the bitmap's own, whatever a repeated create() asked for.
  const int64_t width = header_.bV5Width;
  uint8_t* first = pixels_ + (memoryArea.top * width + memoryArea.left) * kBytesPerPixel;
  if (memoryArea.width() == width) {  // whole rows lie back to back
    std::memset(first, 0, static_cast<size_t>(width * memoryArea.height() * kBytesPerPixel));
    return;
  }
  for (int64_t row = 0; row < memoryArea.height(); ++row) {
    std::memset(first + row * width * kBytesPerPixel, 0, static_cast<size_t>(memoryArea.width() * kBytesPerPixel));
  }
}

void DrawSurface::clearForDrawing(const PixelArea& pictureArea) {
  if (!pixels_) return;
  const int64_t width = header_.bV5Width;
  const int64_t rows = rowCount();
  PixelArea wanted = pictureArea.within(width, rows);
  if (wanted.empty()) return;
  wanted.left &= ~int64_t{1};
  wanted.right = std::min(width, (wanted.right + 1) & ~int64_t{1});
  if (header_.bV5Height > 0) {  // bottom-up: picture row y is memory row rows - 1 - y
    wanted = PixelArea{wanted.left, rows - wanted.bottom, wanted.right, rows - wanted.top};
  }
  // Clear what the join adds to what is already clear: the rows above and
  // below it, and the strips left and right of it.
  const PixelArea kept = readArea_;
  const PixelArea joined = kept.joined(wanted);
  if (kept.empty()) {
    clearPixels(joined);
  } else {
    clearPixels({joined.left, joined.top, joined.right, kept.top});
    clearPixels({joined.left, kept.bottom, joined.right, joined.bottom});
    clearPixels({joined.left, kept.top, kept.left, kept.bottom});
    clearPixels({kept.right, kept.top, joined.right, kept.bottom});
  }
  readArea_ = joined;
}

void DrawSurface::release() {
  if (bitmap_) {
    SelectObject(memoryDc_, previousBitmap_);
    DeleteObject(bitmap_);
    bitmap_ = nullptr;
    previousBitmap_ = nullptr;
  }
  if (memoryDc_) {
    DeleteDC(memoryDc_);
    memoryDc_ = nullptr;
  }
  pixels_ = nullptr;
  readArea_ = PixelArea{};
  if (displayDc_) {
    DeleteDC(displayDc_);
    displayDc_ = nullptr;
  }
}

}  // namespace horaz
