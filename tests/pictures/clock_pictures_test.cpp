// Every clock type rendered through the reference host into each pixel
// layout, against one reference per pixel family: all layouts of a family
// must give the same picture.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "testhost/frame.h"
#include "testhost/render_host.h"
#include "tests/pictures/reference_check.h"

namespace horaz::test {
namespace {

using testhost::FrameFormat;
using testhost::HostFrame;
using testhost::PixelFormat;
using testhost::RenderHost;

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 180;
// 1.6 s into the clip: 10:08:31, frame 15 of the second.
constexpr double kFrameNumber = 40;

struct ClockPicture {
  std::string name;
  int32_t clockType;
  Tolerance tolerance;
  std::vector<std::pair<std::string, double>> settings;
};

const std::vector<ClockPicture> kClockPictures{
    // Large enough for 3-pixel hour marks.
    {"analog", 0, kAntiAliased, {{"Size", 100}}},
    {"digital", 1, kAntiAliased, {}},
    // The digital clock's box alone: the text is transparent.
    {"digital_box", 1, kExact, {{"Foreground Opacity", 0}}},
    {"led", 2, kExact, {}},
    // A clock type without a painter leaves the input as it is.
    {"untouched", 3, kExact, {}},
};

// The pixel families, each with layouts that differ in byte order, row
// order, padding, alignment and the pairing flag.
struct Family {
  std::string name;
  std::vector<FrameFormat> formats;
};

const std::vector<Family> kFamilies{
    {"rgb",
     {{.pixels = PixelFormat::kRgba},
      {.pixels = PixelFormat::kBgra, .bottomUp = true},
      {.pixels = PixelFormat::kArgb, .rowPadding = 3, .baseOffset = 1}}},
    {"ycbcr",
     {{.pixels = PixelFormat::kCbYCrY},
      {.pixels = PixelFormat::kYCbYCr, .pairingFlag = true, .bottomUp = true, .rowPadding = 1, .baseOffset = 2}}},
};

void setCommonParameters(RenderHost& host) {
  const std::pair<const char*, double> settings[] = {
      {"Start Time Hour", 10},    {"Start Time Minute", 8},  {"Start Time Second", 30},
      {"Style List", 10},         {"Alignment List", 1},     {"Size", 80},
      {"Foreground Red", 240},    {"Foreground Green", 240}, {"Foreground Blue", 240},
      {"Background Red", 30},     {"Background Green", 40},  {"Background Blue", 90},
      {"Background Opacity", 60},
  };
  for (const auto& [name, value] : settings) host.setNumber(name, value);
}

// Ramps of red across and green down, blue in a checkerboard and alpha in
// bands, so that every channel's path through the render shows.
void drawInput(HostFrame& frame) {
  for (int32_t y = 0; y < frame.height(); ++y) {
    for (int32_t x = 0; x < frame.width(); ++x) {
      const bool dark = (x / 40 + y / 30) % 2 == 0;
      frame.setPixelRgb(
          x, y,
          {static_cast<uint8_t>(x * 255 / (frame.width() - 1)), static_cast<uint8_t>(y * 255 / (frame.height() - 1)),
           static_cast<uint8_t>(dark ? 60 : 200), static_cast<uint8_t>(255 - (y / 45) * 40)});
    }
  }
}

// RGB-type frames as RGBA. YCbCr frames exactly as stored: each pixel's
// luma, Cb and Cr (its pair's chroma) in the red, green and blue channels.
Picture pictureOf(const HostFrame& frame) {
  const bool ycc = testhost::isYcc(frame.format().pixels);
  Picture picture = Picture::blank(frame.width(), frame.height(), ycc ? 3 : 4);
  const auto offsets = testhost::layoutAnswersFor(frame.format()).offsets;
  for (int32_t y = 0; y < frame.height(); ++y) {
    const uint8_t* row = frame.memoryRow(frame.memoryRowOf(y));
    for (int32_t x = 0; x < frame.width(); ++x) {
      uint8_t* to = picture.pixel(x, y);
      if (ycc) {
        const uint8_t* pair = row + static_cast<size_t>(x / 2) * 4;
        to[0] = pair[offsets[4 + x % 2]];
        to[1] = pair[offsets[6]];
        to[2] = pair[offsets[7]];
      } else {
        const testhost::Rgb colour = frame.pixelRgb(x, y);
        to[0] = colour.red;
        to[1] = colour.green;
        to[2] = colour.blue;
        to[3] = colour.alpha;
      }
    }
  }
  return picture;
}

// Test names in ctest's list, instead of the bytes of the case.
void PrintTo(const ClockPicture& clock, std::ostream* out) { *out << clock.name; }
void PrintTo(const Family& family, std::ostream* out) { *out << family.name; }

using PictureCase = std::tuple<ClockPicture, Family>;

class ReferenceClockPictures : public ::testing::TestWithParam<PictureCase> {};

TEST_P(ReferenceClockPictures, EveryLayoutOfTheFamilyMatchesTheReference) {
  const auto& [clock, family] = GetParam();
  RenderHost host;
  setCommonParameters(host);
  host.setNumber("the List value", clock.clockType);
  for (const auto& [name, value] : clock.settings) host.setNumber(name, value);

  for (const FrameFormat& format : family.formats) {
    SCOPED_TRACE(std::string(testhost::pixelFormatName(format.pixels)) + (format.bottomUp ? " bottom-up" : "") +
                 (format.pairingFlag ? " paired" : ""));
    auto input = host.makeFrame(kWidth, kHeight, format);
    auto output = host.makeFrame(kWidth, kHeight, format);
    drawInput(*input.get());
    ASSERT_EQ(host.renderFrame(kFrameNumber, *input.get(), *output.get()), acf::kOk);
    EXPECT_TRUE(matchesReference(clock.name + "_" + family.name, pictureOf(*output.get()), clock.tolerance));
  }
}

INSTANTIATE_TEST_SUITE_P(, ReferenceClockPictures,
                         ::testing::Combine(::testing::ValuesIn(kClockPictures), ::testing::ValuesIn(kFamilies)),
                         [](const ::testing::TestParamInfo<PictureCase>& info) {
                           return std::get<0>(info.param).name + "_" + std::get<1>(info.param).name;
                         });

}  // namespace
}  // namespace horaz::test
