#pragma once

#include <filesystem>

#include "tests/pictures/picture.h"

namespace horaz::test {

// Reads a PNG as 8-bit RGB (3 channels) or, when it has alpha, RGBA (4).
// Throws std::runtime_error naming the file.
Picture readPng(const std::filesystem::path& path);

// Writes an RGB or RGBA picture as a PNG, creating the folder when needed.
// Throws std::runtime_error naming the file.
void writePng(const std::filesystem::path& path, const Picture& picture);

}  // namespace horaz::test
