#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace horaz::test {

// An 8-bit picture as it is stored in a PNG: rows top to bottom, `channels`
// bytes per pixel (3 or 4), no padding.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 4;
  std::vector<uint8_t> bytes;

  static Picture blank(int32_t width, int32_t height, int32_t channels) {
    return {
        width, height, channels,
        std::vector<uint8_t>(static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels))};
  }
  size_t offset(int32_t x, int32_t y) const {
    return (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) *
           static_cast<size_t>(channels);
  }
  uint8_t* pixel(int32_t x, int32_t y) { return bytes.data() + offset(x, y); }
  const uint8_t* pixel(int32_t x, int32_t y) const { return bytes.data() + offset(x, y); }
  friend bool operator==(const Picture&, const Picture&) = default;
};

}  // namespace horaz::test
