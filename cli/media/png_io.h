#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/pixels/picture.h"

namespace horaz::cli {

// Reads any PNG (palette, grey, 16-bit, with or without alpha) as 8-bit
// RGBA. Throws std::runtime_error naming the file.
RgbaPicture readPng(const std::string& path);

// The PNG file bytes of `picture`; with `withAlpha` false the alpha bytes are
// dropped (an RGB PNG). Throws std::runtime_error.
std::vector<uint8_t> encodePng(const RgbaPicture& picture, bool withAlpha);

}  // namespace horaz::cli
