#pragma once

#include <cstdint>
#include <vector>

#include "cli/pixels/picture.h"

namespace horaz::studio {

// The PNG bytes of `picture` without its alpha, made for speed rather than
// size: the viewer asks for a new picture on every mouse move, over the
// loopback, where a few more bytes cost less than a slower deflate.
// Throws std::runtime_error.
std::vector<uint8_t> encodePreviewPng(const cli::RgbaPicture& picture);

}  // namespace horaz::studio
