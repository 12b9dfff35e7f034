#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/counted_ref.h"
#include "testhost/frame.h"
#include "testhost/render_host.h"

namespace horaz::test {

using testhost::FrameFormat;
using testhost::HostFrame;
using testhost::Ledger;
using testhost::PixelFormat;
using testhost::RenderHost;
using testhost::RenderSettings;

inline constexpr acf::Result kHostFailure = acf::makeFailure(0x8000ABCDu);

// The clock types of `the List value`.
inline constexpr int32_t kAnalog = 0;
inline constexpr int32_t kDigital = 1;
inline constexpr int32_t kLed = 2;

// "analog", "digital", "led", or the number.
std::string clockTypeName(int32_t clockType);

// Frame layouts worth rendering into: both pixel families, both row orders,
// the pairing flag, unaligned rows.
std::vector<FrameFormat> representativeFormats();
std::string formatName(const FrameFormat& format);

// Deterministic noise in every byte of every row's pixels.
void fillNoise(HostFrame& frame, uint32_t seed);
// The same byte everywhere: a marker for "not written".
void fillBytes(HostFrame& frame, uint8_t value);

// Every pixel byte of every row is `value`.
bool allBytesAre(const HostFrame& frame, uint8_t value);
bool allBytesAreInRow(const HostFrame& frame, int32_t memoryRow, uint8_t value);

bool rowsEqual(const HostFrame& a, const HostFrame& b, int32_t memoryRow);
bool framesEqual(const HostFrame& a, const HostFrame& b);
// Memory rows in which the two frames differ.
std::vector<int32_t> differingRows(const HostFrame& a, const HostFrame& b);

// A render's frames: noise in the input, a marker in the output.
struct FramePair {
  CountedRef<HostFrame> input;
  CountedRef<HostFrame> output;
  HostFrame& in() const { return *input.get(); }
  HostFrame& out() const { return *output.get(); }
};
FramePair makeFrames(RenderHost& host, int32_t width, int32_t height, FrameFormat format = {}, uint32_t seed = 1);

// GDI+ shut down, and no GDI+ or GDI object left alive.
::testing::AssertionResult platformClean();

// A fresh host for every test: plug-in loaded, registered, default effect.
class RenderTest : public ::testing::Test {
 protected:
  RenderTest() : host_(std::make_unique<RenderHost>()) {}
  RenderHost& host() { return *host_; }

  std::unique_ptr<RenderHost> host_;
};

}  // namespace horaz::test
