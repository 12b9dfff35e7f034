#pragma once

#include <cstdint>

#include "paint/pixel_area.h"
#include "windef.h"
#include "wingdi.h"

namespace horaz {

// The frame-sized, 32-bit off-screen bitmap with alpha that a clock is drawn
// on: a DIB section selected into a memory device context. Pixels are 4
// bytes, blue, green, red, alpha (0 = nothing drawn), rows of width x 4
// bytes without padding, top-down or bottom-up as asked. One render call
// makes one, on its own thread, and releases it on every way out.
class DrawSurface {
 public:
  DrawSurface() = default;
  ~DrawSurface() { release(); }
  DrawSurface(const DrawSurface&) = delete;
  DrawSurface& operator=(const DrawSurface&) = delete;

  // How create() readies the pixels.
  enum class Clearing : uint8_t {
    kWhole,       // every pixel set to 0
    kWhereDrawn,  // none; clearForDrawing() clears what a painter will reach
  };

  // Makes the device contexts and the bitmap, clears the pixels as asked and
  // returns the memory device context (owned by the surface), or null when
  // the bitmap could not be made. A width or height of 0 or less, a bit count
  // other than 32, or a pixel buffer above 2^31 - 1 bytes fails without
  // asking the platform. The device contexts stay held after a failure until
  // release(). Called once per surface.
  HDC create(int32_t width, int32_t height, uint16_t bitCount, bool topDown, Clearing clearing = Clearing::kWhole);

  // After a Clearing::kWhereDrawn create(): clears `pictureArea` (picture
  // coordinates, row 0 at the top) cut to the surface and widened to even
  // columns, so that a YCbCr pair is always read whole, and adds it to
  // readArea(). Pixels already cleared are kept. Nothing to do after a whole
  // clear or without pixels.
  void clearForDrawing(const PixelArea& pictureArea);

  // The pixels worth reading, in memory rows (row 0 is the first row in
  // memory): all of them after a whole clear, else what clearForDrawing()
  // cleared. Outside it the memory holds whatever it held before the surface
  // had it (the platform may hand out memory it had lent before) and is
  // transparent by definition. Empty when there are no pixels.
  [[nodiscard]] PixelArea readArea() const { return pixels_ ? readArea_ : PixelArea{}; }

  // The pixel memory (owned by the bitmap), or null when there is none.
  uint8_t* bits() const { return pixels_; }

  // Frees what the surface holds: puts the previous bitmap back, deletes the
  // DIB section and both device contexts. Safe to call more than once.
  void release();

  const BITMAPV5HEADER& header() const { return header_; }

 private:
  [[nodiscard]] int64_t rowCount() const;
  // Sets the pixels of an area in memory rows to 0 (nothing when it is empty).
  void clearPixels(const PixelArea& memoryArea);

  BITMAPV5HEADER header_{};
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previousBitmap_ = nullptr;
  uint8_t* pixels_ = nullptr;
  PixelArea readArea_;
  HDC displayDc_ = nullptr;
  HDC memoryDc_ = nullptr;
};

}  // namespace horaz
