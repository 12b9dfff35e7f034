#pragma once

#include <cstddef>
#include <cstdint>

#include "effect/frame_blend.h"
#include "host/render.h"

namespace horaz::blend {

enum class PixelFamily : uint8_t { kRgb, kYcc };

// Where the blend finds each component within a pixel (RGB-type) or a pair
// (YCbCr), and how far apart pixels or pairs lie. Read once per frame.
struct BlendLayout {
  PixelFamily family = PixelFamily::kRgb;
  // RGB-type: components 0 to 3 (red, green, blue, alpha).
  int32_t red = 0, green = 0, blue = 0, alpha = 0;
  // YCbCr: components 6, 4, 7 and 5.
  int32_t cb = 0, yFirst = 0, cr = 0, ySecond = 0;
  // Bytes from one pixel (RGB-type) or one pair (YCbCr) to the next, the
  // pairing flag already applied.
  int32_t step = 0;
};

// Asks the layout, in the order the host sees from the render: the kind; for
// kind 2 the component count, the offsets of components 0 to 3 and the pixel
// step; for kinds 3 and 4 the offsets of components 6, 4, 7 and 5, the pixel
// step and the pairing flag. Then checks that the answers keep every access
// inside a pixel. Returns kBlended when `out` is usable.
BlendResult readBlendLayout(acf::PixelLayout& layout, BlendLayout& out);

// Checks the caller's own arguments.
inline bool validBlendArguments(const uint8_t* surfacePixels, int32_t startRow, int32_t rowStep) {
  return surfacePixels != nullptr && startRow >= 0 && rowStep >= 1;
}

// The first byte of surface row y: rows are width x 4 bytes, no padding.
inline const uint8_t* surfaceRow(const uint8_t* surfacePixels, int32_t width, int32_t y) {
  return surfacePixels + static_cast<size_t>(y) * static_cast<size_t>(width) * 4u;
}

}  // namespace horaz::blend
