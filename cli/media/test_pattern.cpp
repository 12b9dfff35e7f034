#include "cli/media/test_pattern.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace horaz::cli {
namespace {

struct Colour {
  uint8_t red, green, blue;
};

// 75 % bars: white, yellow, cyan, green, magenta, red, blue, black.
constexpr std::array<Colour, 8> kBars{{{191, 191, 191},
                                       {191, 191, 0},
                                       {0, 191, 191},
                                       {0, 191, 0},
                                       {191, 0, 191},
                                       {191, 0, 0},
                                       {0, 0, 191},
                                       {16, 16, 16}}};

void put(uint8_t* pixel, Colour colour) {
  pixel[0] = colour.red;
  pixel[1] = colour.green;
  pixel[2] = colour.blue;
  pixel[3] = 255;
}

}  // namespace

void drawTestPattern(int64_t index, RgbaPicture& picture) {
  const int32_t width = picture.width;
  const int32_t height = picture.height;
  const int32_t barsEnd = height * 3 / 5;
  const int32_t rampEnd = height * 3 / 4;
  const int64_t barWidth = std::max(1, width / 8);
  // One bar width per 25 frames.
  const int64_t scroll = index * barWidth / 25;
  const int32_t square = std::max(1, height / 8);
  const int32_t travel = std::max(1, width - square);
  const int64_t phase = (index * std::max(1, width / 100)) % (2 * int64_t{travel});
  const int32_t squareLeft = static_cast<int32_t>(phase < travel ? phase : 2 * int64_t{travel} - phase);
  const int32_t squareTop = rampEnd + (height - rampEnd - square) / 2;

  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = picture.row(y);
    if (y < barsEnd) {
      for (int32_t x = 0; x < width; ++x)
        put(row + static_cast<size_t>(x) * 4, kBars[static_cast<size_t>(((x + scroll) / barWidth) % 8)]);
    } else if (y < rampEnd) {
      for (int32_t x = 0; x < width; ++x) {
        const auto grey = static_cast<uint8_t>(width > 1 ? int64_t{x} * 255 / (width - 1) : 128);
        put(row + static_cast<size_t>(x) * 4, {grey, grey, grey});
      }
    } else {
      const bool inSquareRows = y >= squareTop && y < squareTop + square;
      for (int32_t x = 0; x < width; ++x) {
        const bool inSquare = inSquareRows && x >= squareLeft && x < squareLeft + square;
        put(row + static_cast<size_t>(x) * 4, inSquare ? Colour{235, 235, 235} : Colour{24, 32, 56});
      }
    }
  }
}

}  // namespace horaz::cli
