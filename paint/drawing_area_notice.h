#pragma once

#include <functional>

#include "paint/pixel_area.h"

namespace horaz {

// Told, before a painter's first drawing call, every pixel that the painter
// can touch; the surface clears and reads only that area.
using DrawingAreaNotice = std::function<void(const PixelArea&)>;

}  // namespace horaz
