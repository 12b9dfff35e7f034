#include "cli/pixels/frame_conversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "cli/pixels/pixel_rows.h"
#include "testhost/frame_memory.h"

namespace horaz::cli {
namespace {

using testhost::HostFrame;

using rows::RangeMap;

// Full-range BT.601 in 16.16 fixed point (the weights of pixel_rows.h).
using rows::kCbB, rows::kCbG, rows::kCbR, rows::kCrB, rows::kCrG, rows::kCrR, rows::kYb, rows::kYg, rows::kYr;

uint8_t lumaOf(int32_t r, int32_t g, int32_t b) { return rows::clampedFixed(kYr * r + kYg * g + kYb * b); }

// Byte offsets within a pixel (RGB-type) or a pair (YCbCr), from the layout
// the frame answers.
struct Offsets {
  int32_t red, green, blue, alpha;
  int32_t y0, y1, cb, cr;
};
Offsets offsetsOf(const HostFrame& frame) {
  const testhost::LayoutAnswers answers = testhost::layoutAnswersFor(frame.format());
  const auto& o = answers.offsets;
  return Offsets{o[0], o[1], o[2], o[3], o[4], o[5], o[6], o[7]};
}

void checkSize(int32_t width, int32_t height, const HostFrame& frame) {
  if (width != frame.width() || height != frame.height()) throw std::invalid_argument("picture and frame sizes differ");
}

rows::PairLayout pairLayoutOf(const HostFrame& frame) {
  return frame.format().pixels == testhost::PixelFormat::kCbYCrY ? rows::PairLayout::kCbYCrY
                                                                 : rows::PairLayout::kYCbYCr;
}

// One sample per pair from one per pixel (the last pair of an odd width has
// one pixel).
void halveChroma(const uint8_t* in, uint8_t* out, size_t width) {
  rows::halveRow(in, out, width / 2);
  if (width % 2 != 0) out[width / 2] = in[width - 1];
}

// Chroma of picture row y with one sample per pair. Returns pointers to the
// samples: the picture's own row, or `cb` and `cr` (resized to the pairs).
struct ChromaRow {
  const uint8_t* cb;
  const uint8_t* cr;
};
ChromaRow pairChroma(const YuvView& picture, int32_t y, std::vector<uint8_t>& cb, std::vector<uint8_t>& cr) {
  const auto pairs = static_cast<size_t>((picture.width + 1) / 2);
  const auto chromaWidth = static_cast<size_t>(picture.chromaWidth());
  cb.resize(pairs);
  cr.resize(pairs);
  switch (picture.chroma) {
    case Chroma::k422: return {picture.cbRow(y), picture.crRow(y)};
    case Chroma::k420: {
      // The chroma rows sit between luma rows 2k and 2k + 1.
      const int32_t nearer = y / 2;
      const int32_t farther = std::clamp((y % 2 == 0) ? nearer - 1 : nearer + 1, 0, picture.chromaHeight() - 1);
      rows::interpolateRow(picture.cbRow(nearer), picture.cbRow(farther), cb.data(), pairs);
      rows::interpolateRow(picture.crRow(nearer), picture.crRow(farther), cr.data(), pairs);
      return {cb.data(), cr.data()};
    }
    case Chroma::k444: {
      halveChroma(picture.cbRow(y), cb.data(), chromaWidth);
      halveChroma(picture.crRow(y), cr.data(), chromaWidth);
      return {cb.data(), cr.data()};
    }
  }
  return {cb.data(), cr.data()};
}

// The last pair's second luma of an odd-width row is outside the picture:
// the row in `scratch` with the last sample repeated.
const uint8_t* evenLumaRow(const uint8_t* row, int32_t width, std::vector<uint8_t>& scratch) {
  if (width % 2 == 0) return row;
  scratch.resize(static_cast<size_t>(width) + 1);
  std::copy_n(row, width, scratch.data());
  scratch.back() = row[width - 1];
  return scratch.data();
}

// Rows of another matrix: each row's luma and pair chroma are taken to
// BT.601 first, then packed as a 4:2:2 row.
void convertedToYccFrame(const YuvView& picture, HostFrame& frame) {
  const rows::PairLayout layout = pairLayoutOf(frame);
  const rows::MatrixMap map = rows::matrixMap(picture.matrix, Matrix::kBt601, !picture.fullRange);
  const auto pairs = static_cast<size_t>((picture.width + 1) / 2);
  std::vector<uint8_t> oddLuma, cbPairs, crPairs, luma(2 * pairs), cb(pairs), cr(pairs);
  for (int32_t y = 0; y < picture.height; ++y) {
    const ChromaRow chroma = pairChroma(picture, y, cbPairs, crPairs);
    const uint8_t* lumaRow = evenLumaRow(picture.lumaRow(y), picture.width, oddLuma);
    rows::convertPairs(map, lumaRow, chroma.cb, chroma.cr, luma.data(), cb.data(), cr.data(), pairs);
    rows::packRow(layout, luma.data(), {cb.data(), cb.data(), cr.data(), cr.data()}, !picture.fullRange,
                  frame.memoryRow(frame.memoryRowOf(y)), pairs);
  }
}

void yuvToYccFrame(const YuvView& picture, HostFrame& frame) {
  if (picture.matrix != Matrix::kBt601) {
    convertedToYccFrame(picture, frame);
    return;
  }
  const rows::PairLayout layout = pairLayoutOf(frame);
  const int32_t width = picture.width;
  const auto pairs = static_cast<size_t>((width + 1) / 2);
  std::vector<uint8_t> oddLuma, cbHalf, crHalf;
  for (int32_t y = 0; y < picture.height; ++y) {
    rows::ChromaSource chroma{};
    if (picture.chroma == Chroma::k444) {
      // One sample per pair first; then it is a 4:2:2 row.
      const ChromaRow halved = pairChroma(picture, y, cbHalf, crHalf);
      chroma = {halved.cb, halved.cb, halved.cr, halved.cr};
    } else {
      // 4:2:2: the row itself. 4:2:0: the chroma rows sit between luma rows
      // 2k and 2k + 1; weigh the nearer 3/4.
      const int32_t nearer = picture.chroma == Chroma::k420 ? y / 2 : y;
      const int32_t farther = picture.chroma == Chroma::k420
                                  ? std::clamp((y % 2 == 0) ? nearer - 1 : nearer + 1, 0, picture.chromaHeight() - 1)
                                  : y;
      chroma = {picture.cbRow(nearer), picture.cbRow(farther), picture.crRow(nearer), picture.crRow(farther)};
    }
    const uint8_t* lumaRow = evenLumaRow(picture.lumaRow(y), width, oddLuma);
    rows::packRow(layout, lumaRow, chroma, !picture.fullRange, frame.memoryRow(frame.memoryRowOf(y)), pairs);
  }
}

void yuvToRgbFrame(const YuvView& picture, HostFrame& frame) {
  const Offsets o = offsetsOf(frame);
  const int32_t width = picture.width;
  const rows::MatrixMap map = rows::matrixMap(picture.matrix, Matrix::kBt601, !picture.fullRange);
  // Rows of one sample per pixel, in BT.601 and full range.
  std::vector<uint8_t> cbBuffer, crBuffer, cbFull(static_cast<size_t>(width)), crFull(static_cast<size_t>(width)),
      lumaFull(static_cast<size_t>(width));
  for (int32_t y = 0; y < picture.height; ++y) {
    const uint8_t* cb;
    const uint8_t* cr;
    if (picture.chroma == Chroma::k444) {
      cb = picture.cbRow(y);
      cr = picture.crRow(y);
    } else {
      // Back to one sample per pixel: even pixels take their pair's sample,
      // odd pixels the mean of their pair's and the next pair's.
      const ChromaRow c = pairChroma(picture, y, cbBuffer, crBuffer);
      rows::widenChromaRow(c.cb, cbFull.data(), cbFull.size());
      rows::widenChromaRow(c.cr, crFull.data(), crFull.size());
      cb = cbFull.data();
      cr = crFull.data();
    }
    const uint8_t* lumaRow = picture.lumaRow(y);
    if (picture.matrix != Matrix::kBt601) {
      rows::convertPixels(map, lumaRow, cb, cr, lumaFull.data(), cbFull.data(), crFull.data(), lumaFull.size());
      lumaRow = lumaFull.data();
      cb = cbFull.data();
      cr = crFull.data();
    }
    if (!picture.fullRange) {
      rows::mapRange(RangeMap::kLumaToFull, lumaRow, lumaFull.data(), lumaFull.size());
      rows::mapRange(RangeMap::kChromaToFull, cb, cbFull.data(), cbFull.size());
      rows::mapRange(RangeMap::kChromaToFull, cr, crFull.data(), crFull.size());
      lumaRow = lumaFull.data();
      cb = cbFull.data();
      cr = crFull.data();
    }
    rows::planesToRgbRow(lumaRow, cb, cr, {o.red, o.green, o.blue, o.alpha}, frame.memoryRow(frame.memoryRowOf(y)),
                         static_cast<size_t>(width));
  }
}

}  // namespace

void fillFrame(const YuvView& picture, HostFrame& frame) {
  checkSize(picture.width, picture.height, frame);
  if (testhost::isYcc(frame.format().pixels))
    yuvToYccFrame(picture, frame);
  else
    yuvToRgbFrame(picture, frame);
}

void fillFrame(const RgbaPicture& picture, HostFrame& frame) {
  checkSize(picture.width, picture.height, frame);
  const Offsets o = offsetsOf(frame);
  const int32_t width = picture.width;
  const bool ycc = testhost::isYcc(frame.format().pixels);
  for (int32_t y = 0; y < picture.height; ++y) {
    const uint8_t* in = picture.row(y);
    uint8_t* out = frame.memoryRow(frame.memoryRowOf(y));
    if (!ycc) {
      for (int32_t x = 0; x < width; ++x, in += 4, out += 4) {
        out[o.red] = in[0];
        out[o.green] = in[1];
        out[o.blue] = in[2];
        out[o.alpha] = in[3];
      }
      continue;
    }
    for (int32_t x = 0; x < width; x += 2, out += 4) {
      const uint8_t* first = in + static_cast<size_t>(x) * 4;
      const uint8_t* second = x + 1 < width ? first + 4 : first;
      out[o.y0] = lumaOf(first[0], first[1], first[2]);
      out[o.y1] = lumaOf(second[0], second[1], second[2]);
      // The pair's chroma is that of the mean colour: half the sum, with the
      // halving folded into the shift.
      const int32_t r = first[0] + second[0], g = first[1] + second[1], b = first[2] + second[2];
      out[o.cb] =
          static_cast<uint8_t>(std::clamp((kCbR * r + kCbG * g + kCbB * b + (256 << 16) + (1 << 16)) >> 17, 0, 255));
      out[o.cr] =
          static_cast<uint8_t>(std::clamp((kCrR * r + kCrG * g + kCrB * b + (256 << 16) + (1 << 16)) >> 17, 0, 255));
    }
  }
}

namespace {

// The frame's rows as planar YCbCr in a coding's range and matrix, with
// the frame's own chroma: one sample per pair for YCbCr frames, one per
// pixel for RGB-type frames.
class PlaneRows {
 public:
  PlaneRows(const HostFrame& frame, const PlaneCoding& coding)
      : frame_(frame),
        ycc_(testhost::isYcc(frame.format().pixels)),
        studio_(!coding.fullRange),
        converted_(coding.matrix != Matrix::kBt601),
        map_(rows::matrixMap(Matrix::kBt601, coding.matrix, studio_)),
        width_(static_cast<size_t>(frame.width())),
        pairs_((width_ + 1) / 2),
        offsets_(offsetsOf(frame)) {
    if (ycc_ && width_ % 2 != 0) oddLuma_.resize(2 * pairs_);
  }

