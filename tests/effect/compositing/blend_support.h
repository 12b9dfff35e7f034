// Frames, surfaces and the two blend implementations, for the compositing
// tests.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "effect/frame_blend.h"
#include "host/counted_ref.h"
#include "testhost/frame.h"
#include "testhost/ledger.h"

namespace horaz::testing {

using testhost::FrameFormat;
using testhost::HostFrame;
using testhost::PixelFormat;

using BlendFunction = BlendResult (*)(const uint8_t*, int32_t, int32_t, acf::Frame&, acf::Frame&, acf::PixelLayout&,
                                      int32_t, int32_t);

struct NamedBlend {
  const char* name;
  BlendFunction blend;
};
inline const NamedBlend kBlends[] = {{"Reference", &blendSurfaceReference}, {"Fast", &blendSurface}};
inline std::string blendName(const NamedBlend& blend) { return blend.name; }
inline void PrintTo(const NamedBlend& blend, std::ostream* os) { *os << blend.name; }

// A surface of width x height pixels, all transparent.
struct Surface {
  int32_t width;
  int32_t height;
  std::vector<uint8_t> pixels;

  Surface(int32_t w, int32_t h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 4, 0) {}
  void set(int32_t x, int32_t y, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
    uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
    p[0] = blue;
    p[1] = green;
    p[2] = red;
    p[3] = alpha;
  }
  void fill(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) set(x, y, red, green, blue, alpha);
  }
};

// An input and an output frame of one format, sharing a ledger.
struct FramePair {
  std::shared_ptr<testhost::Ledger> ledger = std::make_shared<testhost::Ledger>();
  CountedRef<HostFrame> input;
  CountedRef<HostFrame> output;

  FramePair(int32_t width, int32_t height, FrameFormat format)
      : input(CountedRef<HostFrame>::adopt(testhost::make<HostFrame>(ledger, width, height, format))),
        output(CountedRef<HostFrame>::adopt(testhost::make<HostFrame>(ledger, width, height, format))) {}

  HostFrame& in() { return *input.get(); }
  HostFrame& out() { return *output.get(); }

  BlendResult blend(BlendFunction function, const Surface& surface, int32_t startRow = 0, int32_t rowStep = 1) {
    return function(surface.pixels.data(), surface.width, surface.height, out(), in(), output->layout(), startRow,
                    rowStep);
  }
};

// Every memory row's pixel bytes, one after another.
inline std::vector<uint8_t> pixelBytes(const HostFrame& frame) {
  std::vector<uint8_t> bytes;
  for (int32_t y = 0; y < frame.height(); ++y) {
    const auto row = frame.memoryRowBytes(y);
    bytes.insert(bytes.end(), row.begin(), row.end());
  }
  return bytes;
}

// Fills every memory row's pixel bytes with a pattern that differs per byte.
inline void fillPattern(HostFrame& frame, uint8_t seed) {
  for (int32_t y = 0; y < frame.height(); ++y) {
    uint8_t* row = frame.memoryRow(y);
    for (int32_t i = 0; i < frame.rowBytes(); ++i) row[i] = static_cast<uint8_t>(seed + y * 31 + i * 7);
  }
}

}  // namespace horaz::testing
