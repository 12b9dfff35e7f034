#pragma once

#include <cstdint>

#include "cli/pixels/picture.h"

namespace horaz::cli {

// The moving test pattern that `horaz render` uses when given no input:
// colour bars that scroll left by one bar width every second or so, a grey
// ramp, and a white square that sweeps across the bottom band. Frame
// `index` of a clip; everything is opaque.
void drawTestPattern(int64_t index, RgbaPicture& picture);

}  // namespace horaz::cli