  size_t chromaWidth() const { return ycc_ ? pairs_ : width_; }

  // Row y: width luma samples into `luma`, chromaWidth() into `cb`, `cr`.
  void write(int32_t y, uint8_t* luma, uint8_t* cb, uint8_t* cr) {
    const uint8_t* in = frame_.memoryRow(frame_.memoryRowOf(y));
    if (ycc_) {
      uint8_t* lumaTarget = oddLuma_.empty() ? luma : oddLuma_.data();
      rows::unpackRow(pairLayoutOf(frame_), in, studio_, lumaTarget, cb, cr, pairs_);
      if (converted_) rows::convertPairs(map_, lumaTarget, cb, cr, lumaTarget, cb, cr, pairs_);
      if (!oddLuma_.empty()) std::copy_n(oddLuma_.data(), width_, luma);
      return;
    }
    const Offsets& o = offsets_;
    rows::rgbRowToPlanes(in, {o.red, o.green, o.blue, o.alpha}, studio_, luma, cb, cr, width_);
    if (converted_) rows::convertPixels(map_, luma, cb, cr, luma, cb, cr, width_);
  }

 private:
  const HostFrame& frame_;
  bool ycc_, studio_, converted_;
  rows::MatrixMap map_;
  size_t width_, pairs_;
  Offsets offsets_;
  std::vector<uint8_t> oddLuma_;
};

// Planar YCbCr rows of `frame` into the planes at `luma`, `cb`, `cr` (rows
// of width, and of the coding's chroma width, bytes).
void writePlanes(const HostFrame& frame, const PlaneCoding& coding, uint8_t* lumaPlane, uint8_t* cbPlane,
                 uint8_t* crPlane) {
  PlaneRows rows(frame, coding);
  const auto width = static_cast<size_t>(frame.width());
  const int32_t height = frame.height();
  if (!coding.chroma420) {
    const size_t chromaWidth = rows.chromaWidth();
    for (int32_t y = 0; y < height; ++y) {
      const auto row = static_cast<size_t>(y);
      rows.write(y, lumaPlane + row * width, cbPlane + row * chromaWidth, crPlane + row * chromaWidth);
    }
    return;
  }
  // 4:2:0: each chroma row is the mean of two rows' pair chroma (an odd
  // height's last row is the mean of itself).
  const size_t pairs = (width + 1) / 2;
  const size_t own = rows.chromaWidth();
  std::vector<uint8_t> written(4 * own), halved(4 * pairs);
  // Row y's luma into its plane and its pair chroma, Cb then Cr, in slot 0
  // (upper row) or 1 (lower row).
  const auto pairChromaOf = [&](int32_t y, size_t slot) -> std::array<const uint8_t*, 2> {
    uint8_t* const cb = written.data() + 2 * slot * own;
    rows.write(y, lumaPlane + static_cast<size_t>(y) * width, cb, cb + own);
    if (own == pairs) return {cb, cb + own};
    uint8_t* const cbPairs = halved.data() + 2 * slot * pairs;
    halveChroma(cb, cbPairs, width);
    halveChroma(cb + own, cbPairs + pairs, width);
    return {cbPairs, cbPairs + pairs};
  };
  for (int32_t y = 0; y < height; y += 2) {
    const std::array<const uint8_t*, 2> upper = pairChromaOf(y, 0);
    const std::array<const uint8_t*, 2> lower = y + 1 < height ? pairChromaOf(y + 1, 1) : upper;
    const size_t chromaRow = static_cast<size_t>(y / 2) * pairs;
    rows::averageRows(upper[0], lower[0], cbPlane + chromaRow, pairs);
    rows::averageRows(upper[1], lower[1], crPlane + chromaRow, pairs);
  }
}

}  // namespace

void frameToYuv(const HostFrame& frame, const PlaneCoding& coding, YuvPicture& picture) {
  picture.allocate(frame.width(), frame.height(), coding.chromaFor(testhost::isYcc(frame.format().pixels)));
  picture.fullRange = coding.fullRange;
  picture.matrix = coding.matrix;
  writePlanes(frame, coding, picture.y.data(), picture.cb.data(), picture.cr.data());
}

void frameToY4m(const HostFrame& frame, const PlaneCoding& coding, testhost::FrameBytes& out) {
  static constexpr char kMarker[] = "FRAME\n";
  constexpr size_t kMarkerSize = sizeof kMarker - 1;
  YuvView shape;
  shape.width = frame.width();
  shape.height = frame.height();
  shape.chroma = coding.chromaFor(testhost::isYcc(frame.format().pixels));
  const size_t lumaSize = static_cast<size_t>(shape.width) * static_cast<size_t>(shape.height);
  const size_t chromaSize = static_cast<size_t>(shape.chromaWidth()) * static_cast<size_t>(shape.chromaHeight());
  // A buffer of the same size from the frame before is reused without
  // clearing it: every byte is written below.
  testhost::sizeFrameBuffer(out, kMarkerSize + lumaSize + 2 * chromaSize);
  uint8_t* bytes = out.data();
  std::copy_n(kMarker, kMarkerSize, bytes);
  writePlanes(frame, coding, bytes + kMarkerSize, bytes + kMarkerSize + lumaSize,
              bytes + kMarkerSize + lumaSize + chromaSize);
}

void frameToRgba(const HostFrame& frame, RgbaPicture& picture) {
  const Offsets o = offsetsOf(frame);
  const rows::ChromaContributions& t = rows::chromaContributions();
  const int32_t width = frame.width();
  const bool ycc = testhost::isYcc(frame.format().pixels);
  picture.allocate(width, frame.height());
  for (int32_t y = 0; y < frame.height(); ++y) {
    const uint8_t* in = frame.memoryRow(frame.memoryRowOf(y));
    uint8_t* out = picture.row(y);
    if (!ycc) {
      for (int32_t x = 0; x < width; ++x, in += 4, out += 4) {
        out[0] = in[o.red];
        out[1] = in[o.green];
        out[2] = in[o.blue];
        out[3] = in[o.alpha];
      }
      continue;
    }
    for (int32_t x = 0; x < width; x += 2, in += 4) {
      const uint8_t u = in[o.cb], v = in[o.cr];
      const int32_t red = t.crToRed[v], green = t.cbToGreen[u] + t.crToGreen[v], blue = t.cbToBlue[u];
      for (int32_t i = 0; i < 2 && x + i < width; ++i, out += 4) {
        const int32_t l = in[i == 0 ? o.y0 : o.y1] << 16;
        out[0] = rows::clampedFixed(l + red);
        out[1] = rows::clampedFixed(l + green);
        out[2] = rows::clampedFixed(l + blue);
        out[3] = 255;
      }
    }
  }
}

}  // namespace horaz::cli
