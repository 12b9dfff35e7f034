// The pixel memory of a DIB section and the bookkeeping that lets GDI+
// drawing (which works on premultiplied colour) run on a bitmap that keeps
// straight colour, converting only the region that drawing touches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace horaz::platform::detail {

// Half-open integer rectangle in picture coordinates (row 0 at the top).
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool empty() const { return right <= left || bottom <= top; }
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  PixelRect intersected(const PixelRect& other) const;
  PixelRect united(const PixelRect& other) const;  // bounding box; empty operands ignored
  bool contains(const PixelRect& other) const;
};

// Straight-to-premultiplied and back for B, G, R, A pixels read as
// little-endian words. These scalar versions are the definition:
// premultiply rounds c x a / 255 to nearest; unpremultiply rounds
// c x 255 / a to nearest and saturates at 255.
std::uint32_t premultiplyPixel(std::uint32_t straight);
std::uint32_t unpremultiplyPixel(std::uint32_t premultiplied);

// The same conversions through 256 x 256 tables built from the definitions
// above (no division per pixel); the pixel store's loops use these.
std::uint32_t premultiplyPixelFast(std::uint32_t straight);
std::uint32_t unpremultiplyPixelFast(std::uint32_t premultiplied);

// Whether the store's scans may take 32 pixels a step where the processor
// has AVX2 (the default). Turned off, every processor takes the 4-pixel
// loops, so that tests can hold both to the same results.
void allowAvx2Scans(bool allowed);

class PixelStore {
 public:
  // Memory for width x height pixels, 4 bytes each: zero when fresh; a
  // frame-sized block recycled from a deleted store of the same size keeps
  // the bytes it had (see pixel_memory_pool.h). Throws std::bad_alloc when
  // it cannot be had.
  PixelStore(int width, int height, bool topDown);
  ~PixelStore();
  PixelStore(const PixelStore&) = delete;
  PixelStore& operator=(const PixelStore&) = delete;

  int width() const { return pixelWidth; }
  int height() const { return pixelHeight; }
  bool topDown() const { return rowsTopDown; }
  std::uint8_t* bits() const { return memory; }
  PixelRect bounds() const { return {0, 0, pixelWidth, pixelHeight}; }
  // Pointer to picture row y (0 = top), whatever the row order in memory.
  std::uint8_t* row(int y) const {
    const int memoryRow = rowsTopDown ? y : pixelHeight - 1 - y;
    return memory + static_cast<std::size_t>(memoryRow) * static_cast<std::size_t>(pixelWidth) * 4;
  }
  // Distance in bytes from one picture row to the next one down (negative
  // for bottom-up bitmaps).
  std::ptrdiff_t pictureStride() const;

  // Premultiplied drawing sessions. A drawing object opens a session when it
  // is made and closes it when deleted; while any session is open, `prepare`
  // makes an area premultiplied (remembering the straight bytes it had), and
  // when the last session closes the prepared region goes back to straight
  // colour: pixels that no drawing changed get their old bytes back exactly.
  // Pixels of `overwritten` are about to be replaced whole with opaque paint,
  // so whatever they hold now is neither looked at nor needed back.
  void openSession();
  void closeSession();
  void prepare(const PixelRect& area, const PixelRect& overwritten = {});

 private:
  void restoreStraight();
  std::size_t byteSize() const;

  int pixelWidth;
  int pixelHeight;
  bool rowsTopDown;
  std::uint8_t* memory;

  std::mutex sessionMutex;
  int sessions = 0;
  PixelRect prepared;  // premultiplied while sessions are open
  // Straight pixels of `prepared`, row by row; empty while they were all
  // zero (a freshly cleared surface, the usual case), which needs no copy
  // and no conversion since zero is zero in both forms.
  std::vector<std::uint32_t> original;
};

}  // namespace horaz::platform::detail
