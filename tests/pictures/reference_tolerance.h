#pragma once

#include <cstdint>

namespace horaz::test {

// How far a rendered picture may stray from its reference. A pixel counts as
// different when any of its channels differs by more than `channel`; the
// picture matches when at most `pixels` pixels count as different.
struct Tolerance {
  int32_t channel = 0;
  int64_t pixels = 0;
};

// Integer geometry (LED rectangles, box placement, the untouched input, the
// blend of any of them): every byte as in the reference.
inline constexpr Tolerance kExact{0, 0};

// Text and anti-aliased shapes (the digital readout, the analog face).
// Another release of the rasteriser or of the font may shade an edge pixel
// differently, which the channel allowance absorbs (32 of 255: an eighth of
// a pixel's coverage). A glyph edge may also cross that threshold at a
// pixel or two, which the pixel allowance absorbs. It stays below the 4
// pixels that change by a whole colour step when a 2-pixel hour mark moves
// by one pixel, so that a mark out of place fails.
inline constexpr Tolerance kAntiAliased{32, 3};

}  // namespace horaz::test
