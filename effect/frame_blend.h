#pragma once

#include <cstdint>

#include "host/render.h"
#include "paint/pixel_area.h"

namespace horaz {

// What became of one blend. Only kBlended writes the output frame; every
// other outcome leaves it exactly as the host handed it over, so the render
// can tell "nothing was composited" apart from success.
enum class BlendResult : uint8_t {
  // Every written row that the host gave both row pointers for was blended;
  // a row whose input or output pointer is null is skipped.
  kBlended,
  // A pixel kind the blend does not composite (not 2, 3 or 4), or kind 2
  // with a component count other than 4.
  kUnhandledLayout,
  // The layout answered values that would make the blend reach outside a
  // pixel: a pixel step of 0 or less, or a component offset outside the step.
  kUnsafeLayout,
  // No surface, a row step below 1 or a start row below 0.
  kInvalidArguments,
};

// Lays the surface over the input frame and writes the result into the
// output frame, on rows startRow, startRow + rowStep, ... below `height`.
//
// `surfacePixels`: width x height pixels of 4 bytes (blue, green, red, alpha;
// alpha 0 = nothing drawn), rows of width x 4 bytes, in the same row order as
// the frames (the render makes the surface top-down exactly when the layout
// reports row order 0). Output row y always takes surface row y: in field
// rendering (rowStep 2) the clock lands at the same place in both fields.
//
// `layout` is the output frame's pixel layout; the input frame is read with
// it too. Row pointers are asked once per row, with a second argument of 0.
//
// RGB-type pixels (kind 2, 4 components): alpha 0 copies the pixel;
// otherwise each colour component is ((255 - a) * in) / 255 + (s * a) / 255
// in integers and the fourth component takes the surface alpha.
// YCbCr 4:2:2 pairs (kinds 3 and 4; the step doubles when the pairing flag
// answers 1): the first pixel's alpha decides; 0 copies the pair, otherwise
// Y, Cb and Cr are blended from the first pixel and the second Y from the
// second pixel. In a frame of odd width the last pair has no second pixel:
// its Cb, first Y and Cr are written as for any pair and its second Y (which
// lies outside the picture) is not written at all.
//
// Runs on the render's thread; the frames and the layout are used only
// during the call.
[[nodiscard]] BlendResult blendSurface(const uint8_t* surfacePixels, int32_t width, int32_t height, acf::Frame& output,
                                       acf::Frame& input, acf::PixelLayout& layout, int32_t startRow, int32_t rowStep);

// The same, reading only the surface pixels in `readArea` (rows as the
// surface holds them in memory): every pixel outside it counts as
// transparent and is never read, so it may hold anything. A YCbCr pair is
// read only when both its pixels are inside (the last pair of an odd width
// when its one pixel is).
[[nodiscard]] BlendResult blendSurface(const uint8_t* surfacePixels, int32_t width, int32_t height, acf::Frame& output,
                                       acf::Frame& input, acf::PixelLayout& layout, int32_t startRow, int32_t rowStep,
                                       const PixelArea& readArea);

// Whether the blend may use its AVX2 loops where the processor has them and
// the system keeps the stack aligned for them (the default). Turned off,
// every processor takes the SSE2 loops, so that tests can hold both to the
// reference.
void allowAvx2Blend(bool allowed);

// The same blend as a plain per-pixel loop: the definition the fast version
// above must match byte for byte.
[[nodiscard]] BlendResult blendSurfaceReference(const uint8_t* surfacePixels, int32_t width, int32_t height,
                                                acf::Frame& output, acf::Frame& input, acf::PixelLayout& layout,
                                                int32_t startRow, int32_t rowStep);

}  // namespace horaz
