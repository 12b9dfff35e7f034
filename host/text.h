#pragma once

#include <cstdint>

namespace acf {

// Texts handed to the host are NUL-terminated UTF-16 strings. A text-valued
// attribute is passed with the size -1.
using Char = char16_t;
using Text = const char16_t*;

inline constexpr int32_t kTextSize = -1;

}  // namespace acf
