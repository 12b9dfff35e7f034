#include "render_test_support.h"

#include <cstring>

#ifndef _WIN32
#include <horaz_platform/status.h>
#endif

namespace horaz::test {

std::string clockTypeName(int32_t clockType) {
  switch (clockType) {
    case kAnalog: return "analog";
    case kDigital: return "digital";
    case kLed: return "led";
  }
  return std::to_string(clockType);
}

std::vector<FrameFormat> representativeFormats() {
  return {
      {PixelFormat::kBgra, false, false, 0, 0}, {PixelFormat::kRgba, false, true, 0, 0},
      {PixelFormat::kArgb, false, false, 3, 1}, {PixelFormat::kCbYCrY, false, false, 0, 0},
      {PixelFormat::kYCbYCr, true, true, 2, 0},
  };
}

std::string formatName(const FrameFormat& format) {
  std::string name(testhost::pixelFormatName(format.pixels));
  if (format.pairingFlag) name += "_paired";
  if (format.bottomUp) name += "_bottom_up";
  if (format.rowPadding != 0 || format.baseOffset != 0) name += "_unaligned";
  return name;
}

void fillNoise(HostFrame& frame, uint32_t seed) {
  uint32_t state = seed * 2654435761u + 12345u;
  for (int32_t y = 0; y < frame.height(); ++y) {
    uint8_t* row = frame.memoryRow(y);
    for (int32_t i = 0; i < frame.rowBytes(); ++i) {
      state = state * 1664525u + 1013904223u;
      row[i] = static_cast<uint8_t>(state >> 24);
    }
  }
}

void fillBytes(HostFrame& frame, uint8_t value) {
  for (int32_t y = 0; y < frame.height(); ++y) std::memset(frame.memoryRow(y), value, size_t(frame.rowBytes()));
}

bool allBytesAreInRow(const HostFrame& frame, int32_t memoryRow, uint8_t value) {
  const uint8_t* row = frame.memoryRow(memoryRow);
  for (int32_t i = 0; i < frame.rowBytes(); ++i)
    if (row[i] != value) return false;
  return true;
}

bool allBytesAre(const HostFrame& frame, uint8_t value) {
  for (int32_t y = 0; y < frame.height(); ++y)
    if (!allBytesAreInRow(frame, y, value)) return false;
  return true;
}

bool rowsEqual(const HostFrame& a, const HostFrame& b, int32_t memoryRow) {
  return std::memcmp(a.memoryRow(memoryRow), b.memoryRow(memoryRow), size_t(a.rowBytes())) == 0;
}

bool framesEqual(const HostFrame& a, const HostFrame& b) { return differingRows(a, b).empty(); }

std::vector<int32_t> differingRows(const HostFrame& a, const HostFrame& b) {
  std::vector<int32_t> rows;
  for (int32_t y = 0; y < a.height(); ++y)
    if (!rowsEqual(a, b, y)) rows.push_back(y);
  return rows;
}

FramePair makeFrames(RenderHost& host, int32_t width, int32_t height, FrameFormat format, uint32_t seed) {
  FramePair frames{host.makeFrame(width, height, format), host.makeFrame(width, height, format)};
  fillNoise(frames.in(), seed);
  fillBytes(frames.out(), 0xA5);
  return frames;
}

::testing::AssertionResult platformClean() {
#ifdef _WIN32
  // The system's own GDI and GDI+ keep no counts a program can read back.
  return ::testing::AssertionSuccess();
#else
  const int startups = platform::gdiplusStartupCount();
  const int gdiplusObjects = platform::liveGdiplusObjects().total();
  const int gdiObjects = platform::liveGdiObjects().total();
  if (startups == 0 && gdiplusObjects == 0 && gdiObjects == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "GDI+ start-ups " << startups << ", live GDI+ objects " << gdiplusObjects
                                       << ", live GDI objects " << gdiObjects;
#endif
}

}  // namespace horaz::test
